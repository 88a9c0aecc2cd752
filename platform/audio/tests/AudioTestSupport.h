// Shared by the audio tests and the benchmark: a speech-like test signal, small WAVE builders, a
// runner for sox (the independent reference) and a tone detector.
#pragma once

#include "platform/audio/AudioFormat.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <cmath>
#include <cstdint>
#include <vector>

namespace orva::audio::test {

// Voiced segments (a 120-200 Hz fundamental with formants) and pauses with a little noise,
// deterministic for a given length.
inline std::vector<std::int16_t> speechLike(std::size_t samples, int rate = 22050) {
    std::vector<std::int16_t> out(samples);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < samples; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double t = double(i) / rate;
        const double syllable = std::fmod(t, 0.25) / 0.25;
        const bool voiced = std::fmod(t, 2.0) < 1.6;
        const double envelope = voiced ? std::sin(M_PI * syllable) : 0.02;
        const double f0 = 120 + 80 * std::sin(2 * M_PI * 0.7 * t);
        const double v = 0.5 * std::sin(2 * M_PI * f0 * t) + 0.25 * std::sin(2 * M_PI * 700 * t) +
                         0.15 * std::sin(2 * M_PI * 1200 * t);
        const double noise = (double(seed >> 16) / 65536.0 - 0.5) * 0.05;
        out[i] = std::int16_t(std::lround(9000 * (envelope * v + noise)));
    }
    return out;
}

inline std::vector<std::int16_t> sine(std::size_t samples, double frequency, int rate = 22050,
                                      int channels = 1) {
    std::vector<std::int16_t> out(samples * channels);
    for (std::size_t i = 0; i < samples; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] =
                std::int16_t(std::lround(12000 * std::sin(2 * M_PI * frequency * double(i) / rate)));
    return out;
}

inline QByteArray le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A RIFF/WAVE file of one "fmt " and one "data" chunk.
inline QByteArray waveFile(const QByteArray &format, const QByteArray &data) {
    return "RIFF" + le32(quint32(4 + 8 + format.size() + 8 + data.size())) + "WAVE" + "fmt " +
           le32(quint32(format.size())) + format + "data" + le32(quint32(data.size())) + data;
}

inline QByteArray pcmBytes(const std::vector<std::int16_t> &samples) {
    QByteArray b(qsizetype(samples.size()) * 2, '\0');
    qToLittleEndian<qint16>(samples.data(), qsizetype(samples.size()), b.data());
    return b;
}

inline QByteArray pcmWave(const std::vector<std::int16_t> &samples, int rate, int channels) {
    QByteArray format = PcmFormat(std::uint32_t(rate), channels, 16).toBytes();
    format.truncate(16);
    return waveFile(format, pcmBytes(samples));
}

inline std::vector<std::int16_t> samplesOf(const QByteArray &bytes) {
    std::vector<std::int16_t> out(std::size_t(bytes.size() / 2));
    qFromLittleEndian<qint16>(bytes.constData(), qsizetype(out.size()), out.data());
    return out;
}

// The body of the first chunk with this id, or a null array.
inline QByteArray chunk(const QByteArray &file, const char *id) {
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const qsizetype size = qFromLittleEndian<quint32>(file.constData() + at + 4);
        if (file.mid(at, 4) == id)
            return file.mid(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return {};
}

inline bool writeFile(const QString &path, const QByteArray &data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

inline QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QString soxProgram(const char *name = "sox") {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// Runs sox (or soxi); its standard output, or a null array when it failed.
inline QByteArray runSox(const QStringList &args, const char *name = "sox") {
    QProcess p;
    p.start(soxProgram(name), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    const QByteArray out = p.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// Strength of one frequency in a block of samples (Goertzel), relative to the block's energy.
inline double toneShare(const std::int16_t *x, std::size_t n, double frequency, int rate = 22050) {
    const double w = 2 * M_PI * frequency / rate;
    double s1 = 0, s2 = 0, energy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s = x[i] + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s;
        energy += double(x[i]) * x[i];
    }
    const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
    return energy > 0 ? 2 * power / (double(n) * energy) : 0;
}

} // namespace orva::audio::test
