// The sound module: plays the game's sounds through Qt Multimedia.

#include <QHash>
#include <QSoundEffect>
#include <QUrl>

#include "ui/soundbackend.h"

namespace {

class EffectsBackend : public SoundBackend {
public:
    ~EffectsBackend() override { qDeleteAll(effects_); }

    void play(const QString &path) override
    {
        QSoundEffect *effect = effects_.value(path);
        if (!effect) {
            effect = new QSoundEffect;
            effect->setSource(QUrl(QStringLiteral("qrc") + path));
            effects_.insert(path, effect);
        }
        // Without an audio server an effect never reports that it has finished; stop() is
        // what makes it playable again.
        if (current_)
            current_->stop();
        effect->stop();
        effect->play();
        current_ = effect;
    }

private:
    QHash<QString, QSoundEffect *> effects_;
    QSoundEffect *current_ = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT SoundBackend *morvello_create_sound_backend()
{
    return new EffectsBackend;
}
