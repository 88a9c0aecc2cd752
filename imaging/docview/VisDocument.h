// VisDocument: the document the viewer shows, apart from showing it: where its TIFF lives (a file,
// which may sit on a share, or a memory image), the page shown and the page count, the page's
// information and tags, and the picture with the depth and compression it goes back with.
#pragma once

#include "imaging/core/DLL96V1.h"
#include "imaging/core/DllSP96.h"
#include "imaging/core/ImagingTypes.h"
#include "imaging/core/TVisDib.h"
#include "imaging/core/TiffPages.h"

#include <QByteArray>
#include <QString>

namespace orva::imageio::lib {
struct FileInfo;
}

namespace orva::imaging {

// What the viewer knows of the current page's file: the information event carries it.
struct TVisInfo {
    QString FileName; // empty for a TIFF in memory
    bool FromFile = true;
    int Page = 0;
    int PageCount = 0;
    qint64 FileSize = 0;
    TTiffInfo Attributes;
    QString FileType; // the library's type name for pictures other than TIFF pages
};

class VisDocument {
public:
    // ---- settings ----
    // How long a load waits for its file, which may sit on a share, before it gives up.
    int ShareWaitMs() const { return m_shareWaitMs; }
    void SetShareWaitMs(int value) { m_shareWaitMs = value; }
    TTifSaveOpt TifSaveOptions() const { return m_tifSaveOptions; }
    void SetTifSaveOptions(TTifSaveOpt value) { m_tifSaveOptions = value; }
    int TifInsertAt() const { return m_tifInsertAt; }
    void SetTifInsertAt(int value) { m_tifInsertAt = value; }
    // A 1-bit page stored white-is-zero is turned the right way round when read.
    bool AutoCorrectDib() const { return m_autoCorrectDib; }
    void SetAutoCorrectDib(bool value) { m_autoCorrectDib = value; }
    TLoadResolution ImageReadRes() const { return m_imageReadRes; }
    void SetImageReadRes(TLoadResolution value) { m_imageReadRes = value; }

    // ---- annotations ----
    bool AutoLoadAnno() const { return m_autoLoadAnno; }
    void SetAutoLoadAnno(bool value) { m_autoLoadAnno = value; }
    bool AutoSaveAnno() const { return m_autoSaveAnno; }
    void SetAutoSaveAnno(bool value) { m_autoSaveAnno = value; }
    TLoadAnnoFrom AnnoLoadSaveFromTo() const { return m_annoLoadSaveFromTo; }
    void SetAnnoLoadSaveFromTo(TLoadAnnoFrom value) { m_annoLoadSaveFromTo = value; }
    // The annotation file as set or named after the picture; the one read from and the one
    // written to (see AnnotationFileToRead and AnnotationFileToWrite).
    QString AnnoFileName() const { return AnnotationFileName(m_annoFileName, AnnoPicture()); }
    void SetAnnoFileName(const QString &name) { m_annoFileName = name; }
    QString AnnoFileToRead() const { return AnnotationFileToRead(m_annoFileName, AnnoPicture()); }
    QString AnnoFileToWrite() const { return AnnotationFileToWrite(m_annoFileName, AnnoPicture()); }

    // ---- the source ----
    QString FileName() const { return m_fileName; }
    bool FromStream() const { return m_fromStream; }
    void SetFile(const QString &file);
    // The file name becomes "STREAM".
    void SetStream(const QByteArray &stream);
    // A scanned page's file becomes the name shown; a memory image stays held.
    void SetScannedFile(const QString &file);
    // Where the current TIFF lives, for the page and tag routines.
    TTiffSource Source();
    // The picture the annotation file is named after: none for a memory TIFF.
    QString AnnoPicture() const { return m_fromStream ? QString() : m_fileName; }

    // The file or memory image a write goes to ("STREAM" for the memory image), and the source
    // to go back to when the write fails.
    struct SourceMark {
        QString FileName;
        Bytes Stream;
        bool FromStream = false;
    };
    SourceMark SetWriteTarget(const QString &file);
    void RestoreSource(const SourceMark &mark);

    // The file may sit on a share: one read ahead is there, else it is looked at in a worker and a
    // share that does not answer counts as no file.
    static bool FileExists(const QString &name);
    // Each false with the user's message when what the call needs is not there.
    bool RequireImage(QString *error) const;
    bool RequireFile(QString *error) const;
    bool RequireSource(QString *error) const;

    // ---- pages ----
    int TiffPage() const { return m_tiffPage; }
    int PreviousTiffPage() const { return m_previousTiffPage; }
    int TiffPageCount() const { return m_tiffPageCount; }
    // The previous page is remembered.
    void SetTiffPage(int page);
    // The page a write left shown; the previous page is not touched.
    void SetWrittenPage(int page) { m_tiffPage = page; }
    void SetTiffPageCount(int count) { m_tiffPageCount = count; }
    void ClearPages() { m_tiffPage = m_previousTiffPage = m_tiffPageCount = 0; }
    // Reads a page of the source at bits; false (the library's last error set) when it cannot.
    bool ReadPage(int page, int bits, DibBlock &dib, TProgressTarget *progress);

    // ---- information and tags ----
    const TVisInfo &Info() const { return m_info; }
    // The current page's information and the page count; false with the user's message when the
    // source is gone or the library cannot tell.
    bool ReadInfo(QString *error);
    // The information of a picture file other than a TIFF: one page.
    void SetPictureInfo(const QString &file, const orva::imageio::lib::FileInfo &info);
    const TTiffTagList &TagList() const { return m_tags; }
    TTiffTagList &Tags() { return m_tags; }
    // False when the tags could not be read; the reason in `error` when the file is gone.
    bool ReadTags(QObject *sender, const TVisMesTag &onTag, QString *error = nullptr);
    void ClearTags() { m_tags.clear(); }

    // ---- the picture ----
    bool HasImage() const { return m_image.HasDib(); }
    const TVisDib &Image() const { return m_image; }
    TVisDib &Image() { return m_image; }
    // A page read from the source (see AutoCorrectDib).
    void TakePage(DibBlock page);
    // Replaces the picture (pasted, scanned or from the effects): it has its own depth now, and
    // unless keepCompression its own compression too.
    void SetPicture(DibBlock picture, bool keepCompression = false);
    void DropPicture();
    // The page just read or written is the picture's form: its stored depth and compression.
    void KeepPageForm();
    int PictureBits() const;
    TTiffCode PictureCompression(int bits, TTiffCompression chosen) const;
    // A copy at a percentage (through a gray copy for 1-bit pictures when a mode is given); null
    // with "Input image is empty" without a picture.
    DibBlock GetScaledDib(double percent, TScaleToGray mode, QString *error = nullptr) const;
    // Resamples to square pixels when the resolutions differ (or forced); true when it did.
    bool SquarePixels(bool force, void *progressData);
    // False with "Input image is empty" when the library could not invert it.
    bool InvertPicture(QString *error);

    // ---- resolution ----
    int XResolution() const;
    int YResolution() const;
    void SetXResolution(int dpi);
    void SetYResolution(int dpi);

private:
    int m_shareWaitMs = 10000;
    TTifSaveOpt m_tifSaveOptions = tiffAppend;
    int m_tifInsertAt = 0;
    bool m_autoCorrectDib = false;
    TLoadResolution m_imageReadRes = lAutoMatic;
    bool m_autoLoadAnno = false;
    bool m_autoSaveAnno = false;
    TLoadAnnoFrom m_annoLoadSaveFromTo = anFromFile;
    QString m_annoFileName;
    QString m_fileName;
    Bytes m_stream;
    bool m_fromStream = false;
    TVisInfo m_info;
    TTiffTagList m_tags;
    int m_tiffPage = 0;
    int m_previousTiffPage = 0;
    int m_tiffPageCount = 0;
    TVisDib m_image;
    int m_pictureBits = 0; // 0: the picture's own
    std::uint16_t m_pictureCompression = 0;
    int m_xResolution = 100;
    int m_yResolution = 100;
};

// Inverts a picture in place: 1-bit pictures bit by bit, others through the library; false with
// "Input image is empty" when the library could not.
bool InvertDib(DibBlock &dib, QString *error);

} // namespace orva::imaging
