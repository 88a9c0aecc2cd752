// The packed device-independent bitmap every picture crosses the imaging code in: a 40-byte info
// header, the colour table (B, G, R, 0 per entry) and bottom-up rows padded to 4 bytes.
#pragma once

#include <QString>
#include <QVector>
#include <QtGui/qrgb.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orva::imageio {

// Largest pixel block we allocate for one picture; headers asking for more are refused.
constexpr std::uint64_t kMaxDibBytes = 512ull << 20;
constexpr int kInfoHeaderSize = 40;
constexpr std::int32_t kDefaultPixelsPerMetre = 2953;

std::uint16_t readLe16(const std::uint8_t *p);
std::uint32_t readLe32(const std::uint8_t *p);
void writeLe16(std::uint8_t *p, std::uint16_t v);
void writeLe32(std::uint8_t *p, std::uint32_t v);

// Bytes per padded row, or nothing when the row would exceed the allocation cap.
std::optional<std::uint64_t> dibRowBytes(std::int64_t width, int bitCount);
// Bytes of all rows (64-bit checked), or nothing when over the cap or the sizes are not positive.
std::optional<std::uint64_t> dibImageBytes(std::int64_t width, std::int64_t height, int bitCount);
int colorsForBitCount(int bitCount);

class DibBlock {
public:
    DibBlock() = default;
    DibBlock(DibBlock &&other) noexcept = default;
    DibBlock &operator=(DibBlock &&other) noexcept = default;
    DibBlock(const DibBlock &) = delete;
    DibBlock &operator=(const DibBlock &) = delete;

    // A zero-filled bottom-up DIB; colours < 0 means the full table for the depth.
    // Null when the depth is not 1, 4, 8, 16, 24 or 32 or the size is out of range.
    static DibBlock create(std::int32_t width, std::int32_t height, int bitCount, int colors = -1);
    // Validates a packed DIB (clipboard or file body) and makes an uncompressed bottom-up copy.
    // Top-down rows are flipped, run-length data is expanded, bit-field 16/32-bit data becomes 24 bits.
    // bitsOffset, when given, is where the pixels start relative to data (BMP files say so).
    static DibBlock fromPacked(const std::uint8_t *data, std::size_t size, QString *why = nullptr,
                               std::optional<std::size_t> bitsOffset = std::nullopt);
    // Wraps bytes already laid out as a packed DIB after checking them; null when they are not.
    static DibBlock adopt(std::vector<std::uint8_t> bytes, QString *why = nullptr);

    bool isNull() const { return m_bytes.empty(); }
    explicit operator bool() const { return !isNull(); }
    const std::uint8_t *data() const { return m_bytes.data(); }
    std::uint8_t *data() { return m_bytes.data(); }
    std::size_t size() const { return m_bytes.size(); }
    std::vector<std::uint8_t> release() { return std::move(m_bytes); }

    std::int32_t width() const;
    std::int32_t height() const;
    int bitCount() const;
    std::uint32_t compression() const;
    int numColors() const;
    int headerSize() const { return isNull() ? 0 : kInfoHeaderSize + 4 * numColors(); }
    std::size_t rowBytes() const;
    std::size_t imageBytes() const { return rowBytes() * static_cast<std::size_t>(height()); }
    std::int32_t xPelsPerMeter() const;
    std::int32_t yPelsPerMeter() const;
    void setResolution(std::int32_t xPpm, std::int32_t yPpm);

    std::uint8_t *bits() { return isNull() ? nullptr : m_bytes.data() + headerSize(); }
    const std::uint8_t *bits() const { return isNull() ? nullptr : m_bytes.data() + headerSize(); }
    // Row y counted from the top of the picture (stored bottom-up).
    std::uint8_t *scanLine(int y) { return bits() + rowBytes() * static_cast<std::size_t>(height() - 1 - y); }
    const std::uint8_t *scanLine(int y) const {
        return bits() + rowBytes() * static_cast<std::size_t>(height() - 1 - y);
    }

    QRgb color(int index) const;
    void setColor(int index, QRgb rgb);
    QVector<QRgb> colorTable() const;
    void setColorTable(const QVector<QRgb> &colors);
    bool isGrayPalette() const;

    DibBlock copy() const;

private:
    explicit DibBlock(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    std::vector<std::uint8_t> m_bytes;
};

// Header check shared by every reader of packed DIBs: size 40, planes 1, a known depth, positive
// sizes within the cap, and a block large enough for table and rows. Empty text means valid.
QString checkPackedDib(const std::uint8_t *data, std::size_t size);

} // namespace orva::imageio
