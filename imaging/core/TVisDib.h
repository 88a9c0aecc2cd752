// TVisDib: one packed device-independent bitmap (owned or only looked at) and its palette.
#pragma once

#include "platform/imageio/DibBlock.h"

#include <QString>
#include <QVector>

#include <cstdint>

namespace orva::imaging {

using orva::imageio::DibBlock;

class TVisDib {
public:
    TVisDib() = default;
    TVisDib(const TVisDib &) = delete;
    TVisDib &operator=(const TVisDib &) = delete;

    // Holds a block of its own; the previous owned block and the palette are released.
    void SetDib(DibBlock block);
    // Looks at a block someone else owns; it is never freed through this object.
    void SetDib(DibBlock *borrowed);
    // Gives up the owned block to the caller; a borrowed block is only forgotten.
    DibBlock TakeDib();

    bool OwnsDib() const { return m_borrowed == nullptr; }
    bool HasDib() const { return dib() != nullptr; }
    const DibBlock *Dib() const { return dib(); }
    DibBlock *Dib() { return dib(); }

    int BitCount() const;
    std::int32_t Width() const;
    std::int32_t Height() const;
    std::uint32_t Compression() const;
    std::int32_t AlignedWidth() const;
    int NumColors() const;
    int HeaderSize() const;
    // Header plus image bytes, computed from the sizes when the header's image size is 0;
    // the header itself is left alone (it may belong to someone else).
    std::uint64_t DibSize() const;
    std::uint8_t *Bits();
    static int ColorsForBitCount(int n) { return orva::imageio::colorsForBitCount(n); }

    // The colours of the picture, made from the colour table on first use.
    const QVector<QRgb> &Palette();
    // Copies the given colours into the colour table (as far as both reach) and keeps a copy.
    void SetPalette(const QVector<QRgb> &palette);
    // A zero-filled DIB of the given size; bit count 2 is stored as 1. False for other bit counts,
    // and false with "Can't allocate memory" in `error` when it cannot be made; the held DIB stays.
    bool CreateBlankDib(const QVector<QRgb> *palette, std::int32_t width, int bitCount, std::int32_t height,
                        QString *error = nullptr);
    DibBlock CopyDib() const;
    static DibBlock CopyGlobalMemory(const DibBlock *block);

private:
    const DibBlock *dib() const;
    DibBlock *dib();

    DibBlock m_owned;
    DibBlock *m_borrowed = nullptr;
    QVector<QRgb> m_palette;
    bool m_paletteMade = false;
};

} // namespace orva::imaging
