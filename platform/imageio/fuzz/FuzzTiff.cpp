// Fuzz target for TIFF: page information, decoding of the first pages, the tag listing and the
// directory relinking used by the page edits.
#include "platform/imageio/TiffCodec.h"
#include "platform/imageio/TiffFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace orva::imageio;
    TiffPageInfo info;
    if (tiffInfo(data, size, 0, info) == kOk) {
        for (int page = 0; page < info.pages && page < 3; ++page) {
            DibBlock dib;
            decodeTiff(data, size, page, dib);
        }
    }
    Bytes file(data, data + size);
    std::vector<TiffTagValue> tags;
    tiffListTags(file, 0, tags);
    if (tiffPack(file) == kOk) {
        // A relinked file must parse again with the same number of pages.
        if (tiffPageCount(file) == 0)
            __builtin_trap();
    }
    return 0;
}
