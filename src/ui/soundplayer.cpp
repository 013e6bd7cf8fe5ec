#include "ui/soundplayer.h"

#include <QFile>

#include "common/environment.h"
#include "ui/soundbackend.h"

SoundPlayer::SoundPlayer(const QString &modulePath)
    : modulePath_(modulePath)
{
}

// The module is never unloaded: Qt Multimedia, which came with it, keeps its global state
// until the process ends.
SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::play(const QString &name)
{
    const QString key = name.toLower();
    lastRequested_ = key;
    const QString path = QStringLiteral(":/sounds/%1.wav").arg(key);
    // A missing sound is skipped without a word, as a sound that cannot play is.
    if (!QFile::exists(path))
        return;
    if (!moduleTried_)
        loadModule();
    if (backend_)
        backend_->play(path);
}

void SoundPlayer::loadModule()
{
    moduleTried_ = true;
    module_.setFileName(modulePath_.isEmpty()
                            ? Environment::moduleDirectory() + QStringLiteral("/morvello_sound")
                            : modulePath_);
    const auto create = reinterpret_cast<CreateSoundBackend>(module_.resolve(kSoundBackendEntry));
    if (!create) {
        qWarning("No sound: %s", qPrintable(module_.errorString()));
        return;
    }
    backend_.reset(create());
}
