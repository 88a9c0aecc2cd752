// The document viewer's multi-page TIFF work apart from its display: deleting, replacing,
// inserting, appending and packing pages of a TIFF file or of one held in memory (with the
// annotation file's page bookkeeping), the tag records and their writing, and the scan file names.
#pragma once

#include "imaging/core/DLL96V1.h"
#include "imaging/core/ImagingTypes.h"

#include <QList>
#include <QString>

#include <optional>

namespace orva::imaging {

// Where a viewer's TIFF lives: a file (the name as the viewer holds it) or a memory image, whose
// file name is "STREAM".
struct TTiffSource {
    QString File;
    Bytes *Stream = nullptr;
    bool IsStream() const { return Stream != nullptr; }
    static TTiffSource OfFile(const QString &file) { return TTiffSource{file, nullptr}; }
    static TTiffSource OfStream(Bytes &stream) { return TTiffSource{QStringLiteral("STREAM"), &stream}; }
};

// The annotations that follow a file's pages: the viewer's engine key and the picture's
// annotation file (empty: none, as for memory images).
struct TAnnoPages {
    const void *Window = nullptr;
    QString File;
};

// A call on a missing file or an empty memory image answers false (or no count) with "Input
// filename isn't valid" or "Stream is nil or empty" in `error`; a refusal of the library answers
// false with the library's last error set and `error` left alone.

// Pages of the source (0 when the library cannot read them); none for a missing source.
std::optional<int> TiffPageCount(const TTiffSource &source, QString *error = nullptr);

// The bits a TIFF page is written with: 1 for no compression and the fax codes, else the bits of
// the write resolution for "tif" (deviceDepth for sAutoMatic).
int TiffWriteBits(TTiffCompression compression, TSaveResolution writeRes, int deviceDepth);
// A copy of the picture at those bits; a null block with "Input image is empty" for no picture or
// "Can't allocate memory" in `error`.
DibBlock DibForTiff(const DibBlock &image, int bits, QString *error = nullptr);

// Deletes a page. The page shown afterwards is the same index, or the new last page when the last
// one went (memory images alike). The only page of a TIFF is never deleted (the call fails with
// the library's text). Answers false with the last error set when the library refused.
bool DeleteTiffPage(const TTiffSource &source, int page, const TAnnoPages &anno, int &showPage,
                    int &pageCount, QString *error = nullptr);
// Writes the picture over a page at those bits (TTiffCode::KeepPage keeps the page's compression
// where the bits allow; the page keeps what describes it, Exif and the like, either way).
bool ReplaceTiffPage(const TTiffSource &source, int page, const DibBlock &image, TTiffCode compression,
                     int bits, TProgressTarget *control = nullptr, QString *error = nullptr);
// The depth a page or picture of this many bits per pixel is written back at: 1, 4, 8 or 24.
int TiffStoredBits(int bitsPerPixel);
// Writes the (already scaled) picture by the save option: appended, written over the whole file,
// or inserted at insertAt (clamped to the page count; the annotation pages from there move up).
// The source becomes the file written; pageCount is its new count.
bool SaveTiffPage(const TTiffSource &source, const DibBlock &image, TTifSaveOpt option, int insertAt,
                  TTiffCode compression, int bits, const TAnnoPages &anno, int &pageCount,
                  TProgressTarget *control = nullptr, QString *error = nullptr);
bool PackTiffSource(const TTiffSource &source, TProgressTarget *control = nullptr, QString *error = nullptr);

// One tag of the current page, as the tag editor edits it.
struct TTiffTagRecord {
    std::uint16_t Tag = 0;
    std::uint16_t Length = 0;
    std::int32_t Value = 0;
    QByteArray Text;
    QString Name;
    bool ReadOnly = true;
    std::uint16_t Page = 0;
    bool Modified = false;
    std::uint16_t FieldType = 0;
    std::uint32_t Count = 0;
    bool IsText() const { return FieldType == 2; }
    // The range a number of this record's type may take.
    std::int64_t Minimum() const;
    std::int64_t Maximum() const;
};
using TTiffTagList = QList<TTiffTagRecord>;

// The numbers a record may be given: its type's range, narrowed to the valid codes of the
// enumerated tags (orientation, resolution unit and the like).
std::int64_t TagMinimum(const TTiffTagRecord &record);
std::int64_t TagMaximum(const TTiffTagRecord &record);
// The numeric box of the tag editor: what its text means for the record, and the text it is
// given back. Empty is "0", a lone "-" is "-1", text that is no integer counts as 0, a value out
// of range becomes the bound (and the box shows it).
struct TTagNumberText {
    std::int32_t Value = 0;
    QString Text;
};
TTagNumberText NormalizeTagNumber(const QString &text, const TTiffTagRecord &record);
// The text box: TIFF text is 7-bit ASCII and may not outgrow its slot (data length - 1 bytes).
bool TagTextAcceptable(const QString &text, const TTiffTagRecord &record);

// Empties the list and fills it with the page's tags; onTag sees each and may stop the listing.
// A memory image of a byte or less has no tags (false, `error` left alone).
bool ReadTagRecords(const TTiffSource &source, int page, TTiffTagList &tags, QObject *sender = nullptr,
                    const TVisMesTag &onTag = {}, QString *error = nullptr);
// Writes every modified writable record in one write and clears the marks; resolutionChanged
// tells whether XResolution or YResolution was among them. Nothing modified writes nothing.
bool WriteModifiedTags(const TTiffSource &source, int page, TTiffTagList &tags, bool &resolutionChanged,
                       QString *error = nullptr);

// The scan target file for a name and number. An empty name is "SCAN.TIF"; a name without
// directory (or in "C:\") goes into scanDirectory, one with its own directory stays there (made
// local); without extension it gets ".TIF". Its name part keeps its first four characters (for
// single pages after "0000000" is appended), a dot among them removed; single pages then get the
// number as four digits. The file-name part is upper-cased (a directory keeps its case).
QString ScanFileNameFor(const QString &name, int number, TScanSaveOpt option, const QString &scanDirectory);

} // namespace orva::imaging
