// What the engine's tests share: a picture's bytes, and a progress that asks to stop at a percentage.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

namespace orva::fxlib::testing {

inline orva::imageio::Bytes bytesOf(const orva::imageio::DibBlock &d) {
    return orva::imageio::Bytes(d.data(), d.data() + d.size());
}

inline orva::imageio::Progress stopAt(int percent) {
    static int limit;
    limit = percent;
    return orva::imageio::Progress{[](std::int16_t p, void *) -> std::int16_t { return p >= limit ? 0 : 1; },
                                   nullptr};
}

} // namespace orva::fxlib::testing
