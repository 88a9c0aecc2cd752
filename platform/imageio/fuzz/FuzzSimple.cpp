// Fuzz target for one single-image reader, chosen at build time; every input must give a result
// code (or a picture) without crashing, exiting or allocating beyond the cap.
#include "platform/imageio/Codecs.h"
#include "platform/imageio/DibConvert.h"

#include <cstddef>
#include <cstdint>

#ifndef ORVA_FUZZ_DECODER
#error "define ORVA_FUZZ_DECODER to one of the decode functions"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orva::imageio::DibBlock dib;
    if (orva::imageio::ORVA_FUZZ_DECODER(data, size, dib) == orva::imageio::kOk) {
        // The picture must be complete: every row readable, and displayable.
        volatile std::uint32_t sink = 0;
        for (int y = 0; y < dib.height(); y += 7)
            sink = sink + orva::imageio::dibPixel(dib, dib.width() - 1, y);
        (void)orva::imageio::dibToQImage(dib);
    }
    return 0;
}
