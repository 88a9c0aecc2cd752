// The imaging front end: the one road from the image controls to the image-I/O library, with its
// fixed call pattern (file check, progress caption, guarded call, 16-bit result, last error code
// and text), and the imaging helpers that need no library.
#pragma once

#include "imaging/core/ImagingTypes.h"
#include "imaging/core/MessageText.h"
#include "platform/imageio/Annotations.h"
#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoLibrary.h"
#include "platform/imageio/SaneScanner.h"

#include <QEvent>
#include <QImage>
#include <QStringList>

namespace orva::imaging {

using orva::imageio::Bytes;
using orva::imageio::DibBlock;

// Last failure of a library call: its code and the library's text for it.
std::int16_t LastErrorCode();
QString LastErrorText();
// The caption of the library call in progress ("Reading " + file name, ...).
QString LibraryCaption();

// Seams for callers and tests. The path mapper turns the names callers hold into local paths
// (identity until the application installs its own); the observer sees every library entry.
void SetPathMapper(std::function<QString(const QString &)> mapper);
// A file name as the library opens it (through the mapper).
QString MappedPath(const QString &file);
void SetLibraryCallObserver(std::function<void(const char *exportName)> observer);

// The progress procedure handed to the library: asks the control, 1 to go on, 0 to stop.
std::int16_t VisProgress(std::int16_t percent, void *data);

// Readers; out holds the new DIB only when they return true.
bool ReadBMPFileDib(const QString &file, int bits, int dither, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadPNGFileDib(const QString &file, int bits, int dither, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadPCXFileDib(const QString &file, int bits, int dither, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadGIFFileDib(const QString &file, int bits, int dither, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadJPGFileDib(const QString &file, int bits, int dither, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadTGAFileDib(const QString &file, int bits, int dither, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadEPSFileDib(const QString &file, int bits, int dither, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadPCDFileDib(const QString &file, int bits, int dither, TPCDMode mode, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadTIFFileDib(const QString &file, int bits, int dither, int page, DibBlock &out,
                    TProgressTarget *control = nullptr);
bool ReadTIFFileDibStream(const Bytes &block, int bits, int dither, int page, DibBlock &out,
                          TProgressTarget *control = nullptr);
bool ReadDXFToDdb(const QString &file, int bits, int dither, QImage &bitmap,
                  TProgressTarget *control = nullptr);

// Bitmap twins: read, convert with DibToBitmap at the wanted depth, free the DIB.
bool ReadBMPFileBitmap(const QString &file, int bits, int dither, QImage &bitmap,
                       TProgressTarget *control = nullptr);
bool ReadPNGFileBitmap(const QString &file, int bits, int dither, QImage &bitmap,
                       TProgressTarget *control = nullptr);
bool ReadPCXFileBitmap(const QString &file, int bits, int dither, QImage &bitmap,
                       TProgressTarget *control = nullptr);
bool ReadGIFFileBitmap(const QString &file, int bits, int dither, QImage &bitmap,
                       TProgressTarget *control = nullptr);
bool ReadJPGFileBitmap(const QString &file, int bits, int dither, QImage &bitmap,
                       TProgressTarget *control = nullptr);
bool ReadTGAFileBitmap(const QString &file, int bits, int dither, QImage &bitmap,
                       TProgressTarget *control = nullptr);
bool ReadEPSFileBitmap(const QString &file, int bits, int dither, QImage &bitmap,
                       TProgressTarget *control = nullptr);
bool ReadPCDFileBitmap(const QString &file, int bits, int dither, TPCDMode mode, QImage &bitmap,
                       TProgressTarget *control = nullptr);
bool ReadTIFFileBitmap(const QString &file, int bits, int dither, int page, QImage &bitmap,
                       TProgressTarget *control = nullptr);

// Information.
bool DllFileInfo(const QString &file, orva::imageio::lib::FileInfo &info);
struct TTiffInfo {
    int pages = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    QString compression; // the name for the page's compression code
    std::uint16_t compressionCode = 0;
};
bool DllGetInfo(const QString &file, int page, TTiffInfo &info);
bool DllGetInfoStream(const Bytes &block, int page, TTiffInfo &info);
// Sets no last error: the size values are all there is (0 when the drawing cannot be read).
void DllGetDXFInfo(const QString &file, orva::imageio::lib::DxfInfo &info);

std::uint16_t TiffCompressionCode(TTiffCompression compression);
// A TIFF compression as the library takes it: one of the choices of TTiffCompression, or any code
// the library writes (JPEG and Deflate among them, for pictures that keep their page's
// compression), or KeepPage for a page written over one whose compression it keeps.
struct TTiffCode {
    std::uint16_t code = 1;
    TTiffCode(TTiffCompression compression) : code(TiffCompressionCode(compression)) {}
    explicit TTiffCode(std::uint16_t raw) : code(raw) {}
    static TTiffCode KeepPage() { return TTiffCode(std::uint16_t{0}); }
};

// TIFF pages and memory TIFFs (the block grows as needed).
bool WriteTIFFileDib(const QString &file, TTiffCode compression, TTifSaveOpt option, const DibBlock &dib,
                     std::int16_t further, TProgressTarget *control = nullptr);
bool WriteTIFFileDibPage(const QString &file, TTiffCode compression, int page, const DibBlock &dib,
                         std::int16_t further, TProgressTarget *control = nullptr);
bool WriteTIFFileDibPageReplace(const QString &file, TTiffCode compression, int page, const DibBlock &dib,
                                std::int16_t further, TProgressTarget *control = nullptr);
bool DeleteTIFFPage(const QString &file, int page);
bool PackTIFF(const QString &file, TProgressTarget *control = nullptr);
bool WriteTIFFileDibStream(Bytes &block, TTiffCode compression, TTifSaveOpt option, const DibBlock &dib,
                           std::int16_t further, TProgressTarget *control = nullptr);
bool WriteTIFFileDibPageReplaceStream(Bytes &block, TTiffCode compression, int page, const DibBlock &dib,
                                      std::int16_t further, TProgressTarget *control = nullptr);
bool WriteTIFFileDibPageStream(Bytes &block, TTiffCode compression, int page, const DibBlock &dib,
                               std::int16_t further, TProgressTarget *control = nullptr);
bool DeleteTIFFPageStream(Bytes &block, int page);
bool PackTIFFStream(Bytes &block, TProgressTarget *control = nullptr);

// Tags. A tag comes back as a number or as text by its TIFF field type; arrays are read-only.
struct TTagRead {
    std::int16_t length = 0;
    std::int32_t value = 0;
    QByteArray text;
    std::uint16_t fieldType = 0;
    std::uint32_t count = 0;
    bool isText = false;
    bool isArray = false;
};
bool ReadTag(const QString &file, int page, std::uint16_t tag, TTagRead &out);
bool ReadTagStream(const Bytes &block, int page, std::uint16_t tag, TTagRead &out);
bool ReturnTags(const QString &file, int page, QObject *sender, const TVisMesTag &callback);
bool ReturnTagsStream(const Bytes &block, int page, QObject *sender, const TVisMesTag &callback);
bool WriteTag(const QString &file, int page, std::uint16_t tag, std::int32_t value);
bool WriteTagStream(Bytes &block, int page, std::uint16_t tag, std::int32_t value);
bool WriteTagString(const QString &file, int page, std::uint16_t tag, const QByteArray &text);
bool WriteTagStringStream(Bytes &block, int page, std::uint16_t tag, const QByteArray &text);
// Several tags of a page in one write (all or none), each in its own field type.
bool WriteTags(const QString &file, int page, const std::vector<orva::imageio::TiffTagWrite> &writes);
bool WriteTagsStream(Bytes &block, int page, const std::vector<orva::imageio::TiffTagWrite> &writes);
// Whether the tag editor may change a tag: a named, writable tag of one value (or ASCII text) of a
// number or text type, not one that describes the pixel layout or decoding.
bool TiffTagWritable(std::uint16_t tag, std::uint16_t fieldType, std::uint32_t count);

// Conversions: a new DIB, the input untouched.
DibBlock DllCopyDib(const DibBlock &dib);
DibBlock ConvertDib1To4(const DibBlock &dib);
DibBlock ConvertDib1To8(const DibBlock &dib);
DibBlock ConvertDib1To24(const DibBlock &dib);
DibBlock ConvertDib4To8(const DibBlock &dib);
DibBlock ConvertDib4To24(const DibBlock &dib);
DibBlock ConvertDib8To24(const DibBlock &dib);
DibBlock ConvertDib16To24(const DibBlock &dib);
DibBlock ConvertDib32To24(const DibBlock &dib);

// Helpers without the library.
void SetMciExtensions(const QStringList &extensions);
bool IsMciExtension(const QString &ext);
QString MediaFilterText();
int DeviceColorDepth(int deviceBitsPerPixel);
int SaveBitDepth(const QString &ext, TSaveResolution resolution, int deviceDepth);
int ReadBitDepth(TLoadResolution resolution, int deviceDepth);
QString TiffCompressionName(std::int16_t code);
QString TiffTagName(std::uint16_t tag, bool *readOnly = nullptr);
QString FileNameWithoutExt(const QString &path);
void FreeDib(DibBlock &dib);
// The DIB as a picture at the wanted depth (0: its own); the DIB is not changed or freed.
bool DibToBitmap(const DibBlock *dib, int bits, int dither, TProgressTarget *control, QImage &bitmap);
// A foreign packed DIB (clipboard) fully validated before any of it is read.
bool DibHandleToBitmap(const std::uint8_t *block, std::size_t size, QImage &bitmap);
// A picture as a DIB at its own depth (16/32 bits become 24); a null DIB, with the reason in
// `error`, for no picture or no memory for it.
DibBlock GraphicToDib(const QImage *graphic, QString *error = nullptr);
DibBlock GraphicToDibDepth(const QImage &graphic, int bits, int dither, TProgressTarget *control = nullptr,
                           QString *error = nullptr);
bool LoadResourceBitmap(const QString &name, QImage &bitmap);
QString AnnotationIniPath();
enum TStretchMode { ColorOnColor, BlackOnWhite, WhiteOnBlack };
TStretchMode SetBlitStretchMode(int bits, TBlitMode mode);

// The annotation engine, one per image control (keyed by the control).
// The annotation file of a picture: the control's own name for it when set, else the picture's
// whole path followed by ".ant" (scan.tif and scan.jpg keep their marks apart); empty without a
// picture, when nothing is loaded or saved.
QString AnnotationFileName(const QString &annoFileName, const QString &pictureName);
// The name such files had before: the path with the extension of its file-name part replaced by
// ".ant", shared by the pictures of one base name. Empty when the control names the file or the
// two names are the same.
QString OlderAnnotationFileName(const QString &annoFileName, const QString &pictureName);
// The file a picture's marks are read from: its own, or the older one while it has no own file.
QString AnnotationFileToRead(const QString &annoFileName, const QString &pictureName);
// The file a picture's marks are written to: its own, after the older file's marks were copied
// into it when it had none; the older file itself when that copy failed (so no page's marks are
// left behind).
QString AnnotationFileToWrite(const QString &annoFileName, const QString &pictureName);
// The mouse message number the engine takes for a button event (right button 516/517, any other
// 513/514) or a move (512); 0 for events it does not take.
int AnnoMouseMessage(QEvent::Type type, Qt::MouseButton button);
// The annotation events of an image control, and the engine callbacks that fire them (the control,
// a QObject, is the engine's callback data).
struct TAnnotationEvents {
    std::function<void(QObject *)> OnAnnoDone;
    TOnAnnoClick OnAnnoClick;
    TOnCustomAnnotationDraw OnCustomAnnotationDraw;
    TOnCustomAnnotationHardDraw OnCustomAnnotationHardDraw;
    TOnBeforeAnnotationDraw OnBeforeAnnotationDraw;
    TOnAfterAnnotationDraw OnAfterAnnotationDraw;
};
// afterDone and afterClick run after the events (the control's own notifications); askText asks
// the user for a note's text.
orva::imageio::anno::Callbacks
AnnotationCallbacks(const TAnnotationEvents *events, std::function<void(QObject *)> afterDone,
                    std::function<void(QObject *, bool, std::int32_t)> afterClick,
                    std::function<QString(QObject *, const QString &)> askText);
void AnnoInit(const void *window, void *control);
void AnnoInit(const void *window, void *control, const orva::imageio::anno::Callbacks &callbacks);
void AnnoDestroy(const void *window);
// Takes the view of the paint; the overload with the paint's painter also draws.
void AnnoDraw(const void *window, int originX, int originY, int offsetX, int offsetY, int scrollBarWidth,
              double zoom);
void AnnoDraw(const void *window, QPainter &painter, int originX, int originY, int offsetX, int offsetY,
              int scrollBarWidth, double zoom);
// The annotations onto a whole surface (printing, a page's bitmap) at that origin and zoom.
void AnnoDrawWhole(const void *window, QPainter &painter, int originX, int originY, double zoom);
void AnnoMouseMon(const void *window, int message, const QPoint &point);
void AnnoMenuMsg(const void *window, int command);
QList<orva::imageio::anno::MenuItem> AnnoMenuItems(const void *window);
void AnnoRubberBandOff(const void *window);
void AnnoClear(const void *window);
// Load and save answer false (the last error set) when the engine refused, for example a corrupt file.
bool AnnoLoad(const void *window, int page, const QString &file);
bool AnnoSave(const void *window, int page, const QString &file);
// The current page's annotations as text and back (memory images keep no file of their own).
QByteArray AnnoStreamSave(const void *window, int page);
bool AnnoStreamLoad(const void *window, int page, const QByteArray &text);
// Page bookkeeping in a picture's annotation file when pages are removed or inserted.
bool AnnoRemovePage(const void *window, int page, const QString &file);
bool AnnoInsertPage(const void *window, int page, const QString &file);
bool AnnoIsAnnotation(const void *window);
// The calls the image controls make when they leave a picture or page (save when autoSave and
// there is a file, then clear) and when they enter one (load when autoLoad and the file exists).
// False when a save or load was refused (the last error says why).
bool AnnoLeave(const void *window, bool autoSave, int page, const QString &file);
bool AnnoEnter(const void *window, bool autoLoad, int page, const QString &file);
int AnnotationCount(const void *window);

// Message text files. Both answer false for a missing file (the credit list emptied even then),
// and false with the reason in `error` for a file that cannot be opened, one too large to be a
// message, or a number field that is no decimal.
bool ReadScrollingMessageFile(const QString &file, TMessageFont &font, int &speed, QString &message,
                              std::uint32_t &backColor, QString *error = nullptr);
bool ReadCreditMessageFile(const QString &file, TMessageFont &font, int &speed, QStringList &lines,
                           std::uint32_t &backColor, QString *error = nullptr);

// Scanning. The source chooser is the user interface's (it gets the device names and answers the
// one to use); without one the first device is used. All three calls refuse at once while any of
// them runs.
using TScanSourceChooser = std::function<QString(const QStringList &devices)>;
// The folder scans are written to when their name has no folder of its own (the setup file's
// "scandirectory", as written there); empty: scanning is refused.
void SetScanDirectory(const QString &directory);
QString ScanDirectory();
void SetScanSourceChooser(TScanSourceChooser chooser);
QString ScanSource();
bool TwainBusy();
bool SelectTwainSource(QObject *parent = nullptr);
bool AcquireDibImage(int bits, int dither, DibBlock &out, TProgressTarget *control = nullptr);
// Multi-page acquisition: each page goes to perPage (false stops); without perPage the single page
// becomes the bitmap.
using TScanPageCallback = std::function<bool(DibBlock &&page)>;
bool TwainMultiPage(const orva::imageio::ScanSettings &settings, int bits, const TScanPageCallback &perPage,
                    QImage *bitmap, TProgressTarget *control = nullptr);

} // namespace orva::imaging
