#pragma once

#include <QLibrary>
#include <QString>
#include <memory>

class SoundBackend;

// Plays the game's short WAVE resources (":/sounds/<name>.wav") in the background. A new
// sound cuts off the one still playing. The sound module (in Environment::moduleDirectory())
// is loaded with the first sound, so a game that never plays one never starts the audio
// system; without the module the game is silent.
class SoundPlayer {
public:
    // The module's path without its platform's prefix and suffix; empty for the game's own:
    // beside the executable in a build tree, in the module directory when installed.
    explicit SoundPlayer(const QString &modulePath = QString());
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer &) = delete;
    SoundPlayer &operator=(const SoundPlayer &) = delete;

    void play(const QString &name);
    // The last sound asked for, played or not (for tests); empty before the first.
    const QString &lastRequested() const { return lastRequested_; }
    // Whether the module has been loaded (only a sound asked for tries).
    bool canPlay() const { return backend_ != nullptr; }

private:
    void loadModule();

    QString modulePath_;
    QLibrary module_;
    bool moduleTried_ = false;
    std::unique_ptr<SoundBackend> backend_;
    QString lastRequested_;
};
