// The document viewer.
#include "imaging/docview/VisDocumentImage.h"
#include "imaging/core/ClipboardPicture.h"

#include "common/FileWait.h"
#include "common/LocalPath.h"
#include "common/Trace.h"
#include "common/UserMessages.h"
#include "common/WaitCursor.h"
#include "imaging/core/ErrorInvalid.h"
#include "imaging/docview/DocGlyphs.h"
#include "imaging/docview/DocRender.h"
#include "imaging/docview/DocViewGeometry.h"
#include "imaging/view/AnnotationMenu.h"
#include "imaging/view/ViewGeometry.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/ImageIoLibrary.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QScrollBar>

#include <cmath>
#include <memory>
#include <optional>

namespace orva::imaging {

using namespace DocViewGeometry;
using ViewGeometry::nearest;

namespace {

namespace lib = orva::imageio::lib;

// A document's file as read in a worker, before the readers on the window thread take its bytes.
struct Fetched {
    bool isFile = false;
    std::shared_ptr<const orva::imageio::Bytes> data;
};

// Reads `name` once in a worker while the window goes on; nothing when the share did not answer
// (the user has been told) or the user gave up. Within the scope it leaves in `ahead`, every
// reader of the file takes the bytes read.
std::optional<Fetched> fetch(const QString &name, int waitMs, std::unique_ptr<lib::ReadAhead> &ahead) {
    const QString local = LocalPath::toLocalPath(name);
    if (lib::ReadAhead::find(local))
        return Fetched{true, nullptr};
    std::optional<Fetched> fetched = FileWait::Watched(
        local,
        [local] {
            Fetched f;
            auto data = std::make_shared<orva::imageio::Bytes>();
            const bool read = lib::readWholeFile(local, *data) == orva::imageio::kOk;
            f.isFile = QFileInfo(local).isFile();
            if (f.isFile && read)
                f.data = std::move(data);
            return f;
        },
        waitMs);
    if (fetched && fetched->data)
        ahead = std::make_unique<lib::ReadAhead>(local, fetched->data);
    return fetched;
}

// The screen cursors by slot number: 5 to 9 hold the viewer's own.
QCursor slotCursor(int slot) {
    static const QHash<int, QString> names = {{5, QStringLiteral("GRABHAND")},
                                              {6, QStringLiteral("RUBBAND")},
                                              {7, QStringLiteral("ANNO")},
                                              {8, QStringLiteral("ZOOMIN")},
                                              {9, QStringLiteral("ZOOMOUT")}};
    return DocCursor(names.value(slot));
}

// Marks the viewer busy for the length of a load; a load asked for meanwhile (from a progress
// handler that lets events through) is refused instead of replacing the picture under the first.
class BusyScope {
public:
    explicit BusyScope(bool &flag) : m_flag(flag), m_entered(!flag) { m_flag = true; }
    ~BusyScope() {
        if (m_entered) {
            m_flag = false;
        }
    }
    bool entered() const { return m_entered; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    bool &m_flag;
    bool m_entered;
};

} // namespace

// Holds painting off while the picture is replaced; the viewer repaints when the last hold ends.
class VisDocumentImage::PaintHold {
public:
    explicit PaintHold(VisDocumentImage &v) : m_v(v) { ++m_v.m_paintHolds; }
    ~PaintHold() {
        --m_v.m_paintHolds;
        m_v.viewport()->update();
    }
    PaintHold(const PaintHold &) = delete;
    PaintHold &operator=(const PaintHold &) = delete;

private:
    VisDocumentImage &m_v;
};

VisDocumentImage::VisDocumentImage(QWidget *parent) : QAbstractScrollArea(parent) {
    resize(185, 41);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->setSingleStep(8);
        bar->setTracking(true);
    }
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (OnHScrollBarClick) {
            OnHScrollBarClick(this, action);
        }
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        if (OnVScrollBarClick) {
            OnVScrollBarClick(this, action);
        }
    });
    QObject *self = this;
    AnnoInit(this, self,
             AnnotationCallbacks(
                 this, [this](QObject *) { emit annoDone(this); },
                 [this](QObject *, bool selecting, std::int32_t object) {
                     if (focusPolicy() != Qt::NoFocus) {
                         setFocus(Qt::OtherFocusReason);
                     }
                     emit annoClick(selecting, object);
                 },
                 [this](QObject *, const QString &current) { return askAnnoText(current); }));
}

VisDocumentImage::~VisDocumentImage() {
    // A scan still running stops; none of its hooks reaches this viewer any more.
    m_scanJob.reset();
    if (m_doc.AutoSaveAnno() && HasImage() && !AnnoFileName().isEmpty()) {
        AnnoSave(this, m_doc.TiffPage(), m_doc.AnnoFileToWrite());
    }
    AnnoDestroy(this);
}

QString VisDocumentImage::askAnnoText(const QString &current) {
    return m_dialogs ? m_dialogs->AskAnnoText(this, current) : QString();
}

void VisDocumentImage::DoProgress(std::int16_t percent, const QString &message, bool &cancel) {
    if (OnProgress) {
        OnProgress(this, percent, message, cancel);
    }
}

void VisDocumentImage::caption(const QString &text) {
    bool cancel = false;
    DoProgress(0, text, cancel);
}

void VisDocumentImage::notify() {
    emit stateChanged(this);
}

int VisDocumentImage::readBits() const {
    return ReadBitDepth(m_doc.ImageReadRes(), DeviceColorDepth(depth()));
}

void VisDocumentImage::reportLibraryFailure() {
    if (OnVislibError) {
        OnVislibError(this, LastErrorCode(), LastErrorText(), LastErrorText().toLatin1());
    } else {
        ORVA_TRACE(QStringLiteral("image library"),
                   m_doc.FileName() + QStringLiteral(": ") + LastErrorText());
    }
}

// ---- loading --------------------------------------------------------------------------------------

bool VisDocumentImage::LoadTiff(const QString &file, int page, int bits, QString *error) {
    std::unique_ptr<lib::ReadAhead> ahead;
    const std::optional<Fetched> fetched = fetch(file, m_doc.ShareWaitMs(), ahead);
    if (!fetched) {
        return true;
    }
    if (!fetched->isFile) {
        return failWith(error, ErrorInvalidText::InputFilenameNotValid());
    }
    return loadSource([&] { m_doc.SetFile(file); }, page, bits, error);
}

bool VisDocumentImage::LoadTiffPage(const QString &file, int page, int bits, double percent,
                                    TScaleToGray mode, QString *error) {
    // The scale is taken before the page is read, so the picture is shown (and its gray copy made)
    // once, at the scale asked for.
    m_scalePercent = ClampScalePercent(percent);
    m_scaleDoc = mode;
    return LoadTiff(file, page, bits, error);
}

bool VisDocumentImage::LoadTiffFromStream(const QByteArray &stream, int page, int bits, QString *error) {
    if (stream.isEmpty()) {
        return failWith(error, ErrorInvalidText::StreamNilOrEmpty());
    }
    return loadSource([&] { m_doc.SetStream(stream); }, page, bits, error);
}

bool VisDocumentImage::loadSource(const std::function<void()> &setSource, int page, int bits,
                                  QString *error) {
    // A load already running keeps its document; this one is dropped without a word.
    const BusyScope busy(m_busy);
    if (!busy.entered()) {
        return true;
    }
    leaveAnnotations();
    setSource();
    if (!readPage(page, bits, error)) {
        return false;
    }
    enterAnnotations();
    return true;
}

bool VisDocumentImage::readPage(int page, int bits, QString *error) {
    std::unique_ptr<lib::ReadAhead> ahead;
    if (!m_doc.FromStream() && !fetch(m_doc.FileName(), m_doc.ShareWaitMs(), ahead)) {
        return true;
    }
    {
        const PaintHold hold(*this);
        dropImage();
        DibBlock dib;
        if (m_doc.ReadPage(page, bits, dib, this)) {
            m_doc.SetTiffPageCount(0);
            m_doc.SetTiffPage(page);
            takePage(std::move(dib));
            if (!ReadTiffInfo(error)) {
                return false;
            }
            m_doc.KeepPageForm();
            SetScaleDoc(m_scaleDoc);
            if (OnFinishedLoadSave) {
                OnFinishedLoadSave(this);
            }
        } else {
            reportLibraryFailure();
            imageChanged();
        }
    }
    if (!ReadTags(error)) {
        return false;
    }
    applyAutoSize();
    updateScrollRanges();
    viewport()->update();
    return true;
}

void VisDocumentImage::takePage(DibBlock page) {
    m_doc.TakePage(std::move(page));
    imageChanged();
    squarePixels(false);
}

void VisDocumentImage::LoadImageFile(const QString &file, TLoadResolution resolution, bool dither) {
    const BusyScope busy(m_busy);
    if (!busy.entered()) {
        return;
    }
    std::unique_ptr<lib::ReadAhead> ahead;
    if (!fetch(file, m_doc.ShareWaitMs(), ahead)) {
        return;
    }
    {
        const PaintHold hold(*this);
        leaveAnnotations();
        dropImage();
        m_doc.SetFile(file);
        m_doc.ClearPages();
        m_doc.ClearTags();
        imageChanged();
        if (VisDocument::FileExists(file)) {
            orva::imageio::lib::FileInfo info;
            if (DllFileInfo(file, info)) {
                m_doc.SetPictureInfo(file, info);
                if (OnInfo) {
                    OnInfo(this, m_doc.Info());
                }
                const int bits = LoadImageFileBits(resolution);
                const int d = dither ? 1 : 0;
                const QString type = info.type.toUpper();
                DibBlock dib;
                bool ok = false;
                if (type == QLatin1String("BMP"))
                    ok = ReadBMPFileDib(file, bits, d, dib, this);
                else if (type == QLatin1String("PNG"))
                    ok = ReadPNGFileDib(file, bits, d, dib, this);
                else if (type == QLatin1String("GIF"))
                    ok = ReadGIFFileDib(file, bits, d, dib, this);
                else if (type == QLatin1String("PCX"))
                    ok = ReadPCXFileDib(file, bits, d, dib, this);
                else if (type == QLatin1String("JPEG"))
                    ok = ReadJPGFileDib(file, bits, d, dib, this);
                else if (type == QLatin1String("PCD"))
                    ok = ReadPCDFileDib(file, bits, d, pcd_BASE4, dib, this);
                else if (type == QLatin1String("TGA"))
                    ok = ReadTGAFileDib(file, bits, d, dib, this);
                else if (type == QLatin1String("EPS"))
                    ok = ReadEPSFileDib(file, bits, d, dib, this);
                else
                    ORVA_TRACE(QStringLiteral("no reader for the picture type"), type);
                if (ok && dib) {
                    m_doc.Image().SetDib(std::move(dib));
                    imageChanged();
                    SetScaleDoc(m_scaleDoc);
                } else if (!ok) {
                    reportLibraryFailure();
                }
            } else {
                reportLibraryFailure();
            }
        }
    }
    // The picture's marks come back as a TIFF page's do: a mark drawn next would otherwise be
    // saved over the ones not shown.
    enterAnnotations();
    applyAutoSize();
    updateScrollRanges();
    if (OnFinishedLoadSave) {
        OnFinishedLoadSave(this);
    }
}

int VisDocumentImage::LoadImageFileBits(TLoadResolution resolution) {
    switch (resolution) {
    case lColorVga:
    case lColor16:
        return 4;
    case lMonoChrome:
        return 1;
    case lColor256:
        return 8;
    case lColorTrue:
        return 24;
    case lAutoMatic:
        return 0;
    }
    return 0;
}

bool VisDocumentImage::ReadTiffInfo(QString *error) {
    if (!m_doc.ReadInfo(error)) {
        return false;
    }
    if (OnInfo) {
        OnInfo(this, m_doc.Info());
    }
    return true;
}

bool VisDocumentImage::ReadTags(QString *error) {
    QString why;
    return m_doc.ReadTags(this, OnTag, &why) || why.isEmpty() || failWith(error, why);
}

// ---- pages ----------------------------------------------------------------------------------------

bool VisDocumentImage::GoToPage(int page, QString *error) {
    if (m_doc.TiffPageCount() <= 0 || page < 0 || page >= m_doc.TiffPageCount()) {
        return false;
    }
    if (!m_doc.FromStream() && !m_doc.RequireFile(error)) {
        return false;
    }
    const BusyScope busy(m_busy);
    if (!busy.entered()) {
        return false;
    }
    return readPage(page, readBits(), error) && HasImage() && m_doc.TiffPage() == page;
}

bool VisDocumentImage::movePage(int page, QString *error) {
    if (page == m_doc.TiffPage() || page < 0 || page >= m_doc.TiffPageCount() || m_busy) {
        return false;
    }
    leaveAnnotations();
    QString failure;
    const bool moved = GoToPage(page, &failure);
    if (!failure.isEmpty()) {
        return failWith(error, failure);
    }
    enterAnnotations();
    notify();
    return moved;
}

bool VisDocumentImage::NextPage(QString *error) {
    return m_doc.TiffPage() < m_doc.TiffPageCount() - 1 && movePage(m_doc.TiffPage() + 1, error);
}

bool VisDocumentImage::PriorPage(QString *error) {
    return m_doc.TiffPage() > 0 && movePage(m_doc.TiffPage() - 1, error);
}

bool VisDocumentImage::FirstPage(QString *error) {
    return movePage(0, error);
}

bool VisDocumentImage::LastPage(QString *error) {
    return movePage(m_doc.TiffPageCount() - 1, error);
}

// ---- page writing, tags and scanning ---------------------------------------------------------------

void VisDocumentImage::SetScanFileName(const QString &name) {
    ScanFileName = name;
}

bool VisDocumentImage::writeFailed(QString *error, const QString &refused) {
    if (!refused.isEmpty()) {
        return failWith(error, refused);
    }
    if (!OnVislibError) {
        return failWith(error, LastErrorText());
    }
    OnVislibError(this, LastErrorCode(), LastErrorText(), LastErrorText().toLatin1());
    return false;
}

bool VisDocumentImage::reloadAfterWrite(int page, QString *error) {
    if (!ReadTiffInfo(error)) {
        return false;
    }
    if (m_doc.TiffPageCount() > 0) {
        return readPage(std::clamp(page, 0, m_doc.TiffPageCount() - 1), readBits(), error);
    }
    if (!ReadTags(error)) {
        return false;
    }
    return true;
}

bool VisDocumentImage::DeletePage(int page, QString *error) {
    if (!m_doc.RequireSource(error)) {
        return false;
    }
    const BusyScope busy(m_busy);
    if (!busy.entered()) {
        return false;
    }
    // The page's marks go with it (the annotation file's later pages move down), so nothing of
    // the deleted page is saved on leaving it.
    AnnoClear(this);
    const QString anno = m_doc.AnnoFileToWrite();
    int showPage = m_doc.TiffPage();
    int pageCount = m_doc.TiffPageCount();
    QString why;
    if (!DeleteTiffPage(m_doc.Source(), page, TAnnoPages{this, anno}, showPage, pageCount, &why)) {
        enterAnnotations();
        return writeFailed(error, why);
    }
    if (!anno.isEmpty() && OnAfterSavedAnnoToFile) {
        OnAfterSavedAnnoToFile(this, anno);
    }
    m_doc.SetWrittenPage(showPage);
    if (!reloadAfterWrite(showPage, error)) {
        return false;
    }
    enterAnnotations();
    return true;
}

bool VisDocumentImage::DeleteCurrentPage(QString *error) {
    QString failure;
    const bool deleted = DeletePage(m_doc.TiffPage(), &failure);
    if (!failure.isEmpty()) {
        return failWith(error, failure);
    }
    notify();
    return deleted;
}

bool VisDocumentImage::ReplacePage(QString *error) {
    if (!m_doc.RequireImage(error) || !m_doc.RequireSource(error)) {
        return false;
    }
    const BusyScope busy(m_busy);
    if (!busy.entered()) {
        return false;
    }
    caption(QStringLiteral("Updating ") + m_doc.FileName());
    // The page goes back as it was stored: its depth and its compression, whatever depth it was
    // read at for the screen.
    const int stored = m_doc.Info().Attributes.bitsPerPixel;
    const int bits = stored > 0 ? TiffStoredBits(stored) : PictureBits();
    if (QString why; !ReplaceTiffPage(m_doc.Source(), m_doc.TiffPage(), *m_doc.Image().Dib(),
                                      TTiffCode::KeepPage(), bits, this, &why)) {
        return writeFailed(error, why);
    }
    if (!ReadTiffInfo(error)) {
        return false;
    }
    if (!ReadTags(error)) {
        return false;
    }
    notify();
    return true;
}

bool VisDocumentImage::SaveTiff(const QString &file, double percent, int bits, TScaleToGray mode,
                                QString *error) {
    return saveTiff(file, percent, bits, mode, m_doc.TifSaveOptions(), TifSaveCompress, error);
}

bool VisDocumentImage::SaveTiffPicture(const QString &file, QString *error) {
    const int bits = PictureBits();
    return saveTiff(file, 100, bits, S_Gray_None, tiffReplace, PictureCompression(bits), error);
}

bool VisDocumentImage::saveTiff(const QString &file, double percent, int bits, TScaleToGray mode,
                                TTifSaveOpt option, TTiffCode compression, QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    const BusyScope busy(m_busy);
    if (!busy.entered()) {
        return false;
    }
    DibBlock scaled = GetScaledDib(percent, mode);
    if (scaled.isNull()) {
        return failWith(error, ErrorInvalidText::InputImageEmpty());
    }
    leaveAnnotations();
    // The file written becomes the viewer's; its annotation file follows the new name. A write
    // that fails leaves the viewer on the picture it had.
    const VisDocument::SourceMark previous = m_doc.SetWriteTarget(file);
    const QString anno = option == tiffInsert ? m_doc.AnnoFileToWrite() : AnnoFileName();
    int pageCount = 0;
    caption((option == tiffInsert ? QStringLiteral("Inserting ") : QStringLiteral("Writing ")) + file);
    QString why;
    if (!SaveTiffPage(m_doc.Source(), scaled, option, m_doc.TifInsertAt(), compression, bits,
                      TAnnoPages{this, anno}, pageCount, this, &why)) {
        m_doc.RestoreSource(previous);
        enterAnnotations();
        return writeFailed(error, why);
    }
    if (option == tiffInsert && !anno.isEmpty() && OnAfterSavedAnnoToFile) {
        OnAfterSavedAnnoToFile(this, anno);
    }
    // The page written is the one shown: appended last, inserted at its place, or the only one.
    const int written = option == tiffAppend   ? pageCount - 1
                        : option == tiffInsert ? std::clamp(m_doc.TifInsertAt(), 0, pageCount - 1)
                                               : 0;
    m_doc.SetWrittenPage(std::max(0, written));
    if (!ReadTiffInfo(error)) {
        return false;
    }
    if (!ReadTags(error)) {
        return false;
    }
    m_doc.KeepPageForm();
    enterAnnotations();
    notify();
    if (OnFinishedLoadSave) {
        OnFinishedLoadSave(this);
    }
    return true;
}

bool VisDocumentImage::PackTiff(QString *error) {
    if (!m_doc.RequireSource(error)) {
        return false;
    }
    const BusyScope busy(m_busy);
    if (!busy.entered()) {
        return false;
    }
    caption(QStringLiteral("Packing ") + m_doc.FileName());
    if (QString why; !PackTiffSource(m_doc.Source(), this, &why)) {
        return writeFailed(error, why);
    }
    if (!ReadTiffInfo(error)) {
        return false;
    }
    if (!ReadTags(error)) {
        return false;
    }
    notify();
    return true;
}

bool VisDocumentImage::EditTags(QString *error) {
    if (!m_doc.RequireSource(error)) {
        return false;
    }
    const BusyScope busy(m_busy);
    if (!busy.entered()) {
        return false;
    }
    if (!m_dialogs) {
        ORVA_TRACE(QStringLiteral("tag editor"), QStringLiteral("no owner to show it"));
        return false;
    }
    bool resolutionChanged = false;
    QString why;
    const bool written =
        m_dialogs->EditTags(this, m_doc.Source(), m_doc.TiffPage(), m_doc.Tags(), resolutionChanged, &why);
    if (!written) {
        return writeFailed(error, why);
    }
    if (resolutionChanged && HasImage()) {
        // The picture in memory still has the old resolutions: read the page again, which squares
        // its pixels by the new ones.
        if (!readPage(m_doc.TiffPage(), readBits(), error) || !CorrectAspect(true, error)) {
            return false;
        }
    }
    viewport()->update();
    notify();
    return true;
}

bool VisDocumentImage::Scan(int pages) {
    if (m_busy || m_scanJob) {
        m_scanMessage = QStringLiteral("A scan or a load is still running.");
        return false;
    }
    QPointer<VisDocumentImage> self(this);
    // Busy for the whole scan; the mark is taken off only while the viewer is still there.
    struct ScanBusy {
        QPointer<VisDocumentImage> viewer;
        ~ScanBusy() {
            if (viewer) {
                viewer->m_busy = false;
                viewer->m_scanJob.reset();
            }
        }
    } busy{self};
    m_busy = true;
    m_scannedFiles.clear();
    m_scanJob = std::make_unique<TScanJob>();
    TScanJob &job = *m_scanJob;
    // What the user chooses in the options dialog stays for the next scan.
    job.ShowOptions = [self](TScanSettings &settings) {
        if (!self) {
            return false;
        }
        if (!self->m_dialogs || !self->m_dialogs->EditScanOptions(self, settings)) {
            return false;
        }
        if (self) {
            static_cast<TScanSettings &>(*self) = settings;
        }
        return true;
    };
    if (OnScanFileName) {
        // Without a handler the job's own naming rule applies.
        job.OnScanFileName = [self](QString &name, int &number) {
            if (self && self->OnScanFileName) {
                self->OnScanFileName(self, name, number);
            }
        };
    }
    job.OnShowDibBetweenScan = [self](DibBlock &page, const QString &file) {
        if (!self) {
            return;
        }
        self->m_doc.SetScannedFile(file);
        self->SetImage(page.copy());
        if (self->OnShowDibBetweenScan) {
            self->OnShowDibBetweenScan(self, page);
        }
    };
    job.OnFinishedLoadSave = [self](const QString &file, int) {
        if (self) {
            self->m_scannedFiles.append(file);
            if (self->OnFinishedLoadSave) {
                self->OnFinishedLoadSave(self);
            }
        }
    };
    job.OnProgress = [self](int percent, const QString &message, bool &cancel) {
        if (self) {
            self->DoProgress(static_cast<std::int16_t>(percent), message, cancel);
        }
    };
    const TScanSettings &settings = *this;
    const bool ok = job.Scan(settings, pages);
    // The event loop ran during the scan: this viewer may have been destroyed meanwhile (its
    // destructor stopped the job), so nothing of it is touched before that is known.
    if (!self) {
        return false;
    }
    ScanSaveNumber = job.ScanSaveNumber();
    // A scan the user stopped needs no message.
    m_scanMessage = job.Cancelled() ? QString() : job.Message();
    m_scanJob.reset();
    m_busy = false;
    if (QString failure;
        !m_scannedFiles.isEmpty() && !LoadTiff(m_scannedFiles.back(), 0, readBits(), &failure)) {
        // The last page written is shown, read back from its file; one gone meanwhile is why the
        // scan failed.
        m_scanMessage = failure;
        return false;
    }
    notify();
    return ok;
}

// ---- the picture ----------------------------------------------------------------------------------

void VisDocumentImage::dropImage() {
    m_doc.DropPicture();
    m_gray.SetDib(DibBlock());
    m_grayShown = false;
    imageChanged();
}

void VisDocumentImage::imageChanged() {
    ++m_generation;
    m_reduced = QImage();
    m_reducedKey = 0;
}

void VisDocumentImage::SetImage(DibBlock picture) {
    m_doc.SetPicture(std::move(picture));
    m_gray.SetDib(DibBlock());
    m_grayShown = false;
    imageChanged();
    SetScaleDoc(m_scaleDoc);
}

void VisDocumentImage::ClearImage() {
    // The marks drawn on the page are saved first (m_doc.AutoSaveAnno()), as when any page is left.
    leaveAnnotations();
    dropImage();
    // Nothing is shown, so there is no page to move to either.
    m_doc.ClearPages();
    SetScaleDoc(m_scaleDoc);
}

QImage VisDocumentImage::GetBitmap() const {
    QImage bitmap;
    if (HasImage()) {
        DibToBitmap(m_doc.Image().Dib(), 0, 0, nullptr, bitmap);
    }
    return bitmap;
}

// ---- display --------------------------------------------------------------------------------------

void VisDocumentImage::SetScalePercent(double percent) {
    if (percent == m_scalePercent) {
        return;
    }
    const double p = ClampScalePercent(percent);
    if (p == m_scalePercent) {
        return;
    }
    m_scalePercent = p;
    SetScaleDoc(m_scaleDoc);
    notify();
}

void VisDocumentImage::SetScaleDoc(TScaleToGray mode) {
    m_scaleDoc = mode;
    if (mode != S_Gray_None && HasImage() && m_doc.Image().BitCount() <= 2) {
        buildGrayCopy();
    } else if (m_grayShown || m_gray.HasDib()) {
        m_gray.SetDib(DibBlock());
        m_grayShown = false;
        imageChanged();
    }
    applyAutoSize();
    updateScrollRanges();
    viewport()->update();
    notify();
}

void VisDocumentImage::buildGrayCopy() {
    if (m_grayBuilding || !HasImage() || m_scalePercent <= 0) {
        return;
    }
    const QSize size =
        DisplaySize(QSize(m_doc.Image().Width(), m_doc.Image().Height()), GrayCopyPercent(m_scalePercent));
    if (m_grayShown && m_gray.Width() == size.width() && m_gray.Height() == size.height() &&
        m_grayMode == m_scaleDoc) {
        return;
    }
    m_grayBuilding = true;
    caption(QStringLiteral("Scaling Image To ") + ScaleToGrayName(m_scaleDoc));
    DibBlock gray = SpScaleToGray(*m_doc.Image().Dib(), m_scaleDoc, size.width(), size.height(),
                                  progressData(), SpProgress);
    bool cancel = false;
    DoProgress(100, QStringLiteral("Scaling Image To ") + ScaleToGrayName(m_scaleDoc), cancel);
    m_grayBuilding = false;
    m_grayShown = !gray.isNull();
    m_grayMode = m_scaleDoc;
    m_gray.SetDib(std::move(gray));
    imageChanged();
}

void VisDocumentImage::SetBlitMode(TBlitMode mode) {
    m_blitMode = mode;
    imageChanged();
    viewport()->update();
}

void VisDocumentImage::SetAutoSize(bool on) {
    m_autoSize = on;
    applyAutoSize();
}

void VisDocumentImage::applyAutoSize() {
    const QSize d = DisplayedSize();
    if (m_autoSize && d.width() > 0 && d.height() > 0) {
        resize(d + QSize(2 * frameWidth(), 2 * frameWidth()));
    }
}

QSize VisDocumentImage::DisplayedSize() const {
    return DisplaySize(QSize(m_doc.Image().Width(), m_doc.Image().Height()), m_scalePercent);
}

void VisDocumentImage::BestFit() {
    SetScalePercent(BestFitPercent(size(), QSize(m_doc.Image().Width(), m_doc.Image().Height())));
}

void VisDocumentImage::ScrollBy(int dx, int dy) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() - dy);
}

QPoint VisDocumentImage::ScrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void VisDocumentImage::updateScrollRanges() {
    const QSize d = DisplayedSize();
    const QSize vp = viewport()->size();
    horizontalScrollBar()->setPageStep(std::max(1, vp.width()));
    verticalScrollBar()->setPageStep(std::max(1, vp.height()));
    horizontalScrollBar()->setRange(0, std::max(0, d.width() - vp.width()));
    verticalScrollBar()->setRange(0, std::max(0, d.height() - vp.height()));
}

void VisDocumentImage::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void VisDocumentImage::scrollContentsBy(int dx, int dy) {
    if (m_banding || !m_magnifier.isNull()) {
        viewport()->update();
    } else {
        viewport()->scroll(dx, dy);
    }
}

QRect VisDocumentImage::boxRect() const {
    return {QPoint(-horizontalScrollBar()->value(), -verticalScrollBar()->value()), DisplayedSize()};
}

QPoint VisDocumentImage::boxPoint(QPoint viewportPoint) const {
    return viewportPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void VisDocumentImage::paintEvent(QPaintEvent *event) {
    QPainter p(viewport());
    p.fillRect(event->rect(), Qt::white);
    if (m_paintHolds > 0 || !HasImage()) {
        return;
    }
    try {
        paintPicture(p, event->rect());
    } catch (const std::exception &e) {
        ORVA_TRACE(QStringLiteral("picture not painted"), QString::fromUtf8(e.what()));
    }
    const QRect box = boxRect();
    const double zoom = m_scalePercent / 100.0;
    AnnoDraw(this, p, nearest(-box.left() / zoom), nearest(-box.top() / zoom), 0, 0, 0, zoom);
    const QRect visible = viewport()->rect().intersected(box).translated(-box.topLeft());
    if (OnPaintArea && !visible.isEmpty()) {
        OnPaintArea(this, visible.left(), visible.top(), visible.right() + 1, visible.bottom() + 1);
    }
    if (!m_magnifier.isNull()) {
        p.drawImage(m_magnifierRect.topLeft(), m_magnifier);
    }
    if (m_banding) {
        drawBand(p);
    }
}

void VisDocumentImage::paintPicture(QPainter &p, const QRect &exposed) {
    const QRect box = boxRect();
    const QRect area = exposed.intersected(box);
    if (area.isEmpty()) {
        return;
    }
    const QRect local = area.translated(-box.topLeft());
    const DibBlock &source = m_grayShown ? *m_gray.Dib() : *m_doc.Image().Dib();
    const QSize sourceSize(source.width(), source.height());
    if (box.size() == sourceSize) {
        p.drawImage(area.topLeft(), DibPart(source, local));
        return;
    }
    if (box.width() <= sourceSize.width() && box.height() <= sourceSize.height()) {
        p.drawImage(area.topLeft(), reducedForDisplay(source, box.size()), local);
        return;
    }
    // Enlarged: only the source pixels under the exposed rectangle are taken and stretched.
    const double sx = static_cast<double>(box.width()) / sourceSize.width();
    const double sy = static_cast<double>(box.height()) / sourceSize.height();
    const QRect part = SourceRectFor(local, sx, sy, sourceSize);
    p.save();
    p.setClipRect(area);
    p.drawImage(TargetRectFor(part, sx, sy).translated(box.topLeft()), DibPart(source, part));
    p.restore();
}

const QImage &VisDocumentImage::reducedForDisplay(const DibBlock &source, QSize size) {
    const TStretchMode mode = SetBlitStretchMode(source.bitCount(), m_blitMode);
    if (m_reducedKey != m_generation || m_reducedSize != size || m_reducedMode != mode) {
        m_reduced = ReduceForDisplay(source, size, mode);
        m_reducedKey = m_generation;
        m_reducedSize = size;
        m_reducedMode = mode;
    }
    return m_reduced;
}

// ---- resolution -----------------------------------------------------------------------------------

bool VisDocumentImage::CorrectAspect(bool force, QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    if (squarePixels(force)) {
        SetScaleDoc(m_scaleDoc);
    }
    return true;
}

bool VisDocumentImage::squarePixels(bool force) {
    if (!m_doc.SquarePixels(force, progressData())) {
        return false;
    }
    imageChanged();
    return true;
}

// ---- image operations -----------------------------------------------------------------------------

bool VisDocumentImage::Invert(QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    caption(QStringLiteral("Inverting Image"));
    if (!m_doc.InvertPicture(error)) {
        return false;
    }
    m_gray.SetDib(DibBlock());
    m_grayShown = false;
    imageChanged();
    SetScaleDoc(m_scaleDoc);
    return true;
}

double VisDocumentImage::GetSkewAngle(QString *error) {
    if (!m_doc.RequireImage(error)) {
        return 0.0;
    }
    caption(QStringLiteral("Deskewing Image "));
    return static_cast<double>(SpTDeskew(*m_doc.Image().Dib(), m_deskewSubsampling, m_deskewGrayValue,
                                         m_deskewLineRes, m_deskewAngleRes, m_deskewRange, progressData(),
                                         SpProgress));
}

bool VisDocumentImage::Deskew(int fillChoice, QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    const double angle = GetSkewAngle();
    return angle == 0.0 || Rotate(fillChoice == 1 ? qRgb(0, 0, 0) : qRgb(255, 255, 255), -angle, error);
}

bool VisDocumentImage::Rotate(QRgb fill, double angle, QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    caption(QStringLiteral("Rotating Image "));
    DibBlock copy = m_doc.Image().CopyDib();
    if (SpVisRotate(copy, 0, 0, 0, 0, angle, fill, progressData(), SpProgress)) {
        SetImage(std::move(copy));
    }
    return true;
}

bool VisDocumentImage::RemoveBorder(int value, QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    caption(QStringLiteral("Removing Unwanted Border "));
    DibBlock copy = m_doc.Image().CopyDib();
    if (SpCropAutoDib(copy, value, progressData(), SpProgress)) {
        SetImage(std::move(copy));
    }
    return true;
}

bool VisDocumentImage::ShowEffects(QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    if (!m_messages) {
        ORVA_TRACE(QStringLiteral("effects dialog"), QStringLiteral("no message boxes to show it with"));
        return false;
    }
    if (!m_dialogs) {
        ORVA_TRACE(QStringLiteral("effects dialog"), QStringLiteral("no owner to show it"));
        return false;
    }
    QPointer<VisDocumentImage> self(this);
    auto replaced = std::make_shared<bool>(false);
    m_dialogs->ShowEffects(this, *m_messages, m_doc.Image().CopyDib(), [self, replaced](DibBlock &&result) {
        if (!self || result.isNull()) {
            return;
        }
        {
            const PaintHold hold(*self);
            // The effects may have given the picture colours its page did not have.
            self->m_doc.SetPicture(std::move(result), true);
            self->m_gray.SetDib(DibBlock());
            self->m_grayShown = false;
            self->imageChanged();
        }
        self->SetScaleDoc(self->m_scaleDoc);
        self->viewport()->update();
        self->notify();
        *replaced = true;
    });
    // The owner returns once the user has chosen (this viewer may be gone by then).
    return *replaced;
}

// ---- mouse ----------------------------------------------------------------------------------------

QCursor VisDocumentImage::cursorForMode() const {
    switch (m_controlMode) {
    case cmPanning:
        return slotCursor(m_grabHandCursor);
    case cmRubberBand:
    case cmZoomRubberBand:
        return slotCursor(m_rubberBandCursor);
    case cmAnnotationEdit:
        return slotCursor(m_annotationsCursor);
    case cmZoomIn:
        return slotCursor(m_zoomInCursor);
    case cmZoomOut:
        return slotCursor(m_zoomOutCursor);
    case cmNone:
    case cmMagnify:
        break;
    }
    return QCursor(Qt::ArrowCursor);
}

void VisDocumentImage::SetControlMode(TControlMode mode) {
    if (m_controlMode == cmMagnify && mode != cmMagnify) {
        hideMagnifier();
    }
    m_controlMode = mode;
    m_panning = false;
    m_banding = false;
    if (mode == cmNone || mode == cmPanning || mode == cmRubberBand || mode == cmZoomRubberBand) {
        AnnoRubberBandOff(this);
    }
    viewport()->setCursor(cursorForMode());
    emit annotationModeChanged(mode == cmAnnotationEdit);
    notify();
}

void VisDocumentImage::SetMagnifyScale(int percent) {
    m_magnifyScale = std::clamp(percent, 1, 1000);
}

void VisDocumentImage::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && focusPolicy() != Qt::NoFocus) {
        setFocus(Qt::MouseFocusReason);
    }
    switch (m_controlMode) {
    case cmPanning:
        if (event->button() == Qt::LeftButton) {
            m_panning = true;
            m_panStart = boxPoint(at);
        }
        break;
    case cmRubberBand:
    case cmZoomRubberBand:
        if (event->button() == m_rubberBandBtn) {
            m_banding = true;
            m_bandButton = event->button();
            m_bandStart = m_bandEnd = boxPoint(at);
            viewport()->update();
        }
        break;
    case cmAnnotationEdit:
        emit annotationMouseDown(at);
        toAnnotations(event);
        break;
    case cmZoomIn:
    case cmZoomOut:
        if (event->button() == Qt::LeftButton) {
            const WaitCursor busy;
            SetScalePercent(m_scalePercent + (m_controlMode == cmZoomIn ? 1 : -1));
        }
        break;
    case cmNone:
    case cmMagnify:
        break;
    }
    event->accept();
}

void VisDocumentImage::mouseMoveEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    if (m_controlMode == cmMagnify) {
        magnifyAt(at);
    } else if (m_panning) {
        horizontalScrollBar()->setValue(m_panStart.x() - at.x());
        verticalScrollBar()->setValue(m_panStart.y() - at.y());
    } else if (m_banding) {
        const QPoint here = boxPoint(at);
        m_bandEnd = m_controlMode == cmZoomRubberBand
                        ? ViewGeometry::RubberBandCorner(m_bandStart, here, DisplayedSize()).Corner
                        : here;
        viewport()->update();
    } else if (m_controlMode == cmAnnotationEdit) {
        emit annotationMouseMove(at);
        toAnnotations(event);
    }
    event->accept();
}

void VisDocumentImage::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    if (m_panning && event->button() == Qt::LeftButton) {
        m_panning = false;
    }
    if (m_banding && event->button() == m_bandButton) {
        m_banding = false;
        viewport()->update();
        if (OnRubberband) {
            OnRubberband(this, event->button(), event->modifiers(), m_bandStart.x(), m_bandStart.y(),
                         m_bandEnd.x(), m_bandEnd.y());
        }
    }
    if (m_controlMode == cmAnnotationEdit) {
        toAnnotations(event);
        emit annotationMouseUp(at);
    }
    event->accept();
}

void VisDocumentImage::toAnnotations(QMouseEvent *event) {
    const int message = AnnoMouseMessage(event->type(), event->button());
    if (message == 0 || !HasImage()) {
        return;
    }
    // The engine maps the mouse through the view on screen now, which may not have been painted yet.
    const QRect box = boxRect();
    const double zoom = m_scalePercent / 100.0;
    AnnoDraw(this, nearest(-box.left() / zoom), nearest(-box.top() / zoom), 0, 0, 0, zoom);
    AnnoMouseMon(this, message, event->position().toPoint());
    viewport()->update();
    if (event->type() == QEvent::MouseButtonRelease && event->button() == Qt::RightButton) {
        if (const int command = ExecAnnotationMenu(this, this, event->globalPosition().toPoint())) {
            AnnoMenuCommand(command);
        }
    }
}

void VisDocumentImage::leaveEvent(QEvent *event) {
    hideMagnifier();
    QAbstractScrollArea::leaveEvent(event);
}

void VisDocumentImage::drawBand(QPainter &p) const {
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    p.save();
    // Drawn inverting, so the band shows on black and on white alike.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(m_bandStart - offset, m_bandEnd - offset).normalized());
    p.restore();
}

void VisDocumentImage::magnifyAt(QPoint at) {
    const QRect box = boxRect();
    if (!HasImage() || !box.contains(at) || m_magnifyWidth <= 0 || m_magnifyHeight <= 0) {
        if (OnMagnify) {
            bool show = false;
            OnMagnify(this, nullptr, show, QRect());
        }
        hideMagnifier();
        return;
    }
    const DibBlock &source = m_grayShown ? *m_gray.Dib() : *m_doc.Image().Dib();
    const double shown = static_cast<double>(box.width()) / source.width();
    const double total = shown * m_magnifyScale / 100.0;
    // The source pixels around the mouse that fill the magnifier.
    const QPointF centre = QPointF(boxPoint(at)) / shown;
    const QRectF wanted(centre.x() - m_magnifyWidth / (2 * total), centre.y() - m_magnifyHeight / (2 * total),
                        m_magnifyWidth / total, m_magnifyHeight / total);
    const QRect part = wanted.toAlignedRect().intersected(QRect(0, 0, source.width(), source.height()));
    QImage bitmap(m_magnifyWidth, m_magnifyHeight, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    if (!part.isEmpty()) {
        QPainter p(&bitmap);
        const QRectF target((part.left() - wanted.left()) * total, (part.top() - wanted.top()) * total,
                            part.width() * total, part.height() * total);
        p.setRenderHint(QPainter::SmoothPixmapTransform, total < 1.0);
        p.drawImage(target, DibPart(source, part));
        p.setPen(Qt::gray);
        p.drawRect(bitmap.rect().adjusted(0, 0, -1, -1));
    }
    const QRect area(at - QPoint(m_magnifyXOffset, m_magnifyYOffset), bitmap.size());
    bool show = true;
    if (OnMagnify) {
        OnMagnify(this, &bitmap, show, area);
    }
    if (!show) {
        hideMagnifier();
        return;
    }
    const QRect old = m_magnifierRect;
    m_magnifier = bitmap;
    m_magnifierRect = area;
    viewport()->update(QRegion(old).subtracted(QRegion(area)) + QRegion(area));
}

void VisDocumentImage::hideMagnifier() {
    if (!m_magnifier.isNull()) {
        m_magnifier = QImage();
        viewport()->update(m_magnifierRect);
        m_magnifierRect = QRect();
    }
}

// ---- keys and clipboard ---------------------------------------------------------------------------

void VisDocumentImage::keyPressEvent(QKeyEvent *event) {
    emit keyDown(event->key());
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    const int key = event->key();
    try {
        if (mods == Qt::ControlModifier && (key == Qt::Key_C || key == Qt::Key_Insert)) {
            CopyToClipboard();
        } else if (mods == Qt::ControlModifier && key == Qt::Key_V) {
            PasteFromClipboard();
        } else if (mods == Qt::ShiftModifier && key == Qt::Key_Insert) {
            PasteFromClipboard();
        } else if ((mods == Qt::ControlModifier && key == Qt::Key_X) ||
                   (mods == Qt::ShiftModifier && key == Qt::Key_Delete)) {
            CutToClipboard();
        } else {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
    } catch (const std::exception &e) {
        ORVA_TRACE(QStringLiteral("clipboard"), QString::fromUtf8(e.what()));
    }
    event->accept();
}

void VisDocumentImage::CopyToClipboard() {
    const QImage bitmap = GetBitmap();
    if (!bitmap.isNull()) {
        QApplication::clipboard()->setImage(bitmap);
    }
}

void VisDocumentImage::CutToClipboard() {
    if (!HasImage()) {
        return;
    }
    CopyToClipboard();
    dropImage();
    SetScaleDoc(m_scaleDoc);
}

void VisDocumentImage::PasteFromClipboard() {
    DibBlock pasted = ClipboardDib();
    if (!pasted.isNull()) {
        SetImage(std::move(pasted));
    }
}

// ---- printing -------------------------------------------------------------------------------------

bool VisDocumentImage::PrintImage(QPrinter &printer, int x, int y, int width, int height, bool negative,
                                  QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    if (!m_beginEndDoc) {
        ORVA_TRACE(QStringLiteral("print"), QStringLiteral("no open print job to draw on"));
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const bool ok = PrintImage(painter, x, y, width, height, negative, error);
    return painter.end() && ok;
}

bool VisDocumentImage::PrintImage(QPainter &painter, int x, int y, int width, int height, bool negative,
                                  QString *error) {
    if (!m_doc.RequireImage(error)) {
        return false;
    }
    if (!negative) {
        return printDib(painter, *m_doc.Image().Dib(), x, y, width, height, error);
    }
    DibBlock copy = m_doc.Image().CopyDib();
    return InvertDib(copy, error) && printDib(painter, copy, x, y, width, height, error);
}

bool VisDocumentImage::printDib(QPainter &painter, const DibBlock &dib, int x, int y, int width, int height,
                                QString *error) {
    if (width <= 0 || height <= 0) {
        // The picture's own size on paper: its resolution, or 100 dpi when it carries none.
        const QPaintDevice *device = painter.device();
        const int xDpi = dib.xPelsPerMeter() > 0 ? PpmToDpi(dib.xPelsPerMeter()) : 100;
        const int yDpi = dib.yPelsPerMeter() > 0 ? PpmToDpi(dib.yPelsPerMeter()) : 100;
        width = nearest(static_cast<double>(dib.width()) * device->logicalDpiX() / std::max(1, xDpi));
        height = nearest(static_cast<double>(dib.height()) * device->logicalDpiY() / std::max(1, yDpi));
    }
    QImage picture;
    if (dib.bitCount() <= 2 && m_printScaleDoc != S_Gray_None) {
        // The gray copy is made at the print size, but never larger than the picture: the printer
        // stretches it further.
        const DibBlock gray = SpScaleToGray(dib, m_printScaleDoc, std::min(width, dib.width()),
                                            std::min(height, dib.height()), progressData(), SpProgress);
        if (gray.isNull() || !DibToBitmap(&gray, 0, 0, nullptr, picture)) {
            return failWith(error, ErrorInvalidText::InputImageEmpty());
        }
    } else if (!DibToBitmap(&dib, 0, 0, nullptr, picture)) {
        return false;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(x, y, width, height), picture);
    painter.restore();
    return true;
}

// ---- annotations ----------------------------------------------------------------------------------

int VisDocumentImage::AnnotationCount() const {
    return orva::imaging::AnnotationCount(this);
}

void VisDocumentImage::leaveAnnotations() {
    if (m_doc.AnnoLoadSaveFromTo() == anFromStream) {
        // The whole text goes to the owner, however long: a cut text would lose marks.
        if (m_doc.AutoSaveAnno() && HasImage() && OnAfterSavedAnnoToStream) {
            OnAfterSavedAnnoToStream(this, AnnoStreamSave(this, m_doc.TiffPage()));
        }
        AnnoClear(this);
        return;
    }
    const bool save = m_doc.AutoSaveAnno() && HasImage() && !AnnoFileName().isEmpty();
    const QString file = save ? m_doc.AnnoFileToWrite() : AnnoFileName();
    if (!AnnoLeave(this, save, m_doc.TiffPage(), file)) {
        ORVA_TRACE(QStringLiteral("annotations not saved"), file + QStringLiteral(": ") + LastErrorText());
        if (m_messages) {
            m_messages->error(QStringLiteral("Annotations"),
                              QStringLiteral("The annotations could not be saved to ") + file +
                                  QStringLiteral(": ") + LastErrorText());
        }
    } else if (save && OnAfterSavedAnnoToFile) {
        OnAfterSavedAnnoToFile(this, file);
    }
}

void VisDocumentImage::enterAnnotations() {
    if (!m_doc.AutoLoadAnno() || !HasImage()) {
        return;
    }
    if (m_doc.AnnoLoadSaveFromTo() == anFromStream) {
        QByteArray text;
        if (OnBeforeLoadAnnoFromStream) {
            OnBeforeLoadAnnoFromStream(this, text);
        }
        if (text.size() > 1 && !AnnoStreamLoad(this, m_doc.TiffPage(), text)) {
            ORVA_TRACE(QStringLiteral("annotations not loaded from the stream"), LastErrorText());
        }
        return;
    }
    QString file = m_doc.AnnoFileToRead();
    if (OnBeforeLoadAnnoFromFile) {
        OnBeforeLoadAnnoFromFile(this, file);
    }
    if (!AnnoEnter(this, true, m_doc.TiffPage(), file)) {
        ORVA_TRACE(QStringLiteral("annotations not loaded"), file + QStringLiteral(": ") + LastErrorText());
    }
}

void VisDocumentImage::AnnoMenuCommand(int command) {
    AnnoMenuMsg(this, command);
    viewport()->update();
}

} // namespace orva::imaging
