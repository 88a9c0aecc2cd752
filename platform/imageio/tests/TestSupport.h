// Helpers for the image-I/O tests: synthetic DIBs and ImageMagick as the independent reference.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/DibConvert.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace orva::imageio::test {

// Points SANE at a dll.conf in dir listing only its "test" backend (Debian ships it commented
// out); false when the backend is not installed.
inline bool useSaneTestBackend(const QTemporaryDir &dir) {
    if (!QFileInfo::exists(QStringLiteral("/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1")))
        return false;
    QFile conf(dir.filePath(QStringLiteral("dll.conf")));
    if (!conf.open(QIODevice::WriteOnly))
        return false;
    conf.write("test\n");
    conf.close();
    return qputenv("SANE_CONFIG_DIR", QFile::encodeName(dir.path()));
}

inline bool haveImageMagick() {
    return !QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("identify")).isEmpty();
}

inline QByteArray run(const QString &program, const QStringList &args, bool *ok = nullptr) {
    QProcess p;
    p.start(program, args);
    const bool done = p.waitForFinished(60000);
    if (ok)
        *ok = done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return p.readAllStandardOutput();
}

// The picture as ImageMagick decodes it: width, height and 8-bit RGB triples, top row first.
struct Reference {
    int width = 0;
    int height = 0;
    QByteArray rgb;
};

// frame -1 names the file without a frame (Photo CD files use frames for their resolutions).
inline Reference imageMagickPixels(const QString &file, int frame = 0) {
    const QString name = frame < 0 ? file : file + QStringLiteral("[%1]").arg(frame);
    Reference r;
    const QByteArray size =
        run(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%w %h"), name});
    const QList<QByteArray> parts = size.trimmed().split(' ');
    if (parts.size() != 2)
        return r;
    r.width = parts[0].toInt();
    r.height = parts[1].toInt();
    r.rgb = run(QStringLiteral("convert"), {name, QStringLiteral("-auto-orient"), QStringLiteral("-depth"),
                                            QStringLiteral("8"), QStringLiteral("rgb:-")});
    return r;
}

// Largest channel difference between our decoded DIB and the reference; -1 when sizes differ.
inline int maxDifference(const DibBlock &dib, const Reference &ref) {
    if (dib.width() != ref.width || dib.height() != ref.height ||
        ref.rgb.size() != static_cast<qsizetype>(ref.width) * ref.height * 3)
        return -1;
    int worst = 0;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const QRgb c = dibPixel(dib, x, y);
            const auto *p =
                reinterpret_cast<const unsigned char *>(ref.rgb.constData()) + 3 * (y * ref.width + x);
            worst = std::max(
                {worst, std::abs(qRed(c) - p[0]), std::abs(qGreen(c) - p[1]), std::abs(qBlue(c) - p[2])});
        }
    return worst;
}

// A picture with structure at every depth: diagonal bands, a frame and a gradient.
inline DibBlock patternDib(int width, int height, int bits, int seed = 0) {
    DibBlock d = DibBlock::create(width, height, bits);
    if (bits <= 8) {
        const int n = 1 << bits;
        for (int i = 0; i < n; ++i) {
            const int v = bits == 1 ? i * 255 : (i * 255) / (n - 1);
            d.setColor(i, bits == 1 ? qRgb(v, v, v) : qRgb(v, (v * 3 + 40) % 256, 255 - v));
        }
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = (x + 2 * y + seed * 7) % 37 + (x == 0 || y == 0 || x == width - 1 ? 50 : 0);
            if (bits <= 8) {
                setDibIndex(d, x, y, v % (1 << bits));
            } else {
                std::uint8_t *row = d.scanLine(y);
                row[3 * x] = static_cast<std::uint8_t>(v * 5 + seed);
                row[3 * x + 1] = static_cast<std::uint8_t>(x * 255 / width);
                row[3 * x + 2] = static_cast<std::uint8_t>(y * 255 / height);
            }
        }
    return d;
}

inline bool samePixels(const DibBlock &a, const DibBlock &b) {
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((dibPixel(a, x, y) & 0xFFFFFF) != (dibPixel(b, x, y) & 0xFFFFFF))
                return false;
    return true;
}

} // namespace orva::imageio::test
