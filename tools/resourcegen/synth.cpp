#include "synth.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

constexpr double kTwoPi = 2.0 * M_PI;

// Highest frequency a voice may put into a buffer, kept clear of the Nyquist limit.
double ceiling(const Buffer &b) { return b.rate() * 0.45; }

qsizetype frameAt(const Buffer &b, double t) { return qsizetype(std::lround(t * b.rate())); }

void putLe16(QByteArray &out, quint16 v)
{
    char bytes[2];
    qToLittleEndian(v, bytes);
    out.append(bytes, 2);
}

void putLe32(QByteArray &out, quint32 v)
{
    char bytes[4];
    qToLittleEndian(v, bytes);
    out.append(bytes, 4);
}

} // namespace

Buffer::Buffer(int rate, double seconds, int channels) : rate_(rate)
{
    qsizetype frames = qsizetype(std::lround(rate * seconds));
    // An odd count of 8-bit mono samples would need a RIFF pad byte; one sample more is 0.1 ms.
    if (frames % 2)
        ++frames;
    data_.assign(std::size_t(channels), std::vector<double>(std::size_t(frames), 0.0));
}

void Buffer::add(qsizetype frame, double value, double pan)
{
    if (frame < 0 || frame >= frames())
        return;
    if (channels() == 1) {
        data_[0][std::size_t(frame)] += value;
        return;
    }
    // Constant-power pan, normalised so the centre keeps the mono level.
    const double angle = std::clamp(pan, 0.0, 1.0) * M_PI / 2;
    data_[0][std::size_t(frame)] += value * std::cos(angle) * M_SQRT2;
    data_[1][std::size_t(frame)] += value * std::sin(angle) * M_SQRT2;
}

double Buffer::peak() const
{
    double m = 0;
    for (const auto &channel : data_)
        for (double v : channel)
            m = std::max(m, std::abs(v));
    return m;
}

void Buffer::scale(double factor)
{
    for (auto &channel : data_)
        for (double &v : channel)
            v *= factor;
}

void Buffer::fade(double inSeconds, double outSeconds)
{
    const qsizetype n = frames();
    const qsizetype in = std::min(n, qsizetype(inSeconds * rate_));
    const qsizetype out = std::min(n, qsizetype(outSeconds * rate_));
    for (auto &channel : data_) {
        for (qsizetype i = 0; i < in; ++i)
            channel[std::size_t(i)] *= 0.5 - 0.5 * std::cos(M_PI * double(i) / in);
        for (qsizetype i = 0; i < out; ++i)
            channel[std::size_t(n - 1 - i)] *= 0.5 - 0.5 * std::cos(M_PI * double(i) / out);
    }
}

void Buffer::finish(double peakLevel, double fadeOutSeconds)
{
    const double m = peak();
    if (m > 0)
        scale(peakLevel / m);
    fade(0.001, fadeOutSeconds);
}

void strike(Buffer &b, double start, double frequency, const std::vector<Mode> &modes,
            double level, double pan, double attack)
{
    const qsizetype first = frameAt(b, start);
    for (const Mode &m : modes) {
        const double f = frequency * m.ratio;
        if (f >= ceiling(b))
            continue;
        const double w = kTwoPi * f / b.rate();
        const qsizetype length = std::min(b.frames() - first, qsizetype(m.decay * 7 * b.rate()));
        for (qsizetype i = 0; i < length; ++i) {
            const double t = double(i) / b.rate();
            const double env = std::exp(-t / m.decay) * (t < attack ? std::sin(M_PI / 2 * t / attack) : 1.0);
            b.add(first + i, level * m.level * env * std::sin(w * double(i)), pan);
        }
    }
}

void knock(Buffer &b, double start, double level, const Knock &kind, Rng &rng, double pan)
{
    const qsizetype first = frameAt(b, start);
    for (const Mode &m : kind.modes) {
        if (m.ratio >= ceiling(b))
            continue;
        const double w = kTwoPi * m.ratio / b.rate();
        const double phase = rng.range(0, kTwoPi);
        const qsizetype length = std::min(b.frames() - first, qsizetype(m.decay * 7 * b.rate()));
        for (qsizetype i = 0; i < length; ++i) {
            const double t = double(i) / b.rate();
            // The mode starts from rest: a 0.3 ms rise keeps the onset from being a step.
            const double rise = std::min(1.0, t / 0.0003);
            b.add(first + i, level * m.level * rise * std::exp(-t / m.decay) * std::sin(w * double(i) + phase),
                  pan);
        }
    }
    // The contact itself: noise, slightly smoothed so it is a tick rather than a hiss.
    const qsizetype length = std::min(b.frames() - first, qsizetype(kind.noiseDecay * 6 * b.rate()));
    double smoothed = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const double t = double(i) / b.rate();
        smoothed = 0.55 * smoothed + 0.45 * rng.range(-1, 1);
        b.add(first + i, level * kind.noiseLevel * std::exp(-t / kind.noiseDecay) * smoothed, pan);
    }
}

void blow(Buffer &b, double start, double duration, double frequency, double level, double pan)
{
    const qsizetype first = frameAt(b, start);
    const qsizetype length = std::min(b.frames() - first, qsizetype(duration * b.rate()));
    const double attack = 0.03;
    const double release = std::min(0.06, duration * 0.35);
    std::vector<double> phases(40, 0.0);
    for (qsizetype i = 0; i < length; ++i) {
        const double t = double(i) / b.rate();
        double env;
        if (t < attack)
            env = std::sin(M_PI / 2 * t / attack) * 1.15;
        else
            env = 0.85 + 0.3 * std::exp(-(t - attack) / 0.05);
        const double left = duration - t;
        if (left < release)
            env *= 0.5 - 0.5 * std::cos(M_PI * left / release);
        const double vibrato = t > 0.15 ? 1.0 + 0.006 * std::sin(kTwoPi * 5.5 * (t - 0.15)) : 1.0;
        const double f = frequency * vibrato;
        const double brightness = 0.35 + 0.4 * std::min(1.0, env);
        double sample = 0;
        double weight = 1.0;
        for (std::size_t n = 1; n <= phases.size(); ++n) {
            const double fn = f * double(n);
            if (fn >= ceiling(b))
                break;
            phases[n - 1] += kTwoPi * fn / b.rate();
            sample += weight / std::pow(double(n), 0.6) * std::sin(phases[n - 1]);
            weight *= brightness;
        }
        b.add(first + i, level * env * sample * 0.5, pan);
    }
}

void wah(Buffer &b, double start, double duration, double f0, double f1, double c0, double c1,
         double level)
{
    const qsizetype first = frameAt(b, start);
    const qsizetype length = std::min(b.frames() - first, qsizetype(duration * b.rate()));
    std::vector<double> phases(64, 0.0);
    const double q = 2.6;
    for (qsizetype i = 0; i < length; ++i) {
        const double x = double(i) / double(length);
        // Pitch drops on a curve: slow at first, then sagging.
        const double glide = x * x * (3 - 2 * x);
        const double f = f0 * std::pow(f1 / f0, glide);
        // The mute opens, then closes as the note falls.
        const double open = std::sin(M_PI * std::min(1.0, x * 1.6)) * (1 - x);
        const double cutoff = c1 + (c0 - c1) * std::max(0.0, open);
        double sample = 0;
        for (std::size_t n = 1; n <= phases.size(); ++n) {
            const double fn = f * double(n);
            if (fn >= ceiling(b))
                break;
            phases[n - 1] += kTwoPi * fn / b.rate();
            const double r = fn / cutoff;
            const double gain = 1.0 / std::sqrt((1 - r * r) * (1 - r * r) + (r / q) * (r / q));
            sample += gain / double(n) * std::sin(phases[n - 1]);
        }
        const double t = double(i) / b.rate();
        const double env = std::min(1.0, t / 0.012) * (x > 0.75 ? 0.5 + 0.5 * std::cos(M_PI * (x - 0.75) / 0.25) : 1.0);
        b.add(first + i, level * env * sample);
    }
}

void noiseBand(Buffer &b, double centre, double q, const std::vector<std::pair<double, double>> &envelope,
               Rng &rng, double pan)
{
    if (envelope.size() < 2)
        return;
    // Band-pass biquad (constant peak gain).
    const double w0 = kTwoPi * std::min(centre, ceiling(b)) / b.rate();
    const double alpha = std::sin(w0) / (2 * q);
    const double a0 = 1 + alpha;
    const double b0 = alpha / a0, b2 = -alpha / a0;
    const double a1 = -2 * std::cos(w0) / a0, a2 = (1 - alpha) / a0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    const qsizetype first = frameAt(b, envelope.front().first);
    const qsizetype last = std::min(b.frames(), frameAt(b, envelope.back().first));
    std::size_t segment = 0;
    for (qsizetype i = first; i < last; ++i) {
        const double t = double(i) / b.rate();
        while (segment + 2 < envelope.size() && t > envelope[segment + 1].first)
            ++segment;
        const auto [ta, la] = envelope[segment];
        const auto [tb, lb] = envelope[segment + 1];
        const double level = la + (lb - la) * std::clamp((t - ta) / (tb - ta), 0.0, 1.0);
        const double x = rng.range(-1, 1);
        const double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        b.add(i, level * y, pan);
    }
}

QByteArray toWave(const Buffer &b, int bitsPerSample)
{
    const int bytesPerSample = bitsPerSample / 8;
    const quint32 blockAlign = quint32(b.channels() * bytesPerSample);
    const quint32 dataSize = quint32(b.frames()) * blockAlign;
    QByteArray out;
    out.reserve(int(44 + dataSize));
    out.append("RIFF", 4);
    putLe32(out, 36 + dataSize);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    putLe32(out, 16);
    putLe16(out, 1);  // PCM
    putLe16(out, quint16(b.channels()));
    putLe32(out, quint32(b.rate()));
    putLe32(out, quint32(b.rate()) * blockAlign);
    putLe16(out, quint16(blockAlign));
    putLe16(out, quint16(bitsPerSample));
    out.append("data", 4);
    putLe32(out, dataSize);
    for (qsizetype i = 0; i < b.frames(); ++i) {
        for (int c = 0; c < b.channels(); ++c) {
            const double v = std::clamp(b.at(c, i), -1.0, 1.0);
            if (bitsPerSample == 8)
                out.append(char(quint8(std::clamp(128 + int(std::lround(v * 127)), 0, 255))));
            else
                putLe16(out, quint16(qint16(std::lround(v * 32767))));
        }
    }
    return out;
}

} // namespace synth
