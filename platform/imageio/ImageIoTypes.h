// Result codes, their texts and the progress callback shared by every image-I/O operation.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace orva::imageio {

// Failures are negative so that both success tests of the callers (> 0, and >= 0 for the
// information and scanning calls) reject them. Each code names a text in errorText().
constexpr std::int16_t ErrOpen = -1;
constexpr std::int16_t ErrTooSmall = -2;
constexpr std::int16_t ErrUnsupported = -3;
constexpr std::int16_t ErrCorrupt = -4;
constexpr std::int16_t ErrTooLarge = -5;
constexpr std::int16_t ErrNoMemory = -6;
constexpr std::int16_t ErrPage = -7;
constexpr std::int16_t ErrWrite = -8;
constexpr std::int16_t ErrStopped = -9;
constexpr std::int16_t ErrArgument = -10;
constexpr std::int16_t ErrNameTooLong = -11;
constexpr std::int16_t ErrBusy = -12;
constexpr std::int16_t ErrTag = -13;
constexpr std::int16_t ErrCompression = -14;
constexpr std::int16_t ErrNoScanner = -15;
constexpr std::int16_t ErrNoGhostscript = -16;
constexpr std::int16_t ErrInternal = -17;
constexpr std::int16_t ErrChanged = -18;
constexpr std::int16_t ErrOnlyPage = -19;
constexpr std::int16_t ErrUnmovable = -20;
constexpr std::int16_t ErrNotTiff = -21;

constexpr std::int16_t kOk = 1;

// The library's own string table.
QString errorText(std::int16_t code);

using ProgressProc = std::int16_t (*)(std::int16_t percent, void *data);

struct Progress {
    ProgressProc proc = nullptr;
    void *data = nullptr;
    // True to go on; false when the callback asked to stop.
    bool step(int percent) const { return !proc || proc(static_cast<std::int16_t>(percent), data) != 0; }
};

using Bytes = std::vector<std::uint8_t>;

} // namespace orva::imageio
