// VisDocumentImage: the document viewer. One page of a multi-page TIFF file, a TIFF in memory, or a
// picture of another format, shown at a percentage (through a gray copy for 1-bit scans when a
// scale-to-gray mode is chosen), with scroll bars, panning, magnifier, rubber bands and zoom clicks;
// page moves, tags, quarter and free rotation, invert, deskew, border removal, aspect correction,
// printing and the clipboard. Toolbars follow it through stateChanged.
#pragma once

#include "imaging/core/DLL96V1.h"
#include "imaging/core/DllSP96.h"
#include "imaging/core/ImagingTypes.h"
#include "imaging/core/ScanJob.h"
#include "imaging/core/TVisDib.h"
#include "imaging/core/TiffPages.h"
#include "imaging/docview/DocumentDialogs.h"
#include "imaging/docview/VisDocument.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class UserMessages;

namespace orva::imaging {

enum TControlMode {
    cmNone,
    cmMagnify,
    cmPanning,
    cmRubberBand,
    cmZoomRubberBand,
    cmAnnotationEdit,
    cmZoomIn,
    cmZoomOut
};

using TOnInfo = std::function<void(QObject *Sender, const TVisInfo &Info)>;
// The magnifier: the bitmap is null when the mouse is outside the picture; clearing Show keeps the
// viewer from drawing it.
using TMagnify = std::function<void(QObject *Sender, const QImage *Bitmap, bool &Show, const QRect &Area)>;
// The scan properties (ScanColorres ... ScanShowBetweenScan) and the TIFF write settings
// (TifSaveCompress, ImageWriteRes) are those of TScanSettings; the annotation events those of
// TAnnotationEvents.
class VisDocumentImage : public QAbstractScrollArea,
                         public TProgressTarget,
                         public TAnnotationEvents,
                         public TScanSettings {
    Q_OBJECT
public:
    // How long the viewer waits for its file, which may sit on a share, before it gives up.
    int ShareWaitMs() const { return m_doc.ShareWaitMs(); }
    void SetShareWaitMs(int value) { m_doc.SetShareWaitMs(value); }
    explicit VisDocumentImage(QWidget *parent = nullptr);
    ~VisDocumentImage() override;

    // ---- loading ----
    // The calls that can fail answer false and give the user's message in `error`; a false without
    // a message (a refused write told to OnVislibError, a page out of range) has been dealt with.
    // False with "Input filename isn't valid" for a missing file; a page the library cannot read
    // leaves no picture and is no such failure (OnVislibError is told). A load refused while
    // another runs, or given up on a share that does not answer, changes nothing.
    bool LoadTiff(const QString &file, int page, int bits, QString *error = nullptr);
    bool LoadTiffPage(const QString &file, int page, int bits, double percent, TScaleToGray mode,
                      QString *error = nullptr);
    // False with "Stream is nil or empty" for an empty block; the file name becomes "STREAM".
    bool LoadTiffFromStream(const QByteArray &stream, int page, int bits, QString *error = nullptr);
    // A BMP, PNG, GIF, PCX, JPEG, PCD, TGA or EPS file by the type the library finds in it. A missing
    // or unreadable file leaves no picture (a previous picture never stays under the new name).
    void LoadImageFile(const QString &file, TLoadResolution resolution, bool dither);
    // Bits read for a resolution: lColorVga and lColor16 4, lMonoChrome 1, lColor256 8, lColorTrue 24,
    // lAutoMatic 0 (the file's own depth).
    static int LoadImageFileBits(TLoadResolution resolution);
    bool ReadTiffInfo(QString *error = nullptr);
    // False with the reason when the file is gone (an unreadable page merely has no tags).
    bool ReadTags(QString *error = nullptr);
    const TTiffTagList &TagList() const { return m_doc.TagList(); }
    const TVisInfo &Info() const { return m_doc.Info(); }
    QString FileName() const { return m_doc.FileName(); }
    bool FromStream() const { return m_doc.FromStream(); }

    // ---- pages ----
    int TiffPage() const { return m_doc.TiffPage(); }
    void SetTiffPage(int page) { m_doc.SetTiffPage(page); }
    int PreviousTiffPage() const { return m_doc.PreviousTiffPage(); }
    int TiffPageCount() const { return m_doc.TiffPageCount(); }
    virtual bool NextPage(QString *error = nullptr);
    virtual bool PriorPage(QString *error = nullptr);
    virtual bool FirstPage(QString *error = nullptr);
    virtual bool LastPage(QString *error = nullptr);
    // False for a page out of range or a picture without pages; with "Input filename isn't valid"
    // when the file has gone.
    bool GoToPage(int page, QString *error = nullptr);

    // ---- page writing, tags and scanning ----
    // Each answers false when the library refused (OnVislibError is told, or the library's text
    // given in `error` when it is not assigned); the file is then as it was.
    // The scan target as given; each scan makes its numbered files from it under the scan folder.
    virtual void SetScanFileName(const QString &name);
    virtual bool DeleteCurrentPage(QString *error = nullptr);
    virtual bool DeletePage(int page, QString *error = nullptr);
    virtual bool PackTiff(QString *error = nullptr);
    // Writes the picture over the current page at the depth and with the compression the page had
    // (Exif and the page's other descriptions kept); TifSaveCompress and ImageWriteRes are not used.
    virtual bool ReplacePage(QString *error = nullptr);
    TTifSaveOpt TifSaveOptions() const { return m_doc.TifSaveOptions(); }
    void SetTifSaveOptions(TTifSaveOpt value) { m_doc.SetTifSaveOptions(value); }
    int TifInsertAt() const { return m_doc.TifInsertAt(); }
    void SetTifInsertAt(int value) { m_doc.SetTifInsertAt(value); }
    virtual bool SaveTiff(const QString &file, double percent, int bits, TScaleToGray mode,
                          QString *error = nullptr);
    // Writes the picture as the only page of file (replacing what was there) at its own depth, with
    // its page's compression (TifSaveCompress, else LZW, for a picture from no TIFF page or one that
    // compression cannot hold).
    virtual bool SaveTiffPicture(const QString &file, QString *error = nullptr);
    // The depth the picture is kept at: its page's (or file's) as stored, whatever depth it was
    // read at for the screen; the picture's own after a paste, a scan display or the effects.
    int PictureBits() const { return m_doc.PictureBits(); }
    TTiffCode PictureCompression(int bits) const { return m_doc.PictureCompression(bits, TifSaveCompress); }
    // The owner's tag editor on the page's tags (a memory TIFF or a file); the picture is read
    // again at square pixels when a resolution was written.
    virtual bool EditTags(QString *error = nullptr);
    // Scans into ScanFileName's numbered files; the viewer shows the last page written. The
    // event loop runs meanwhile: the viewer takes no load until the scan ends, and a viewer
    // destroyed mid-scan stops it. False when refused, cancelled or failed; ScanMessage() says why.
    virtual bool Scan(int pages);
    bool Scanning() const { return m_scanJob != nullptr; }
    QString ScanMessage() const { return m_scanMessage; }
    QStringList ScannedFiles() const { return m_scannedFiles; }
    // The between-scan and file-name events (with ScanShowUI the options dialog comes first).
    std::function<void(QObject *Sender, DibBlock &Page)> OnShowDibBetweenScan;
    std::function<void(QObject *Sender, QString &Name, int &Number)> OnScanFileName;

    // ---- the picture ----
    bool HasImage() const { return m_doc.HasImage(); }
    const TVisDib &Image() const { return m_doc.Image(); }
    int ImageWidth() const { return m_doc.Image().Width(); }
    int ImageHeight() const { return m_doc.Image().Height(); }
    int ImageBitCount() const { return m_doc.Image().BitCount(); }
    bool GrayCopyShown() const { return m_grayShown; }
    const TVisDib &GrayCopy() const { return m_gray; }
    // Replaces the picture (pasted, scanned or from the effects dialog) and shows it.
    void SetImage(DibBlock picture);
    virtual void ClearImage();
    QImage GetBitmap() const;
    // A null picture with "Input image is empty" without a picture.
    DibBlock GetScaledDib(double percent, TScaleToGray mode, QString *error = nullptr) const {
        return m_doc.GetScaledDib(percent, mode, error);
    }

    // ---- display ----
    double ScalePercent() const { return m_scalePercent; }
    void SetScalePercent(double percent);
    TScaleToGray ScaleDoc() const { return m_scaleDoc; }
    void SetScaleDoc(TScaleToGray mode);
    TScaleToGray PrintScaleDoc() const { return m_printScaleDoc; }
    void SetPrintScaleDoc(TScaleToGray value) { m_printScaleDoc = value; }
    TBlitMode BlitMode() const { return m_blitMode; }
    void SetBlitMode(TBlitMode mode);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on);
    bool AutoCorrectDib() const { return m_doc.AutoCorrectDib(); }
    void SetAutoCorrectDib(bool value) { m_doc.SetAutoCorrectDib(value); }
    // The size the picture is shown at.
    QSize DisplayedSize() const;
    void BestFit();
    // Moves the contents: positive deltas move the picture right or down.
    void ScrollBy(int dx, int dy);
    QPoint ScrollPosition() const;

    // ---- resolution ----
    int XResolution() const { return m_doc.XResolution(); }
    int YResolution() const { return m_doc.YResolution(); }
    void SetXResolution(int dpi) { m_doc.SetXResolution(dpi); }
    void SetYResolution(int dpi) { m_doc.SetYResolution(dpi); }
    // Resamples to square pixels when the resolutions differ (or forced); false with "Input image
    // is empty" without a picture.
    bool CorrectAspect(bool force, QString *error = nullptr);

    // ---- image operations (each false, or an angle of 0, with "Input image is empty" without a
    // picture) ----
    bool Invert(QString *error = nullptr);
    double GetSkewAngle(QString *error = nullptr);
    // Fill choice 1 fills with black, anything else with white.
    bool Deskew(int fillChoice, QString *error = nullptr);
    bool Rotate(QRgb fill, double angle, QString *error = nullptr);
    bool RemoveBorder(int value, QString *error = nullptr);
    // Asks the owner for the effects dialog on a copy of the picture and returns once the user has
    // closed it: true when they closed it with OK and the result replaced the picture. The dialog
    // needs the user's message boxes (Messages).
    bool ShowEffects(QString *error = nullptr);
    UserMessages *Messages() const { return m_messages; }
    void SetMessages(UserMessages *value) { m_messages = value; }
    // Who opens the dialogs the viewer needs (effects, tag editor, scan options, note text); without
    // one those calls show nothing. It outlives the viewer.
    TDocumentDialogs *Dialogs() const { return m_dialogs; }
    void SetDialogs(TDocumentDialogs *value) { m_dialogs = value; }
    std::int16_t DeskewSubsampling() const { return m_deskewSubsampling; }
    void SetDeskewSubsampling(std::int16_t value) { m_deskewSubsampling = value; }
    double DeskewRange() const { return m_deskewRange; }
    void SetDeskewRange(double value) { m_deskewRange = value; }
    double DeskewAngle_res() const { return m_deskewAngleRes; }
    void SetDeskewAngle_res(double value) { m_deskewAngleRes = value; }
    double DeskewLine_res() const { return m_deskewLineRes; }
    void SetDeskewLine_res(double value) { m_deskewLineRes = value; }
    std::uint8_t DeskewGrayValue() const { return m_deskewGrayValue; }
    void SetDeskewGrayValue(std::uint8_t value) { m_deskewGrayValue = value; }

    // ---- mouse ----
    TControlMode ControlMode() const { return m_controlMode; }
    void SetControlMode(TControlMode mode);
    Qt::MouseButton RubberBandBtn() const { return m_rubberBandBtn; }
    void SetRubberBandBtn(Qt::MouseButton value) { m_rubberBandBtn = value; }
    int GrabHandCursor() const { return m_grabHandCursor; }
    void SetGrabHandCursor(int value) { m_grabHandCursor = value; }
    int RubbberBandCursor() const { return m_rubberBandCursor; }
    void SetRubbberBandCursor(int value) { m_rubberBandCursor = value; }
    int AnnotationsCursor() const { return m_annotationsCursor; }
    void SetAnnotationsCursor(int value) { m_annotationsCursor = value; }
    int ZoomInCursor() const { return m_zoomInCursor; }
    void SetZoomInCursor(int value) { m_zoomInCursor = value; }
    int ZoomOutCursor() const { return m_zoomOutCursor; }
    void SetZoomOutCursor(int value) { m_zoomOutCursor = value; }
    int MagnifyWidth() const { return m_magnifyWidth; }
    void SetMagnifyWidth(int value) { m_magnifyWidth = value; }
    int MagnifyHeight() const { return m_magnifyHeight; }
    void SetMagnifyHeight(int value) { m_magnifyHeight = value; }
    int MagnifyXOffset() const { return m_magnifyXOffset; }
    void SetMagnifyXOffset(int value) { m_magnifyXOffset = value; }
    int MagnifyYOffset() const { return m_magnifyYOffset; }
    void SetMagnifyYOffset(int value) { m_magnifyYOffset = value; }
    int MagnifyScale() const { return m_magnifyScale; }
    void SetMagnifyScale(int percent);

    // ---- printing and clipboard ----
    // Prints the picture at (x, y) in printer pixels; a width or height of 0 or less prints it at
    // its own size (its resolution, 100 dpi when it has none). With P_Begin_End_Doc the print job is
    // opened and closed here. `negative` prints an inverted copy and leaves the shown picture alone.
    bool PrintImage(QPrinter &printer, int x, int y, int width, int height, bool negative = false,
                    QString *error = nullptr);
    // The same onto a painter that is already open on the printer.
    bool PrintImage(QPainter &painter, int x, int y, int width, int height, bool negative = false,
                    QString *error = nullptr);
    bool P_Begin_End_Doc() const { return m_beginEndDoc; }
    void SetP_Begin_End_Doc(bool value) { m_beginEndDoc = value; }
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();

    // ---- annotations (the engine draws what it holds for this window) ----
    bool AutoLoadAnno() const { return m_doc.AutoLoadAnno(); }
    void SetAutoLoadAnno(bool value) { m_doc.SetAutoLoadAnno(value); }
    bool AutoSaveAnno() const { return m_doc.AutoSaveAnno(); }
    void SetAutoSaveAnno(bool value) { m_doc.SetAutoSaveAnno(value); }
    QString AnnoFileName() const { return m_doc.AnnoFileName(); }
    void SetAnnoFileName(const QString &name) { m_doc.SetAnnoFileName(name); }
    int AnnotationCount() const;
    // The engine's menu command (the annotation edit menu's choice).
    void AnnoMenuCommand(int command);

    // ---- reading depth ----
    TLoadResolution ImageReadRes() const { return m_doc.ImageReadRes(); }
    void SetImageReadRes(TLoadResolution value) { m_doc.SetImageReadRes(value); }

    // ---- events ----
    TVisMesProgress OnProgress;
    TlibError OnVislibError;
    TRubberband OnRubberband;
    TPaintArea OnPaintArea;
    TMagnify OnMagnify;
    TOnInfo OnInfo;
    TVisMesTag OnTag;
    std::function<void(QObject *)> OnFinishedLoadSave;
    std::function<void(QObject *, int action)> OnHScrollBarClick;
    std::function<void(QObject *, int action)> OnVScrollBarClick;
    TLoadAnnoFile OnBeforeLoadAnnoFromFile;
    TSaveAnnoFile OnAfterSavedAnnoToFile;
    // With AnnoLoadSaveFromTo at anFromStream a page's annotations travel as text through these
    // instead of the annotation file: handed over when the page is left (AutoSaveAnno), asked for
    // when a page is shown (AutoLoadAnno; a text of one byte or none loads nothing).
    TLoadAnnoFrom AnnoLoadSaveFromTo() const { return m_doc.AnnoLoadSaveFromTo(); }
    void SetAnnoLoadSaveFromTo(TLoadAnnoFrom value) { m_doc.SetAnnoLoadSaveFromTo(value); }
    TSaveAnnoStream OnAfterSavedAnnoToStream;
    TLoadAnnoStream OnBeforeLoadAnnoFromStream;

    void DoProgress(std::int16_t percent, const QString &message, bool &cancel) override;

signals:
    // The state changed: scale, scale mode, mouse mode, page, page operation. Toolbars refresh.
    void stateChanged(QObject *sender);
    // The mouse mode changed; true on entering annotation editing.
    void annotationModeChanged(bool editing);
    // A key went down in the viewer.
    void keyDown(int key);
    // The mouse went down, up or moved while annotating (viewer coordinates); the annotation engine
    // gets each as well.
    void annotationMouseDown(QPoint at);
    void annotationMouseUp(QPoint at);
    void annotationMouseMove(QPoint at);
    // The engine's done and click notifications (a click on the mark `object`, or 0 when the
    // selection was dropped).
    void annoDone(QObject *sender);
    void annoClick(bool selecting, std::int32_t object);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    class PaintHold;
    // Asks the user for a note's text; empty leaves the note as it was.
    QString askAnnoText(const QString &current);
    bool readPage(int page, int bits, QString *error);
    // A file's or memory TIFF's page read in, with the annotations left and entered around it.
    bool loadSource(const std::function<void()> &setSource, int page, int bits, QString *error);
    bool saveTiff(const QString &file, double percent, int bits, TScaleToGray mode, TTifSaveOpt option,
                  TTiffCode compression, QString *error);
    // Leaves the current page for another: annotations saved, the page read, annotations loaded.
    bool movePage(int page, QString *error);
    void takePage(DibBlock page);
    void dropImage();
    void imageChanged();
    void buildGrayCopy();
    bool squarePixels(bool force);
    void notify();
    void updateScrollRanges();
    void applyAutoSize();
    // Leaving a page or picture: its annotations saved (AutoSaveAnno) and cleared. Entering one:
    // loaded (AutoLoadAnno) from the file OnBeforeLoadAnnoFromFile may rename.
    void leaveAnnotations();
    void enterAnnotations();
    // A write refused: by the library, told to OnVislibError, else the library's text given in
    // `error`; for want of a file, memory image or picture, the reason (`refused`) given in `error`.
    bool writeFailed(QString *error, const QString &refused = {});
    // After a page operation: the information, tags and shown page read again.
    bool reloadAfterWrite(int page, QString *error);
    // The bits pages are read with (ImageReadRes on this display).
    int readBits() const;
    void reportLibraryFailure();
    void caption(const QString &text);
    // What the effect routines hand back to their progress procedure: this viewer as a progress
    // target (its address as that base, not as the widget).
    void *progressData() { return static_cast<TProgressTarget *>(this); }
    QPoint boxPoint(QPoint viewportPoint) const;
    QRect boxRect() const;
    void paintPicture(QPainter &p, const QRect &exposed);
    const QImage &reducedForDisplay(const DibBlock &source, QSize size);
    void drawBand(QPainter &p) const;
    void magnifyAt(QPoint viewportPoint);
    // A mouse event in annotation editing, handed to the annotation engine.
    void toAnnotations(QMouseEvent *event);
    void hideMagnifier();
    QCursor cursorForMode() const;
    bool printDib(QPainter &painter, const DibBlock &dib, int x, int y, int width, int height,
                  QString *error);

    TScaleToGray m_printScaleDoc = S_Gray_None;
    UserMessages *m_messages = nullptr;
    TDocumentDialogs *m_dialogs = nullptr;
    std::int16_t m_deskewSubsampling = 1;
    double m_deskewRange = 90.0;
    double m_deskewAngleRes = 0.1;
    double m_deskewLineRes = 4.0;
    std::uint8_t m_deskewGrayValue = 0;
    Qt::MouseButton m_rubberBandBtn = Qt::LeftButton;
    int m_grabHandCursor = 5;
    int m_rubberBandCursor = 6;
    int m_annotationsCursor = 7;
    int m_zoomInCursor = 8;
    int m_zoomOutCursor = 9;
    int m_magnifyWidth = 200;
    int m_magnifyHeight = 100;
    int m_magnifyXOffset = 2;
    int m_magnifyYOffset = 2;
    bool m_beginEndDoc = true;
    // The file or memory TIFF, its pages, information and tags, the picture, the settings of
    // reading and writing them and the annotations' files.
    VisDocument m_doc;
    TVisDib m_gray;
    bool m_grayShown = false;
    bool m_grayBuilding = false;
    TScaleToGray m_grayMode = S_Gray_None;
    int m_paintHolds = 0;
    bool m_busy = false;
    double m_scalePercent = 100.0;
    TScaleToGray m_scaleDoc = S_Gray_None;
    TBlitMode m_blitMode = sLight;
    bool m_autoSize = false;
    TControlMode m_controlMode = cmNone;
    int m_magnifyScale = 200;
    std::unique_ptr<TScanJob> m_scanJob;
    QString m_scanMessage;
    QStringList m_scannedFiles;

    // The reduced picture shown below 100 percent, made once per picture, size and stretch mode.
    QImage m_reduced;
    quint64 m_reducedKey = 0;
    QSize m_reducedSize;
    int m_reducedMode = -1;
    quint64 m_generation = 1;

    bool m_panning = false;
    QPoint m_panStart;
    bool m_banding = false;
    Qt::MouseButton m_bandButton = Qt::NoButton;
    QPoint m_bandStart;
    QPoint m_bandEnd;
    QImage m_magnifier;
    QRect m_magnifierRect;
};

} // namespace orva::imaging
