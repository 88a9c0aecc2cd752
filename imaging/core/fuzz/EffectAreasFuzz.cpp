// Fuzz target: every effect binding on a small picture of any depth, with areas, positions and values
// taken from the input; the sanitizers catch any read or write outside a picture.
#include "imaging/core/DllSP96.h"
#include "platform/imageio/DibConvert.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace orva::imaging;

namespace {

class Input {
public:
    Input(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    int next(int lo, int hi) {
        std::uint16_t v = 0;
        if (m_pos + 2 <= m_size) {
            std::memcpy(&v, m_data + m_pos, 2);
            m_pos += 2;
        }
        return lo + static_cast<int>(v % static_cast<unsigned>(hi - lo + 1));
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    const int bits = std::array{1, 4, 8, 16, 24, 32}[static_cast<std::size_t>(in.next(0, 5))];
    DibBlock dib = DibBlock::create(in.next(1, 48), in.next(1, 48), bits);
    for (std::size_t i = 0; i < dib.imageBytes(); ++i)
        dib.bits()[i] = static_cast<std::uint8_t>(i * 131 + size);
    const int l = in.next(-80, 80), t = in.next(-80, 80), r = in.next(-80, 80), b = in.next(-80, 80);
    const int v = in.next(-4000, 4000), w = in.next(-400, 400);
    TCurlFlags flags{};
    for (bool &f : flags)
        f = in.next(0, 1) == 1;
    DibBlock results[] = {
        SpOilPainting(dib, l, t, r, b, v % 60),
        SpBlur(dib, l, t, r, b, v),
        SpPinchHole(dib, l, t, r, b, v / 10.0),
        SpWhirl(dib, l, t, r, b, v),
        SpEngrave(dib, l, t, r, b, w),
        SpWave(dib, l, t, r, b, v, w, v, w % 2, v % 2),
        SpNoise(dib, l, t, r, b, v % 2, w % 2, v, w, v),
        SpEnhance(dib, l, t, r, b, v, w, v, w, v),
        SpMotion(dib, l, t, r, b, v, w, in.next(0, 4)),
        SpGrayArea(dib, l, t, r, b),
        SpBled(dib, l, t, r, b, v),
        SpEdge(dib, l, t, r, b, v),
        SpBetter(dib, l, t, r, b, w),
        SpRecToPolar(dib, l, t, r, b, v, w, v % 2, w % 2),
        SpCurl(dib, l, t, r, b, flags, 0xFF112233, 0xFF445566, w),
        SpMosaic(dib, l, t, r, b, v, w, v, w, v, w % 2, v % 2, w % 3, 0, 0),
        SpPixelFix(dib, l, t, r, b, v),
        SpAutoContrast(dib, l, t, r, b),
        SpJiggle(dib, l, t, r, b, v, w, v % 2),
        SpSpray(dib, l, t, r, b, v, w),
        SpFadeDib(dib, l, t, r, b, v, 1, 2, 3),
        SpThresholdDib(dib, l, t, r, b, v, w % 2),
        SpHToneImage(dib, v, w, v),
        SpTileDib(dib),
        SpExtrudeDib(dib, v % 2, w),
        SpWarp(dib, v % 2, w % 2, v % 3, v, w, in.next(1, 8), w),
        SpDropDib(dib, DibBlock::create(in.next(1, 60), in.next(1, 60), 24), -1, -1, -1, t, l),
        SpMergeDib(dib, DibBlock::create(in.next(1, 60), in.next(1, 60), bits), 0, 0, 0, b, r),
    };
    for (const DibBlock &out : results)
        if (!out.isNull() && (out.width() != dib.width() || out.height() != dib.height()))
            __builtin_trap();
    DibBlock copy = dib.copy();
    SpvisHueAndSaturation(copy, v % 2, w % 2, true, false, true, false, v, w, v, l, t, r, b);
    SpVisRotate(copy, l, t, r, b, v / 7.0, 0);
    SpVisMirror(copy, v % 2, w % 2);
    SpVisBrightness(copy, v);
    SpVisGamma(copy, w);
    return 0;
}
