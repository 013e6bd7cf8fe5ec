// Linked into every test program: a test started by hand, outside CTest, must not fall back
// to the executable's directory for its files (tests delete tally files there), nor reach a
// real game on the default port, nor need a display.

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

#include <optional>

namespace {

struct TestEnvironment {
    TestEnvironment()
    {
        if (qEnvironmentVariableIsEmpty("MORVELLO_DIR")) {
            dataDir.emplace();
            qputenv("MORVELLO_DIR", dataDir->path().toLocal8Bit());
        }
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            runtimeDir.emplace();  // created private (0700), as the runtime directory must be
            qputenv("XDG_RUNTIME_DIR", runtimeDir->path().toLocal8Bit());
        }
        if (qEnvironmentVariableIsEmpty("MORVELLO_PORT"))
            qputenv("MORVELLO_PORT", "1");
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::optional<QTemporaryDir> dataDir;
    std::optional<QTemporaryDir> runtimeDir;
};

const TestEnvironment environment;

} // namespace
