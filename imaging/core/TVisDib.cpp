// TVisDib: one packed device-independent bitmap (owned or only looked at) and its palette.
#include "imaging/core/TVisDib.h"

#include "imaging/core/ErrorInvalid.h"

namespace orva::imaging {

using namespace orva::imageio;

const DibBlock *TVisDib::dib() const {
    if (m_borrowed)
        return m_borrowed->isNull() ? nullptr : m_borrowed;
    return m_owned.isNull() ? nullptr : &m_owned;
}

DibBlock *TVisDib::dib() {
    return const_cast<DibBlock *>(static_cast<const TVisDib *>(this)->dib());
}

void TVisDib::SetDib(DibBlock block) {
    m_borrowed = nullptr;
    m_owned = std::move(block);
    m_palette.clear();
    m_paletteMade = false;
}

void TVisDib::SetDib(DibBlock *borrowed) {
    m_owned = DibBlock();
    m_borrowed = borrowed;
    m_palette.clear();
    m_paletteMade = false;
}

DibBlock TVisDib::TakeDib() {
    DibBlock out = m_borrowed ? DibBlock() : std::move(m_owned);
    SetDib(DibBlock());
    return out;
}

int TVisDib::BitCount() const {
    return dib() ? dib()->bitCount() : 0;
}
std::int32_t TVisDib::Width() const {
    return dib() ? dib()->width() : 0;
}
std::int32_t TVisDib::Height() const {
    return dib() ? dib()->height() : 0;
}
std::uint32_t TVisDib::Compression() const {
    return dib() ? dib()->compression() : 0;
}
std::int32_t TVisDib::AlignedWidth() const {
    return dib() ? ((Width() + 3) & ~3) : 0;
}
int TVisDib::NumColors() const {
    return dib() ? dib()->numColors() : 0;
}
int TVisDib::HeaderSize() const {
    return dib() ? dib()->headerSize() : 0;
}

std::uint64_t TVisDib::DibSize() const {
    const DibBlock *d = dib();
    if (!d)
        return 0;
    std::uint64_t image = readLe32(d->data() + 20);
    if (image == 0)
        image = dibImageBytes(d->width(), d->height(), d->bitCount()).value_or(0);
    return static_cast<std::uint64_t>(d->headerSize()) + image;
}

std::uint8_t *TVisDib::Bits() {
    return dib() ? dib()->bits() : nullptr;
}

const QVector<QRgb> &TVisDib::Palette() {
    if (!m_paletteMade && dib()) {
        m_palette = dib()->colorTable();
        m_paletteMade = true;
    }
    return m_palette;
}

void TVisDib::SetPalette(const QVector<QRgb> &palette) {
    DibBlock *d = dib();
    if (!d)
        return;
    d->setColorTable(palette);
    m_palette = d->colorTable();
    m_paletteMade = true;
}

bool TVisDib::CreateBlankDib(const QVector<QRgb> *palette, std::int32_t width, int bitCount,
                             std::int32_t height, QString *error) {
    if (bitCount == 2)
        bitCount = 1;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    DibBlock block = DibBlock::create(width, height, bitCount);
    if (!block)
        return failWith(error, ErrorInvalidText::CantAllocateMemory());
    if (palette)
        block.setColorTable(*palette);
    SetDib(std::move(block));
    return true;
}

DibBlock TVisDib::CopyDib() const {
    return dib() ? dib()->copy() : DibBlock();
}

DibBlock TVisDib::CopyGlobalMemory(const DibBlock *block) {
    return block ? block->copy() : DibBlock();
}

} // namespace orva::imaging
