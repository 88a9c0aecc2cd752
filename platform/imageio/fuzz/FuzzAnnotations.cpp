// Fuzz target for the annotation file and stream readers: any input gives a result code, and what
// is accepted writes back to text that reads the same.
#include "platform/imageio/Annotations.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace orva::imageio;
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    std::map<int, std::vector<anno::Mark>> pages;
    if (anno::parseAnnotationFile(text, pages) == kOk) {
        std::map<int, std::vector<anno::Mark>> again;
        if (anno::parseAnnotationFile(anno::annotationFileText(pages), again) != kOk)
            std::abort();
    }
    std::vector<anno::Mark> marks;
    if (anno::pageFromText(text, marks) == kOk) {
        std::vector<anno::Mark> again;
        if (anno::pageFromText(anno::pageToText(marks), again) != kOk || again.size() != marks.size())
            std::abort();
    }
    return 0;
}
