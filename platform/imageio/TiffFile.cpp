// Page and tag edits of whole TIFF files held in memory (classic TIFF, either byte order).
#include "platform/imageio/TiffFile.h"

#include "platform/imageio/TiffCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

namespace orva::imageio {

namespace {

constexpr std::size_t kMaxPages = 65535;

struct Order {
    bool big = false;
    std::uint16_t u16(const std::uint8_t *p) const {
        return big ? static_cast<std::uint16_t>((p[0] << 8) | p[1]) : readLe16(p);
    }
    std::uint32_t u32(const std::uint8_t *p) const {
        return big ? (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
                         (static_cast<std::uint32_t>(p[2]) << 8) | p[3]
                   : readLe32(p);
    }
    void put16(std::uint8_t *p, std::uint16_t v) const {
        if (big) {
            p[0] = static_cast<std::uint8_t>(v >> 8);
            p[1] = static_cast<std::uint8_t>(v);
        } else {
            writeLe16(p, v);
        }
    }
    void put32(std::uint8_t *p, std::uint32_t v) const {
        if (big) {
            for (int i = 0; i < 4; ++i)
                p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
        } else {
            writeLe32(p, v);
        }
    }
};

int typeSize(std::uint16_t type) {
    switch (type) {
    case 1:
    case 2:
    case 6:
    case 7:
        return 1;
    case 3:
    case 8:
        return 2;
    case 4:
    case 9:
    case 11:
    case 13:
        return 4;
    case 5:
    case 10:
    case 12:
        return 8;
    default:
        return 0;
    }
}

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    Bytes value;                 // raw bytes in the file's order
    const Bytes *from = nullptr; // the file its offsets point into
};

// A directory to copy: a page of some file, with tags written over it and, for a page that takes
// another's place, the tags it inherits from the page it replaces.
struct Page {
    const Bytes *file = nullptr;
    std::uint32_t ifd = 0;
    std::map<std::uint16_t, Entry> overrides;
    const Bytes *inheritFile = nullptr;
    std::uint32_t inheritIfd = 0;
};

bool parseHeader(const Bytes &f, Order &order, std::uint32_t &first) {
    if (f.size() < 8)
        return false;
    if (f[0] == 'I' && f[1] == 'I')
        order.big = false;
    else if (f[0] == 'M' && f[1] == 'M')
        order.big = true;
    else
        return false;
    if (order.u16(f.data() + 2) != 42)
        return false;
    first = order.u32(f.data() + 4);
    return true;
}

bool isTiff(const Bytes &f) {
    Order order;
    std::uint32_t first = 0;
    return parseHeader(f, order, first);
}

// The chain of directory offsets; empty on any structural fault (loops, out of range).
std::vector<std::uint32_t> ifdChain(const Bytes &f, Order &order) {
    std::uint32_t off = 0;
    std::vector<std::uint32_t> chain;
    if (!parseHeader(f, order, off))
        return chain;
    std::set<std::uint32_t> seen;
    while (off != 0) {
        if (off < 8 || static_cast<std::uint64_t>(off) + 2 > f.size() || !seen.insert(off).second ||
            chain.size() >= kMaxPages)
            return {};
        const std::uint16_t n = order.u16(f.data() + off);
        const std::uint64_t end = static_cast<std::uint64_t>(off) + 2 + 12ull * n + 4;
        if (end > f.size())
            return {};
        chain.push_back(off);
        off = order.u32(f.data() + off + 2 + 12ull * n);
    }
    return chain;
}

// A directory's entries; false when it or a value lies outside the file.
bool readEntries(const Bytes &f, const Order &order, std::uint32_t ifd, std::vector<Entry> &entries) {
    if (ifd < 8 || static_cast<std::uint64_t>(ifd) + 2 > f.size())
        return false;
    const std::uint16_t n = order.u16(f.data() + ifd);
    if (static_cast<std::uint64_t>(ifd) + 2 + 12ull * n > f.size())
        return false;
    for (std::uint16_t i = 0; i < n; ++i) {
        const std::uint8_t *e = f.data() + ifd + 2 + 12 * i;
        Entry entry;
        entry.tag = order.u16(e);
        entry.type = order.u16(e + 2);
        entry.count = order.u32(e + 4);
        entry.from = &f;
        const int size = typeSize(entry.type);
        if (size == 0)
            continue; // unknown field types cannot be relocated safely
        const std::uint64_t bytes = static_cast<std::uint64_t>(entry.count) * size;
        if (bytes > f.size())
            return false;
        if (bytes <= 4) {
            entry.value.assign(e + 8, e + 8 + bytes);
        } else {
            const std::uint32_t at = order.u32(e + 8);
            if (at + bytes > f.size())
                return false;
            entry.value.assign(f.data() + at, f.data() + at + bytes);
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

std::uint32_t entryNumber(const Entry &e, const Order &order, std::uint32_t i) {
    if (e.type == 3)
        return order.u16(e.value.data() + 2 * i);
    return order.u32(e.value.data() + 4 * i);
}

bool offsetType(std::uint16_t type) {
    return type == 3 || type == 4 || type == 13;
}

// Free-space lists describe where the old file had holes; a copy has none.
bool freeSpaceTag(std::uint16_t tag) {
    return tag == 288 || tag == 289;
}

// Offsets of further directories: sub-images, Exif, GPS and interoperability data. Those
// directories travel with their page.
bool directoryTag(std::uint16_t tag) {
    return tag == 330 || tag == 34665 || tag == 34853 || tag == 40965;
}

// Old-style JPEG: its interchange stream and its tables sit at offsets of their own.
bool oldJpegTag(std::uint16_t tag) {
    return tag >= 512 && tag <= 521;
}

// Values that are offsets into the file: no write may set them, they are rewritten on every copy.
bool pointerTag(std::uint16_t tag) {
    return freeSpaceTag(tag) || directoryTag(tag) || oldJpegTag(tag);
}

// Tags that describe the pixel layout or how the strips decode: changing one makes the page
// unreadable or wrong, so they are never written, and a new page never takes them from the old.
bool structuralTag(std::uint16_t tag) {
    static const std::uint16_t kTags[] = {256, 257, 258, 259, 262, 266, 273, 277, 278, 279, 284, 292, 293,
                                          317, 320, 322, 323, 324, 325, 338, 339, 347, 530, 531, 532};
    return std::find(std::begin(kTags), std::end(kTags), tag) != std::end(kTags) || pointerTag(tag);
}

// How the old pixels' colours are to be understood: meaningless for a page of another kind.
bool colourMeaningTag(std::uint16_t tag) {
    return tag == 301 || tag == 318 || tag == 319 || tag == 529 || tag == 34675;
}

void align(Bytes &out) {
    if (out.size() & 1)
        out.push_back(0);
}

constexpr int kMaxDirectoryDepth = 4;

// The copy being made: the output and the directories on the way down (a loop is a fault).
struct Copy {
    const Order &order;
    Bytes &out;
    std::set<std::pair<const Bytes *, std::uint32_t>> open;
};

std::int16_t copyBlock(const Bytes &file, std::uint64_t at, std::uint64_t length, Copy &c,
                       std::uint32_t &movedTo) {
    if (at + length > file.size())
        return ErrCorrupt;
    align(c.out);
    if (c.out.size() + length > 0xFFFFFFF0ull)
        return ErrTooLarge;
    movedTo = static_cast<std::uint32_t>(c.out.size());
    c.out.insert(c.out.end(), file.data() + at, file.data() + at + length);
    return kOk;
}

// An entry of offsets rewritten to the places the blocks were copied to; lengthOf gives each
// block's length from its offset and index.
template <typename Length> std::int16_t moveBlocks(Entry &e, Copy &c, Length &&lengthOf) {
    if (!offsetType(e.type))
        return ErrCorrupt;
    Entry moved = e;
    moved.type = e.type == 13 ? 13 : 4;
    moved.value.assign(4ull * e.count, 0);
    for (std::uint32_t i = 0; i < e.count; ++i) {
        const std::uint32_t at = entryNumber(e, c.order, i);
        std::uint64_t length = 0;
        std::int16_t code = lengthOf(at, i, length);
        if (code != kOk)
            return code;
        std::uint32_t to = 0;
        code = copyBlock(*e.from, at, length, c, to);
        if (code != kOk)
            return code;
        c.order.put32(moved.value.data() + 4 * i, to);
    }
    e = std::move(moved);
    return kOk;
}

std::int16_t copyDirectory(const Bytes &file, std::uint32_t ifd, const Page *page, Copy &c, int depth,
                           std::size_t &ifdAt, std::size_t &nextPointer);

// The strips or tiles of a directory, copied and their offsets rewritten.
std::int16_t moveImageData(std::map<std::uint16_t, Entry> &byTag, Copy &c) {
    for (const auto &[offsetsTag, countsTag] :
         {std::pair<std::uint16_t, std::uint16_t>{273, 279}, {324, 325}}) {
        auto offsets = byTag.find(offsetsTag);
        if (offsets == byTag.end())
            continue;
        auto counts = byTag.find(countsTag);
        if (counts == byTag.end() || counts->second.count != offsets->second.count ||
            counts->second.from != offsets->second.from || !offsetType(counts->second.type))
            return ErrCorrupt;
        const Entry &lengths = counts->second;
        const std::int16_t code =
            moveBlocks(offsets->second, c, [&](std::uint32_t, std::uint32_t i, std::uint64_t &length) {
                length = entryNumber(lengths, c.order, i);
                return kOk;
            });
        if (code != kOk)
            return code;
        offsets->second.type = 4;
    }
    return kOk;
}

// Old-style JPEG data: the interchange stream (by its length tag), the quantisation tables (64
// bytes each) and the Huffman tables (16 counts, then as many values as they add up to).
std::int16_t moveOldJpeg(std::map<std::uint16_t, Entry> &byTag, Copy &c) {
    if (auto stream = byTag.find(513); stream != byTag.end()) {
        const auto length = byTag.find(514);
        // Without its length the stream's end is not known, so it cannot be carried over.
        if (length == byTag.end() || length->second.count != 1 || stream->second.count != 1 ||
            !offsetType(length->second.type))
            return ErrUnmovable;
        const std::uint32_t bytes = entryNumber(length->second, c.order, 0);
        const std::int16_t code =
            moveBlocks(stream->second, c, [&](std::uint32_t, std::uint32_t, std::uint64_t &n) {
                n = bytes;
                return kOk;
            });
        if (code != kOk)
            return code;
    }
    if (auto q = byTag.find(519); q != byTag.end()) {
        const std::int16_t code =
            moveBlocks(q->second, c, [](std::uint32_t, std::uint32_t, std::uint64_t &n) {
                n = 64;
                return kOk;
            });
        if (code != kOk)
            return code;
    }
    for (std::uint16_t tag : {std::uint16_t{520}, std::uint16_t{521}}) {
        auto h = byTag.find(tag);
        if (h == byTag.end())
            continue;
        const Bytes &file = *h->second.from;
        const std::int16_t code =
            moveBlocks(h->second, c, [&](std::uint32_t at, std::uint32_t, std::uint64_t &n) {
                if (static_cast<std::uint64_t>(at) + 16 > file.size())
                    return ErrCorrupt;
                n = 16;
                for (int i = 0; i < 16; ++i)
                    n += file[at + i];
                return kOk;
            });
        if (code != kOk)
            return code;
    }
    return kOk;
}

// The directories an entry points at, copied whole (each its own data and sub-directories).
std::int16_t moveDirectories(Entry &e, Copy &c, int depth) {
    if (!offsetType(e.type) || e.type == 3)
        return ErrCorrupt;
    Entry moved = e;
    moved.value.assign(4ull * e.count, 0);
    for (std::uint32_t i = 0; i < e.count; ++i) {
        std::size_t at = 0;
        std::size_t next = 0;
        const std::int16_t code =
            copyDirectory(*e.from, entryNumber(e, c.order, i), nullptr, c, depth + 1, at, next);
        if (code != kOk)
            return code;
        c.order.put32(moved.value.data() + 4 * i, static_cast<std::uint32_t>(at));
    }
    e = std::move(moved);
    return kOk;
}

// The tags a page inherits from the page it replaces: what describes the page rather than its
// pixels (dates, names, page number, resolution when the new one has none, Exif, GPS, sub-images).
std::int16_t inheritTags(const Page &page, std::map<std::uint16_t, Entry> &byTag, const Order &order) {
    std::vector<Entry> old;
    if (!readEntries(*page.inheritFile, order, page.inheritIfd, old))
        return ErrCorrupt;
    const auto photometricOf = [&](auto begin, auto end) {
        for (auto it = begin; it != end; ++it)
            if (it->tag == 262 && !it->value.empty())
                return entryNumber(*it, order, 0);
        return 0xFFFFFFFFu;
    };
    std::vector<Entry> fresh;
    for (const auto &[tag, e] : byTag)
        fresh.push_back(e);
    const bool sameKind = photometricOf(old.begin(), old.end()) == photometricOf(fresh.begin(), fresh.end());
    for (Entry &e : old) {
        if (byTag.count(e.tag) || (structuralTag(e.tag) && !directoryTag(e.tag)) ||
            (colourMeaningTag(e.tag) && !sameKind))
            continue;
        byTag[e.tag] = std::move(e);
    }
    return kOk;
}

// Copies one directory into out with everything it points at; answers where it starts and where
// its next pointer sits (left 0).
std::int16_t copyDirectory(const Bytes &file, std::uint32_t ifd, const Page *page, Copy &c, int depth,
                           std::size_t &ifdAt, std::size_t &nextPointer) {
    if (depth > kMaxDirectoryDepth || !c.open.insert({&file, ifd}).second)
        return ErrCorrupt;
    std::vector<Entry> entries;
    if (!readEntries(file, c.order, ifd, entries))
        return ErrCorrupt;
    std::map<std::uint16_t, Entry> byTag;
    for (auto &e : entries)
        if (!freeSpaceTag(e.tag))
            byTag[e.tag] = std::move(e);
    if (page && page->inheritFile) {
        const std::int16_t code = inheritTags(*page, byTag, c.order);
        if (code != kOk)
            return code;
    }
    if (page)
        for (const auto &[tag, e] : page->overrides)
            byTag[tag] = e;
    std::int16_t code = moveImageData(byTag, c);
    if (code == kOk)
        code = moveOldJpeg(byTag, c);
    for (auto &[tag, e] : byTag) {
        if (code != kOk)
            break;
        if (directoryTag(tag))
            code = moveDirectories(e, c, depth);
    }
    if (code != kOk)
        return code;
    std::vector<std::uint32_t> valueAt;
    for (const auto &[tag, e] : byTag) {
        if (e.value.size() <= 4) {
            valueAt.push_back(0);
            continue;
        }
        align(c.out);
        valueAt.push_back(static_cast<std::uint32_t>(c.out.size()));
        c.out.insert(c.out.end(), e.value.begin(), e.value.end());
    }
    align(c.out);
    if (c.out.size() + 6 + 12 * byTag.size() > 0xFFFFFFF0ull)
        return ErrTooLarge;
    const std::size_t at = c.out.size();
    c.out.resize(at + 2 + 12 * byTag.size() + 4, 0);
    c.order.put16(c.out.data() + at, static_cast<std::uint16_t>(byTag.size()));
    std::size_t i = 0;
    for (const auto &[tag, e] : byTag) {
        std::uint8_t *p = c.out.data() + at + 2 + 12 * i;
        c.order.put16(p, tag);
        c.order.put16(p + 2, e.type);
        c.order.put32(p + 4, e.count);
        if (e.value.size() <= 4) {
            if (!e.value.empty())
                std::memcpy(p + 8, e.value.data(), e.value.size());
        } else
            c.order.put32(p + 8, valueAt[i]);
        ++i;
    }
    c.open.erase({&file, ifd});
    ifdAt = at;
    nextPointer = at + 2 + 12 * byTag.size();
    return kOk;
}

// Why a file gives no pages: too short, no TIFF at all, or a TIFF whose directories are broken.
std::int16_t notParsed(const Bytes &file) {
    if (file.size() < 8)
        return ErrTooSmall;
    return isTiff(file) ? ErrCorrupt : ErrNotTiff;
}

std::int16_t rebuild(const std::vector<Page> &pages, const Order &order, Bytes &file,
                     const Progress &progress) {
    if (pages.empty())
        return ErrPage;
    Bytes out(8, 0);
    out[0] = out[1] = order.big ? 'M' : 'I';
    order.put16(out.data() + 2, 42);
    std::size_t link = 4;
    Copy copy{order, out, {}};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        std::size_t ifd = 0;
        std::size_t next = 0;
        const std::int16_t code = copyDirectory(*pages[i].file, pages[i].ifd, &pages[i], copy, 0, ifd, next);
        if (code != kOk)
            return code;
        order.put32(out.data() + link, static_cast<std::uint32_t>(ifd));
        link = next;
        if (!progress.step(static_cast<int>(90 + 10 * (i + 1) / pages.size())))
            return ErrStopped;
    }
    file = std::move(out);
    return kOk;
}

std::int16_t pagesOf(const Bytes &file, Order &order, std::vector<Page> &pages) {
    const auto chain = ifdChain(file, order);
    if (chain.empty())
        return notParsed(file);
    for (std::uint32_t off : chain)
        pages.push_back(Page{&file, off, {}});
    return kOk;
}

// The compression a page taking another's place is written with when it keeps the old one's: the
// same code where it can be written at this depth, new-style JPEG for old-style, the registered
// Deflate code for the old one, and LZW (lossless) for anything that cannot be written here.
std::uint16_t keptCompression(const Bytes &file, std::uint32_t ifd, const Order &order, int bits) {
    std::vector<Entry> entries;
    std::uint16_t code = TiffNone;
    if (readEntries(file, order, ifd, entries))
        for (const Entry &e : entries)
            if (e.tag == 259 && e.count == 1 && (e.type == 3 || e.type == 4))
                code = static_cast<std::uint16_t>(entryNumber(e, order, 0));
    if (code == 6)
        code = TiffJpeg;
    else if (code == 32946)
        code = TiffDeflate;
    return tiffCompressionValid(code, bits) ? code : std::uint16_t{TiffLzw};
}

std::int16_t withNewPage(Bytes &file, int page, const DibBlock &dib, std::uint16_t compression, bool replace,
                         const Progress &progress) {
    Order order;
    std::vector<Page> pages;
    if (!file.empty()) {
        const std::int16_t code = pagesOf(file, order, pages);
        if (code != kOk)
            return code;
    }
    const int count = static_cast<int>(pages.size());
    if (page < 0 || page > count || (replace && page == count))
        return ErrPage;
    const bool keep = replace && compression == kKeepCompression;
    if (keep)
        compression = keptCompression(file, pages[page].ifd, order, effectiveTiffBits(dib));
    Bytes encoded;
    std::int16_t code = encodeTiffPage(dib, compression, order.big, encoded, progress);
    // A picture the kept compression cannot hold (a coloured table under JPEG) is kept lossless.
    if (keep && code == ErrCompression && compression != TiffLzw)
        code = encodeTiffPage(dib, TiffLzw, order.big, encoded, progress);
    if (code != kOk)
        return code;
    Order encodedOrder;
    const auto chain = ifdChain(encoded, encodedOrder);
    if (chain.size() != 1)
        return ErrInternal;
    Page fresh{&encoded, chain[0], {}, nullptr, 0};
    if (replace) {
        fresh.inheritFile = pages[page].file;
        fresh.inheritIfd = pages[page].ifd;
        pages[page] = fresh;
    } else {
        pages.insert(pages.begin() + page, fresh);
    }
    return rebuild(pages, order, file, progress);
}

} // namespace

int tiffPageCount(const Bytes &file) {
    Order order;
    return static_cast<int>(ifdChain(file, order).size());
}

std::int16_t tiffInsertPage(Bytes &file, int page, const DibBlock &dib, std::uint16_t compression,
                            const Progress &progress) {
    return withNewPage(file, page, dib, compression, false, progress);
}

std::int16_t tiffAppendPage(Bytes &file, const DibBlock &dib, std::uint16_t compression,
                            const Progress &progress) {
    return withNewPage(file, file.empty() ? 0 : tiffPageCount(file), dib, compression, false, progress);
}

std::int16_t tiffReplacePage(Bytes &file, int page, const DibBlock &dib, std::uint16_t compression,
                             const Progress &progress) {
    return withNewPage(file, page, dib, compression, true, progress);
}

std::int16_t tiffDeletePage(Bytes &file, int page) {
    Order order;
    std::vector<Page> pages;
    const std::int16_t code = pagesOf(file, order, pages);
    if (code != kOk)
        return code;
    if (page < 0 || page >= static_cast<int>(pages.size()))
        return ErrPage;
    // A TIFF needs at least one page; removing the last one would leave an unreadable file.
    if (pages.size() == 1)
        return ErrOnlyPage;
    pages.erase(pages.begin() + page);
    return rebuild(pages, order, file, {});
}

std::int16_t tiffPack(Bytes &file, const Progress &progress) {
    Order order;
    std::vector<Page> pages;
    const std::int16_t code = pagesOf(file, order, pages);
    if (code != kOk)
        return code;
    return rebuild(pages, order, file, progress);
}

namespace {

TiffTagValue describe(const Entry &e, const Order &order) {
    TiffTagValue v;
    v.tag = e.tag;
    v.type = e.type;
    v.count = e.count;
    v.length = static_cast<std::int16_t>(std::min<std::size_t>(e.value.size(), 32767));
    if (e.type == 2) {
        v.kind = TiffTagKind::Text;
        QByteArray text(reinterpret_cast<const char *>(e.value.data()),
                        static_cast<qsizetype>(e.value.size()));
        const qsizetype nul = text.indexOf('\0');
        v.text = nul >= 0 ? text.left(nul) : text;
        return v;
    }
    if (e.count != 1) {
        v.kind = TiffTagKind::Array;
        if (!e.value.empty() && (e.type == 3 || e.type == 4))
            v.number = static_cast<std::int32_t>(entryNumber(e, order, 0));
        return v;
    }
    switch (e.type) {
    case 1:
    case 7:
        v.number = e.value[0];
        break;
    case 6:
        v.number = static_cast<std::int8_t>(e.value[0]);
        break;
    case 3:
        v.number = order.u16(e.value.data());
        break;
    case 8:
        v.number = static_cast<std::int16_t>(order.u16(e.value.data()));
        break;
    case 4:
    case 9:
    case 13:
        v.number = static_cast<std::int32_t>(order.u32(e.value.data()));
        break;
    case 5:
    case 10: {
        const double num =
            e.type == 5 ? order.u32(e.value.data()) : static_cast<std::int32_t>(order.u32(e.value.data()));
        const double den = e.type == 5 ? order.u32(e.value.data() + 4)
                                       : static_cast<std::int32_t>(order.u32(e.value.data() + 4));
        v.number =
            den != 0
                ? static_cast<std::int32_t>(std::clamp(std::round(num / den), -2147483648.0, 2147483647.0))
                : 0;
        break;
    }
    default:
        v.kind = TiffTagKind::Array;
    }
    return v;
}

std::int16_t pageEntries(const Bytes &file, int page, Order &order, std::vector<Entry> &entries) {
    const auto chain = ifdChain(file, order);
    if (chain.empty())
        return notParsed(file);
    if (page < 0 || page >= static_cast<int>(chain.size()))
        return ErrPage;
    return readEntries(file, order, chain[page], entries) ? kOk : ErrCorrupt;
}

// The field type of a number for a tag the page lacks: RATIONAL for the resolutions, else the
// smallest unsigned type that holds it (SLONG for a negative one).
std::uint16_t typeForNewTag(std::uint16_t tag, std::int32_t value) {
    if (tag == 282 || tag == 283)
        return 5;
    if (value < 0)
        return 9;
    return value <= 0xFFFF ? 3 : 4;
}

// The value in the tag's own type; empty when it does not fit that type's range.
Bytes encodeNumber(std::uint16_t type, std::int32_t value, const Order &order) {
    Bytes b;
    switch (type) {
    case 1:
    case 7:
        if (value >= 0 && value <= 0xFF)
            b.push_back(static_cast<std::uint8_t>(value));
        break;
    case 6:
        if (value >= -128 && value <= 127)
            b.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(value)));
        break;
    case 3:
        if (value >= 0 && value <= 0xFFFF) {
            b.resize(2);
            order.put16(b.data(), static_cast<std::uint16_t>(value));
        }
        break;
    case 8:
        if (value >= -32768 && value <= 32767) {
            b.resize(2);
            order.put16(b.data(), static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
        }
        break;
    case 4:
    case 13:
        if (value >= 0) {
            b.resize(4);
            order.put32(b.data(), static_cast<std::uint32_t>(value));
        }
        break;
    case 9:
        b.resize(4);
        order.put32(b.data(), static_cast<std::uint32_t>(value));
        break;
    case 5:
        if (value >= 0) {
            b.resize(8);
            order.put32(b.data(), static_cast<std::uint32_t>(value));
            order.put32(b.data() + 4, 1);
        }
        break;
    case 10:
        b.resize(8);
        order.put32(b.data(), static_cast<std::uint32_t>(value));
        order.put32(b.data() + 4, 1);
        break;
    default:
        break;
    }
    return b;
}

// The entry a write makes, checked against what the page holds: numbers keep the tag's type and
// must fit it, text goes only to ASCII tags, arrays are never replaced by one value.
std::int16_t entryForWrite(const std::vector<Entry> &entries, const Order &order, const TiffTagWrite &w,
                           Entry &entry) {
    if (structuralTag(w.tag))
        return ErrTag;
    const Entry *old = nullptr;
    for (const auto &e : entries)
        if (e.tag == w.tag)
            old = &e;
    entry = Entry{};
    entry.tag = w.tag;
    if (w.isText) {
        if ((old && old->type != 2) || w.text.contains('\0'))
            return ErrTag;
        entry.type = 2;
        entry.count = static_cast<std::uint32_t>(w.text.size() + 1);
        entry.value.assign(w.text.begin(), w.text.end());
        entry.value.push_back(0);
        return kOk;
    }
    if (old && (old->type == 2 || old->count != 1))
        return ErrTag;
    entry.type = old ? old->type : typeForNewTag(w.tag, w.number);
    entry.count = 1;
    entry.value = encodeNumber(entry.type, w.number, order);
    return entry.value.empty() ? ErrTag : kOk;
}

} // namespace

std::int16_t tiffReadTag(const Bytes &file, int page, std::uint16_t tag, TiffTagValue &value) {
    Order order;
    std::vector<Entry> entries;
    const std::int16_t code = pageEntries(file, page, order, entries);
    if (code != kOk)
        return code;
    for (const auto &e : entries)
        if (e.tag == tag) {
            value = describe(e, order);
            return kOk;
        }
    return ErrTag;
}

std::int16_t tiffListTags(const Bytes &file, int page, std::vector<TiffTagValue> &tags) {
    Order order;
    std::vector<Entry> entries;
    const std::int16_t code = pageEntries(file, page, order, entries);
    if (code != kOk)
        return code;
    for (const auto &e : entries)
        tags.push_back(describe(e, order));
    return kOk;
}

std::int16_t tiffWriteTags(Bytes &file, int page, const std::vector<TiffTagWrite> &writes) {
    Order order;
    std::vector<Page> pages;
    std::int16_t code = pagesOf(file, order, pages);
    if (code != kOk)
        return code;
    if (page < 0 || page >= static_cast<int>(pages.size()))
        return ErrPage;
    std::vector<Entry> entries;
    if (!readEntries(file, order, pages[page].ifd, entries))
        return ErrCorrupt;
    for (const TiffTagWrite &w : writes) {
        Entry entry;
        code = entryForWrite(entries, order, w, entry);
        if (code != kOk)
            return code;
        pages[page].overrides[w.tag] = std::move(entry);
    }
    return rebuild(pages, order, file, {});
}

std::int16_t tiffWriteTag(Bytes &file, int page, std::uint16_t tag, std::int32_t value) {
    return tiffWriteTags(file, page, {TiffTagWrite{tag, false, value, {}}});
}

std::int16_t tiffWriteTagString(Bytes &file, int page, std::uint16_t tag, const QByteArray &text) {
    return tiffWriteTags(file, page, {TiffTagWrite{tag, true, 0, text}});
}

bool tiffTagWritable(std::uint16_t tag) {
    return !structuralTag(tag);
}

} // namespace orva::imageio
