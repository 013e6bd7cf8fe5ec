#pragma once

#include "noise.h"

#include <QByteArray>

#include <vector>

// Sound building blocks: a float buffer per channel, a few struck and blown voices, and the
// conversion to a RIFF WAVE file.
namespace synth {

class Buffer {
public:
    Buffer(int rate, double seconds, int channels);

    int rate() const { return rate_; }
    int channels() const { return int(data_.size()); }
    qsizetype frames() const { return qsizetype(data_.front().size()); }
    double seconds() const { return double(frames()) / rate_; }

    // Mixes value into one frame, placed between the channels by pan (0 left, 1 right); a mono
    // buffer ignores pan. Frames outside the buffer are dropped.
    void add(qsizetype frame, double value, double pan = 0.5);
    double &at(int channel, qsizetype frame) { return data_[channel][frame]; }
    double at(int channel, qsizetype frame) const { return data_[channel][frame]; }

    double peak() const;
    void scale(double factor);
    // Raised-cosine fades at both ends so that playback starts and stops without a click.
    void fade(double inSeconds, double outSeconds);
    // Scales so the loudest sample reaches peak, then fades the ends.
    void finish(double peak, double fadeOutSeconds = 0.015);

private:
    int rate_;
    std::vector<std::vector<double>> data_;
};

// One vibrating mode of a struck body: frequency ratio, relative level and decay time constant.
struct Mode {
    double ratio;
    double level;
    double decay;
};

// A struck, ringing note (bell, bar, pluck) made of decaying modes over a fundamental.
void strike(Buffer &b, double start, double frequency, const std::vector<Mode> &modes,
            double level, double pan = 0.5, double attack = 0.002);

// A hard knock: a very short noise burst and the modes it rings, at absolute frequencies.
struct Knock {
    std::vector<Mode> modes;  // ratio holds the frequency in Hz
    double noiseLevel;
    double noiseDecay;
};
void knock(Buffer &b, double start, double level, const Knock &kind, Rng &rng, double pan = 0.5);

// A brass-like blown note: harmonics that brighten with loudness, a little vibrato.
void blow(Buffer &b, double start, double duration, double frequency, double level,
          double pan = 0.5);

// A band-limited sawtooth gliding from f0 to f1, through a resonant low-pass whose cutoff
// glides from c0 to c1: the "wah" of a muted horn.
void wah(Buffer &b, double start, double duration, double f0, double f1, double c0, double c1,
         double level);

// Filtered noise with an amplitude envelope given as (time, level) points.
void noiseBand(Buffer &b, double centre, double q, const std::vector<std::pair<double, double>> &envelope,
               Rng &rng, double pan = 0.5);

// RIFF WAVE, PCM; 8-bit samples are unsigned (silence 128), 16-bit signed little endian.
QByteArray toWave(const Buffer &b, int bitsPerSample);

} // namespace synth
