// Fuzz target for packed DIBs as pasted from the clipboard of another program.
#include "platform/imageio/DibBlock.h"
#include "platform/imageio/DibConvert.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orva::imageio::DibBlock dib = orva::imageio::DibBlock::fromPacked(data, size);
    if (dib)
        (void)orva::imageio::dibToQImage(dib);
    return 0;
}
