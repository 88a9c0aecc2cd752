// The operations of our image-I/O library, one per entry point the imaging front end calls.
// Every operation answers a 16-bit result: > 0 success (>= 0 for the information calls), or a
// negative failure code whose text errorText() gives. Files are never truncated or half written:
// every change goes to a temporary file that is renamed over the old one.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"
#include "platform/imageio/TiffCodec.h"
#include "platform/imageio/TiffFile.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

namespace orva::imageio::lib {

struct FileInfo {
    QString type;            // "BMP", "PNG", "GIF", "PCX", "JPEG", "PCD", "TGA", "EPS", "TIFF", "DXF"
    QString compressionName; // TIFF compression name, else "NONE" or the format's own scheme
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int xDpi = 0;
    int yDpi = 0;
    qint64 size = 0;
};

struct DxfInfo {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// Readers. bits: 0 = the file's own depth, else 1, 4, 8 or 24; dither: error diffusion on reduction.
std::int16_t rdbmpfiledib(const QString &file, int bits, int dither, DibBlock &out,
                          const Progress &progress = {});
std::int16_t rdpngfiledib(const QString &file, int bits, int dither, DibBlock &out,
                          const Progress &progress = {});
std::int16_t rdpcxfiledib(const QString &file, int bits, int dither, DibBlock &out,
                          const Progress &progress = {});
std::int16_t rdgiffiledib(const QString &file, int bits, int dither, DibBlock &out,
                          const Progress &progress = {});
std::int16_t rdjpgfiledib(const QString &file, int bits, int scale, int dither, DibBlock &out,
                          const Progress &progress = {});
std::int16_t readtgafiledib(const QString &file, int bits, int dither, DibBlock &out,
                            const Progress &progress = {});
std::int16_t readepsfiledib(const QString &file, int bits, int dither, DibBlock &out,
                            const Progress &progress = {});
std::int16_t readpcdfiledib(const QString &file, int bits, int dither, int pcdMode, DibBlock &out,
                            const Progress &progress = {});
std::int16_t readtiffiledib(const QString &file, int bits, int dither, int page, DibBlock &out,
                            const Progress &progress = {});
std::int16_t readtiffiledibstream(const Bytes &block, int bits, int dither, int page, DibBlock &out,
                                  const Progress &progress = {});
// DXF drawings are rendered straight into a bitmap (white background, black lines).
std::int16_t readdxftoddb(const QString &file, int bits, int dither, QImage &out,
                          const Progress &progress = {});

// Information.
std::int16_t fileinfo(const QString &file, FileInfo &info);
std::int16_t getinfo(const QString &file, int page, TiffPageInfo &info);
std::int16_t getinfostream(const Bytes &block, int page, TiffPageInfo &info);
std::int16_t getdxfinfo(const QString &file, DxfInfo &info);

// TIFF pages. "further" is passed through by the callers and not used by this library.
std::int16_t writetiffiledib(const QString &file, std::uint16_t compression, int append, const DibBlock &dib,
                             std::int16_t further, const Progress &progress = {});
std::int16_t writetiffiledibpage(const QString &file, std::uint16_t compression, int page,
                                 const DibBlock &dib, std::int16_t further, const Progress &progress = {});
std::int16_t writetiffiledibpagereplace(const QString &file, std::uint16_t compression, int page,
                                        const DibBlock &dib, std::int16_t further,
                                        const Progress &progress = {});
std::int16_t deletepage(const QString &file, int page);
std::int16_t packtiff(const QString &file, const Progress &progress = {});
std::int16_t writetiffiledibstream(Bytes &block, std::uint16_t compression, int append, const DibBlock &dib,
                                   std::int16_t further, const Progress &progress = {});
std::int16_t writetiffiledibpagereplacestream(Bytes &block, std::uint16_t compression, int page,
                                              const DibBlock &dib, std::int16_t further,
                                              const Progress &progress = {});
std::int16_t writetiffiledibpagestream(Bytes &block, std::uint16_t compression, int page, const DibBlock &dib,
                                       std::int16_t further, const Progress &progress = {});
std::int16_t deletepagestream(Bytes &block, int page);
std::int16_t packtiffstream(Bytes &block, const Progress &progress = {});

// Tags. The tag callback answers false to stop the listing.
using TagCallback = std::function<bool(const TiffTagValue &)>;
std::int16_t readtag(const QString &file, int page, std::uint16_t tag, TiffTagValue &value);
std::int16_t returntags(const QString &file, int page, const TagCallback &callback);
std::int16_t writetag(const QString &file, int page, std::uint16_t tag, std::int32_t value);
std::int16_t writetagstring(const QString &file, int page, std::uint16_t tag, const QByteArray &text);
std::int16_t readtagstream(const Bytes &block, int page, std::uint16_t tag, TiffTagValue &value);
std::int16_t returntagsstream(const Bytes &block, int page, const TagCallback &callback);
std::int16_t writetagstream(Bytes &block, int page, std::uint16_t tag, std::int32_t value);
std::int16_t writetagstringstream(Bytes &block, int page, std::uint16_t tag, const QByteArray &text);
// Several tags of one page in one write: all of them or none.
std::int16_t writetags(const QString &file, int page, const std::vector<TiffTagWrite> &writes);
std::int16_t writetagsstream(Bytes &block, int page, const std::vector<TiffTagWrite> &writes);

// File helpers shared with the front end.
std::int16_t readWholeFile(const QString &file, Bytes &out);

// The bytes of a file already read in a worker (it may sit on a share that stops answering): while
// the object lives, readWholeFile on this thread takes them instead of going to the file again.
// Writes still go to the file.
class ReadAhead {
public:
    ReadAhead(const QString &file, std::shared_ptr<const Bytes> data);
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // The bytes read ahead for `file` on this thread, or null.
    static const Bytes *find(const QString &file);

private:
    QString m_file;
    std::shared_ptr<const Bytes> m_data;
    ReadAhead *m_outer;
};
// Writes through the shared-file writer: renamed into place only when every byte reached the disk,
// the old file kept otherwise; an existing file keeps its mode, a new one gets the folder's. stillCurrent,
// when given, is asked just before the rename (false: ErrChanged, the file is left as it is). Progress runs
// from 90 to 100 while writing.
std::int16_t writeFileAtomic(const QString &file, const Bytes &data, const Progress &progress = {},
                             const std::function<bool()> &stillCurrent = {});
// The format by its content (TGA and DXF, which have no signature, by extension); empty if unknown.
QString detectType(const Bytes &head, const QString &file);

} // namespace orva::imageio::lib
