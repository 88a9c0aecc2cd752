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
    Bytes value; // raw bytes in the file's order
};

struct Page {
    const Bytes *file = nullptr;
    std::uint32_t ifd = 0;
    std::map<std::uint16_t, Entry> overrides;
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

bool readEntries(const Bytes &f, const Order &order, std::uint32_t ifd, std::vector<Entry> &entries) {
    const std::uint16_t n = order.u16(f.data() + ifd);
    for (std::uint16_t i = 0; i < n; ++i) {
        const std::uint8_t *e = f.data() + ifd + 2 + 12 * i;
        Entry entry;
        entry.tag = order.u16(e);
        entry.type = order.u16(e + 2);
        entry.count = order.u32(e + 4);
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

// Pointers to other directories or to data outside the strips cannot follow a copy.
bool droppedTag(std::uint16_t tag) {
    return tag == 288 || tag == 289 || tag == 330 || tag == 513 || tag == 514 || tag == 34665 ||
           tag == 34853 || tag == 40965;
}

void align(Bytes &out) {
    if (out.size() & 1)
        out.push_back(0);
}

// Copies one page into out; answers where its directory starts and where its next pointer sits.
std::int16_t copyPage(const Page &page, const Order &order, Bytes &out, std::size_t &ifdAt,
                      std::size_t &nextPointer) {
    std::vector<Entry> entries;
    if (!readEntries(*page.file, order, page.ifd, entries))
        return ErrCorrupt;
    std::map<std::uint16_t, Entry> byTag;
    for (auto &e : entries)
        if (!droppedTag(e.tag))
            byTag[e.tag] = std::move(e);
    for (const auto &[tag, e] : page.overrides)
        byTag[tag] = e;
    // Strip or tile data is copied and its offsets rewritten.
    for (const auto &[offsetsTag, countsTag] :
         {std::pair<std::uint16_t, std::uint16_t>{273, 279}, {324, 325}}) {
        auto offsets = byTag.find(offsetsTag);
        auto counts = byTag.find(countsTag);
        if (offsets == byTag.end())
            continue;
        if (counts == byTag.end() || counts->second.count != offsets->second.count ||
            (offsets->second.type != 3 && offsets->second.type != 4) ||
            (counts->second.type != 3 && counts->second.type != 4))
            return ErrCorrupt;
        Entry moved;
        moved.tag = offsetsTag;
        moved.type = 4;
        moved.count = offsets->second.count;
        moved.value.resize(4ull * moved.count);
        for (std::uint32_t i = 0; i < moved.count; ++i) {
            const std::uint32_t at = entryNumber(offsets->second, order, i);
            const std::uint32_t len = entryNumber(counts->second, order, i);
            if (static_cast<std::uint64_t>(at) + len > page.file->size())
                return ErrCorrupt;
            align(out);
            if (out.size() + len > 0xFFFFFFF0ull)
                return ErrTooLarge;
            order.put32(moved.value.data() + 4 * i, static_cast<std::uint32_t>(out.size()));
            out.insert(out.end(), page.file->data() + at, page.file->data() + at + len);
        }
        byTag[offsetsTag] = std::move(moved);
    }
    std::vector<std::uint32_t> valueAt;
    for (const auto &[tag, e] : byTag) {
        if (e.value.size() <= 4) {
            valueAt.push_back(0);
            continue;
        }
        align(out);
        valueAt.push_back(static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), e.value.begin(), e.value.end());
    }
    align(out);
    if (out.size() + 6 + 12 * byTag.size() > 0xFFFFFFF0ull)
        return ErrTooLarge;
    const std::size_t ifd = out.size();
    out.resize(ifd + 2 + 12 * byTag.size() + 4, 0);
    order.put16(out.data() + ifd, static_cast<std::uint16_t>(byTag.size()));
    std::size_t i = 0;
    for (const auto &[tag, e] : byTag) {
        std::uint8_t *p = out.data() + ifd + 2 + 12 * i;
        order.put16(p, tag);
        order.put16(p + 2, e.type);
        order.put32(p + 4, e.count);
        if (e.value.size() <= 4) {
            if (!e.value.empty())
                std::memcpy(p + 8, e.value.data(), e.value.size());
        } else
            order.put32(p + 8, valueAt[i]);
        ++i;
    }
    ifdAt = ifd;
    nextPointer = ifd + 2 + 12 * byTag.size();
    return kOk;
}

std::int16_t rebuild(const std::vector<Page> &pages, const Order &order, Bytes &file,
                     const Progress &progress) {
    if (pages.empty())
        return ErrPage;
    Bytes out(8, 0);
    out[0] = out[1] = order.big ? 'M' : 'I';
    order.put16(out.data() + 2, 42);
    std::size_t link = 4;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        std::size_t ifd = 0;
        std::size_t next = 0;
        const std::int16_t code = copyPage(pages[i], order, out, ifd, next);
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
        return file.size() < 8 ? ErrTooSmall : ErrCorrupt;
    for (std::uint32_t off : chain)
        pages.push_back(Page{&file, off, {}});
    return kOk;
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
    Bytes encoded;
    std::int16_t code = encodeTiffPage(dib, compression, order.big, encoded, progress);
    if (code != kOk)
        return code;
    Order encodedOrder;
    const auto chain = ifdChain(encoded, encodedOrder);
    if (chain.size() != 1)
        return ErrInternal;
    const Page fresh{&encoded, chain[0], {}};
    if (replace)
        pages[page] = fresh;
    else
        pages.insert(pages.begin() + page, fresh);
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
        return file.size() < 8 ? ErrTooSmall : ErrCorrupt;
    if (page < 0 || page >= static_cast<int>(chain.size()))
        return ErrPage;
    return readEntries(file, order, chain[page], entries) ? kOk : ErrCorrupt;
}

// Tags that describe the pixel layout or how the strips decode: changing one makes the page
// unreadable or wrong, so they are never written.
bool structuralTag(std::uint16_t tag) {
    static const std::uint16_t kTags[] = {256, 257, 258, 259, 262, 266, 273, 277, 278, 279, 284, 292, 293,
                                          317, 320, 322, 323, 324, 325, 338, 339, 347, 530, 531, 532};
    return std::find(std::begin(kTags), std::end(kTags), tag) != std::end(kTags) || droppedTag(tag);
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
