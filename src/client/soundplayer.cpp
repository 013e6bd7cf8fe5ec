#include "client/soundplayer.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

SoundPlayer::SoundPlayer() = default;

SoundPlayer::~SoundPlayer()
{
    qDeleteAll(effects_);
}

void SoundPlayer::play(const QString &name)
{
    const QString key = name.toLower();
    lastRequested_ = key;
    QSoundEffect *effect = effects_.value(key);
    if (!effect) {
        const QString path = QStringLiteral(":/sounds/%1.wav").arg(key);
        // A missing sound is skipped without a word, as a sound that cannot play is.
        if (!QFile::exists(path))
            return;
        effect = new QSoundEffect;
        effect->setSource(QUrl(QStringLiteral("qrc") + path));
        effects_.insert(key, effect);
    }
    // Without an audio server an effect never reports that it has finished; stop() is
    // what makes it playable again.
    if (current_)
        current_->stop();
    effect->stop();
    effect->play();
    current_ = effect;
}
