#pragma once

#include <QHash>
#include <QString>

class QSoundEffect;

// Plays the game's short WAVE resources (":/sounds/<name>.wav") in the background. A new
// sound cuts off the one still playing. Effects are made on first use, so a game that never
// plays a sound never starts the audio system.
class SoundPlayer {
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer &) = delete;
    SoundPlayer &operator=(const SoundPlayer &) = delete;

    void play(const QString &name);
    // The last sound asked for, played or not (for tests); empty before the first.
    const QString &lastRequested() const { return lastRequested_; }

private:
    QHash<QString, QSoundEffect *> effects_;
    QSoundEffect *current_ = nullptr;
    QString lastRequested_;
};
