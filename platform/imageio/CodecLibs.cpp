// PNG, JPEG and GIF decoders on libpng, libjpeg and giflib. Every library error comes back as a
// result code: libpng and libjpeg jump out of their error handlers instead of aborting the process.
#include "platform/imageio/Codecs.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace orva::imageio {

namespace {

struct PngSource {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t pos;
};

void pngRead(png_structp png, png_bytep out, png_size_t n) {
    auto *src = static_cast<PngSource *>(png_get_io_ptr(png));
    if (n > src->size - src->pos)
        png_error(png, "truncated");
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
}

void pngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

// libpng's own buffers (rows, chunks) stay far below this; a crafted file cannot make it ask for
// more: the request fails and the read ends with an error instead of taking the memory.
constexpr png_alloc_size_t kMaxPngAllocation = png_alloc_size_t(128) << 20;

png_voidp pngMalloc(png_structp, png_alloc_size_t size) {
    return size > kMaxPngAllocation ? nullptr : std::malloc(size);
}
void pngFree(png_structp, png_voidp p) {
    std::free(p);
}

} // namespace

std::int16_t decodePng(const std::uint8_t *data, std::size_t size, DibBlock &out) {
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return ErrUnsupported;
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning, nullptr,
                                               pngMalloc, pngFree);
    if (!png)
        return ErrNoMemory;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return ErrNoMemory;
    }
    PngSource src{data, size, 0};
    // Objects with destructors must not live across setjmp; keep everything in plain storage.
    DibBlock *result = new DibBlock;
    std::vector<png_bytep> *rows = new std::vector<png_bytep>;
    QVector<QRgb> *tablePtr = new QVector<QRgb>;
    std::int16_t code = ErrCorrupt;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &src, pngRead);
        png_set_user_limits(png, 1u << 20, 1u << 20);
        png_set_chunk_malloc_max(png, 64u << 20);
        png_read_info(png, info);
        const png_uint_32 w = png_get_image_width(png, info);
        const png_uint_32 h = png_get_image_height(png, info);
        const int depth = png_get_bit_depth(png, info);
        const int type = png_get_color_type(png, info);
        int bits = 24;
        QVector<QRgb> &table = *tablePtr;
        if (type == PNG_COLOR_TYPE_PALETTE) {
            png_colorp pal = nullptr;
            int n = 0;
            png_get_PLTE(png, info, &pal, &n);
            for (int i = 0; i < n; ++i)
                table.append(qRgb(pal[i].red, pal[i].green, pal[i].blue));
            bits = depth == 1 ? 1 : depth == 4 ? 4 : 8;
            if (depth == 2)
                png_set_packing(png);
        } else if (type == PNG_COLOR_TYPE_GRAY) {
            bits = depth == 1 ? 1 : 8;
            if (depth == 16)
                png_set_strip_16(png);
            if (depth == 2 || depth == 4)
                png_set_expand_gray_1_2_4_to_8(png);
            table = grayTable(bits == 1 ? 2 : 256);
        } else {
            if (depth == 16)
                png_set_strip_16(png);
            if (type & PNG_COLOR_MASK_ALPHA)
                png_set_strip_alpha(png);
            if (type == PNG_COLOR_TYPE_GRAY_ALPHA)
                png_set_gray_to_rgb(png);
            png_set_bgr(png);
        }
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        const std::int16_t sized = checkPictureSize(w, h, bits, size);
        code = sized == kOk ? ErrCorrupt : sized;
        if (sized == kOk && png_get_rowbytes(png, info) <= dibRowBytes(w, bits).value_or(0)) {
            *result = DibBlock::create(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), bits,
                                       bits <= 8 ? std::max<int>(1, static_cast<int>(table.size())) : 0);
            code = ErrNoMemory;
            if (*result) {
                result->setColorTable(table);
                png_uint_32 xr = 0, yr = 0;
                int unit = 0;
                if (png_get_pHYs(png, info, &xr, &yr, &unit) && unit == PNG_RESOLUTION_METER)
                    result->setResolution(static_cast<std::int32_t>(xr), static_cast<std::int32_t>(yr));
                else
                    result->setResolution(0, 0);
                rows->resize(h);
                for (png_uint_32 y = 0; y < h; ++y)
                    (*rows)[y] = result->scanLine(static_cast<int>(y));
                code = ErrCorrupt;
                png_read_image(png, rows->data());
                code = kOk;
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (code == kOk)
        out = std::move(*result);
    delete tablePtr;
    delete rows;
    delete result;
    return code;
}

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError *>(cinfo->err)->jump, 1);
}
void jpegOutput(j_common_ptr) {}

} // namespace

std::int16_t decodeJpeg(const std::uint8_t *data, std::size_t size, DibBlock &out) {
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return ErrUnsupported;
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.output_message = jpegOutput;
    DibBlock *result = new DibBlock;
    std::int16_t code = ErrCorrupt;
    if (setjmp(err.jump) == 0) {
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
        jpeg_read_header(&cinfo, TRUE);
        const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
        code = ErrUnsupported;
        if (cinfo.jpeg_color_space != JCS_CMYK && cinfo.jpeg_color_space != JCS_YCCK) {
            cinfo.out_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
            const int bits = gray ? 8 : 24;
            const std::int16_t sized = checkPictureSize(cinfo.image_width, cinfo.image_height, bits, size);
            code = sized == kOk ? ErrCorrupt : sized;
            if (sized == kOk) {
                *result = DibBlock::create(static_cast<std::int32_t>(cinfo.image_width),
                                           static_cast<std::int32_t>(cinfo.image_height), bits);
                code = ErrNoMemory;
                if (*result) {
                    if (gray)
                        result->setColorTable(grayTable(256));
                    if (cinfo.density_unit == 1 && cinfo.X_density > 0)
                        result->setResolution(static_cast<std::int32_t>(cinfo.X_density / 0.0254 + 0.5),
                                              static_cast<std::int32_t>(cinfo.Y_density / 0.0254 + 0.5));
                    else if (cinfo.density_unit == 2 && cinfo.X_density > 0)
                        result->setResolution(cinfo.X_density * 100, cinfo.Y_density * 100);
                    else
                        result->setResolution(0, 0);
                    code = ErrCorrupt;
                    jpeg_start_decompress(&cinfo);
                    while (cinfo.output_scanline < cinfo.output_height) {
                        JSAMPROW row = result->scanLine(static_cast<int>(cinfo.output_scanline));
                        jpeg_read_scanlines(&cinfo, &row, 1);
                    }
                    jpeg_finish_decompress(&cinfo);
                    code = kOk;
                }
            }
        }
    }
    jpeg_destroy_decompress(&cinfo);
    if (code == kOk)
        out = std::move(*result);
    delete result;
    return code;
}

namespace {

struct GifSource {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t pos;
};

int gifRead(GifFileType *gif, GifByteType *out, int n) {
    auto *src = static_cast<GifSource *>(gif->UserData);
    const std::size_t take =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(n, 0)), src->size - src->pos);
    std::memcpy(out, src->data + src->pos, take);
    src->pos += take;
    return static_cast<int>(take);
}

} // namespace

std::int16_t decodeGif(const std::uint8_t *data, std::size_t size, DibBlock &out) {
    if (!data || size < 13 || std::memcmp(data, "GIF", 3) != 0)
        return ErrUnsupported;
    const int sw = readLe16(data + 6);
    const int sh = readLe16(data + 8);
    if (!checkedPixels(sw, sh, 8))
        return ErrCorrupt;
    GifSource src{data, size, 0};
    int error = 0;
    GifFileType *gif = DGifOpen(&src, gifRead, &error);
    if (!gif)
        return ErrCorrupt;
    // Read record by record so the first frame's size is checked before its raster is allocated.
    std::int16_t code = ErrCorrupt;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    while (code == ErrCorrupt && DGifGetRecordType(gif, &record) == GIF_OK &&
           record != TERMINATE_RECORD_TYPE) {
        if (record == EXTENSION_RECORD_TYPE) {
            int ext = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif, &ext, &block) != GIF_OK)
                break;
            while (block && DGifGetExtensionNext(gif, &block) == GIF_OK) {
            }
            if (block)
                break;
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) != GIF_OK)
            break;
        const GifImageDesc &desc = gif->Image;
        const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        const int fl = desc.Left, ft = desc.Top, fw = desc.Width, fh = desc.Height;
        const int cw = std::max(sw, fl + fw);
        const int ch = std::max(sh, ft + fh);
        if (!map || map->ColorCount <= 0 || map->ColorCount > 256 || fw <= 0 || fh <= 0 || fl < 0 || ft < 0 ||
            checkPictureSize(cw, ch, 8, size) != kOk)
            break;
        DibBlock d = DibBlock::create(cw, ch, 8, map->ColorCount);
        if (!d) {
            code = ErrNoMemory;
            break;
        }
        for (int i = 0; i < map->ColorCount; ++i)
            d.setColor(i, qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
        const int background = gif->SBackGroundColor < map->ColorCount ? gif->SBackGroundColor : 0;
        for (int y = 0; y < ch; ++y)
            std::memset(d.scanLine(y), background, static_cast<std::size_t>(cw));
        std::vector<GifPixelType> line(static_cast<std::size_t>(fw));
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        bool ok = true;
        for (int pass = 0; pass < (desc.Interlace ? 4 : 1) && ok; ++pass) {
            const int first = desc.Interlace ? kStart[pass] : 0;
            const int step = desc.Interlace ? kStep[pass] : 1;
            for (int y = first; y < fh && ok; y += step) {
                ok = DGifGetLine(gif, line.data(), fw) == GIF_OK;
                std::uint8_t *row = d.scanLine(ft + y);
                for (int x = 0; x < fw && ok; ++x)
                    row[fl + x] = static_cast<std::uint8_t>(line[x] < map->ColorCount ? line[x] : 0);
            }
        }
        if (!ok)
            break;
        d.setResolution(0, 0);
        out = std::move(d);
        code = kOk;
    }
    DGifCloseFile(gif, &error);
    return code;
}

} // namespace orva::imageio
