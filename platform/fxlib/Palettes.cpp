// Palette routines shared by the image controls and the effects dialog.
#include "platform/fxlib/Palettes.h"

#include "platform/files/SharedFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <map>

namespace orva::fxlib {

namespace {

constexpr char kSignature[] = "vistrane 30 palette";
constexpr int kSignatureLength = 19;
constexpr int kCountOffset = 21;
constexpr int kEntriesOffset = 23;

} // namespace

QVector<QRgb> CopyPalette(const QVector<QRgb> *palette) {
    if (!palette || palette->isEmpty())
        return {};
    QVector<QRgb> copy(*palette);
    copy.detach();
    return copy;
}

QVector<QRgb> CreateGrayPalette(int n) {
    if (n < 1 || n > 256)
        return {};
    QVector<QRgb> gray(n);
    for (int i = 0; i < n; ++i)
        gray[i] = qRgb(i, i, i);
    return gray;
}

QByteArray paletteFileBytes(const QVector<QRgb> &palette, int n) {
    if (n < 1 || n > kPaletteFileEntries || n > palette.size())
        return {};
    QByteArray bytes(kPaletteFileSize, '\0');
    bytes[0] = static_cast<char>(kSignatureLength);
    std::memcpy(bytes.data() + 1, kSignature, kSignatureLength);
    bytes[kCountOffset] = static_cast<char>(n & 0xFF);
    bytes[kCountOffset + 1] = static_cast<char>(n >> 8);
    for (int i = 0; i < n; ++i) {
        char *e = bytes.data() + kEntriesOffset + 4 * i;
        e[0] = static_cast<char>(qRed(palette[i]));
        e[1] = static_cast<char>(qGreen(palette[i]));
        e[2] = static_cast<char>(qBlue(palette[i]));
    }
    return bytes;
}

QVector<QRgb> parsePaletteFile(const QByteArray &bytes) {
    if (bytes.size() != kPaletteFileSize || static_cast<std::uint8_t>(bytes[0]) != kSignatureLength ||
        std::memcmp(bytes.constData() + 1, kSignature, kSignatureLength) != 0)
        return {};
    const auto *b = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    const int n = b[kCountOffset] | (b[kCountOffset + 1] << 8);
    // The record holds 256 entries: a count beyond them, or none, is not a palette.
    if (n < 1 || n > kPaletteFileEntries)
        return {};
    QVector<QRgb> colours(n);
    for (int i = 0; i < n; ++i) {
        const std::uint8_t *e = b + kEntriesOffset + 4 * i;
        colours[i] = qRgb(e[0], e[1], e[2]);
    }
    return colours;
}

PaletteFileStatus SavePaletteFile(const QString &file, const QVector<QRgb> &palette, int n) {
    const QByteArray bytes = paletteFileBytes(palette, n);
    if (bytes.isEmpty())
        return PaletteFileStatus::Refused;
    SharedFile out(file);
    if (!out.open())
        return PaletteFileStatus::CannotCreate;
    if (out.write(bytes) != bytes.size() || !out.commit())
        return PaletteFileStatus::WriteFailed;
    return PaletteFileStatus::Ok;
}

int LoadPaletteFile(const QString &file, QVector<QRgb> &palette, PaletteFileStatus *status) {
    auto fail = [&](PaletteFileStatus why) {
        if (status)
            *status = why;
        return 0;
    };
    if (!QFileInfo::exists(file))
        return fail(PaletteFileStatus::Missing);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return fail(PaletteFileStatus::Unreadable);
    if (in.size() != kPaletteFileSize)
        return fail(PaletteFileStatus::WrongFormat);
    const QByteArray bytes = in.read(kPaletteFileSize + 1);
    if (in.error() != QFileDevice::NoError)
        return fail(PaletteFileStatus::Unreadable);
    const QVector<QRgb> colours = parsePaletteFile(bytes);
    if (colours.isEmpty())
        return fail(PaletteFileStatus::WrongFormat);
    if (palette.isEmpty()) {
        palette = colours;
    } else {
        for (qsizetype i = 0; i < colours.size() && i < palette.size(); ++i)
            palette[i] = colours[i];
    }
    if (status)
        *status = PaletteFileStatus::Ok;
    return static_cast<int>(colours.size());
}

void SortPalette(QVector<QRgb> &palette) {
    // Ordered as text on purpose: "1000" comes before "20".
    std::map<QByteArray, QRgb> distinct;
    const qsizetype n = std::min<qsizetype>(palette.size(), 256);
    for (qsizetype i = 0; i < n; ++i) {
        const QRgb c = palette[i];
        const long value = qRed(c) + 256L * qGreen(c) + 65536L * qBlue(c);
        distinct.emplace(QByteArray::number(value), qRgb(qRed(c), qGreen(c), qBlue(c)));
    }
    qsizetype i = 0;
    for (const auto &entry : distinct)
        palette[i++] = entry.second;
}

int NearestPaletteIndex(const QVector<QRgb> &palette, QRgb colour) {
    int best = -1;
    long bestDistance = 0;
    for (qsizetype i = 0; i < palette.size(); ++i) {
        const long dr = qRed(colour) - qRed(palette[i]);
        const long dg = qGreen(colour) - qGreen(palette[i]);
        const long db = qBlue(colour) - qBlue(palette[i]);
        const long d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

RemapStatus RemapDibToPalette(QVector<QRgb> palette, DibBlock &dib, const Progress &progress) {
    const int bits = dib.bitCount();
    if (dib.isNull() || dib.compression() != 0 || (bits != 4 && bits != 8) || palette.isEmpty())
        return RemapStatus::NotPaletted;
    SortPalette(palette);
    // Only the entries that fit the colour table can be chosen. Each old index maps once, from the
    // colour it has in the picture's own table.
    const QVector<QRgb> usable = palette.mid(0, std::max(1, dib.numColors()));
    std::uint8_t map[256];
    for (int i = 0; i < 256; ++i)
        map[i] = static_cast<std::uint8_t>(NearestPaletteIndex(usable, dib.color(i)));
    DibBlock out = dib.copy();
    if (!out)
        return RemapStatus::NotPaletted;
    const int w = out.width(), h = out.height();
    int shown = -1;
    for (int y = 0; y < h; ++y) {
        std::uint8_t *row = out.scanLine(y);
        if (bits == 8) {
            for (int x = 0; x < w; ++x)
                row[x] = map[row[x]];
        } else {
            for (int b = 0; b < (w + 1) / 2; ++b)
                row[b] = static_cast<std::uint8_t>((map[row[b] >> 4] << 4) | (map[row[b] & 0xF] & 0xF));
        }
        const int percent = static_cast<int>(static_cast<std::int64_t>(y + 1) * 100 / h);
        if (percent != shown) {
            shown = percent;
            if (!progress.step(percent))
                return RemapStatus::Stopped;
        }
    }
    out.setColorTable(palette);
    dib = std::move(out);
    return RemapStatus::Ok;
}

} // namespace orva::fxlib
