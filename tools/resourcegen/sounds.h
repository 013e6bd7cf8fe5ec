#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The game's sounds, each in the sample format and length the game ships it with.
namespace sounds {

struct Sound {
    QString name;  // file name without ".wav"
    int rate;
    int bits;
    int channels;
    double seconds;
    QByteArray wave;
};

QList<Sound> all();

} // namespace sounds
