// TMultiImage: one picture in a control, loaded by the file's extension through the imaging front
// end and shown stretched, fitted, centred, tiled, 1:1 or zoomed with scroll bars and grab-hand
// panning; with an aspect-locked rubber band, clipboard, quarter turns, a text overlay, information
// and progress events. Toolbars follow it through stateChanged.
#pragma once

#include "imaging/core/DLL96V1.h"
#include "imaging/core/DllSP96.h"
#include "imaging/core/ImagingTypes.h"
#include "imaging/core/MessageText.h"

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>

class QScrollBar;
class QTimer;

namespace orva::imaging {

// A single border is a one-pixel window border inside the control's rectangle; the picture is laid
// out in what is left.
enum class TBorderStyle { bsNone, bsSingle };
// Flags of black-and-white copies and the dither of colour reductions, kept for the saving code.
enum TBWCopyFlag : unsigned { C_DEL = 0x1 };
enum TReduceDither { VIS_BAYER = 0 };

struct TImageInfo {
    QString FileType;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
    int Attribute1 = 0;
    int Attribute2 = 0;
    qint64 Size = 0;
    QString Compression;
    int Pages = 0;
};

class TMultiImage : public QWidget, public TProgressTarget, public TAnnotationEvents {
    Q_OBJECT
public:
    explicit TMultiImage(QWidget *parent = nullptr);
    ~TMultiImage() override;

    // Loading.
    QString GetImageName() const { return m_imageName; }
    void SetImageName(const QString &name);
    const QImage &Picture() const { return m_picture; }
    void SetPicture(const QImage &picture);
    void Clear();
    bool GetInfo(const QString &file);
    const TImageInfo &Info() const { return m_info; }

    // View modes.
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool on);
    bool StretchRatio() const { return m_stretchRatio; }
    void SetStretchRatio(bool on);
    bool Center() const { return m_center; }
    void SetCenter(bool on);
    bool Scrolling() const { return m_scrolling; }
    void SetScrolling(bool on);
    bool ShowScrollbars() const { return m_showScrollbars; }
    void SetShowScrollbars(bool on);
    int ScrollbarWidth() const { return m_scrollbarWidth; }
    void SetScrollbarWidth(int width);
    bool TileWindow() const { return m_tile; }
    void SetTileWindow(bool on);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool on) { m_autoSize = on; }
    QColor Color() const { return m_color; }
    void SetColor(const QColor &c);
    TBlitMode BlitMode() const { return m_blitMode; }
    void SetBlitMode(TBlitMode mode);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle style);
    // The cursor shown while the picture is dragged; the control's own comes back afterwards.
    QCursor GrabHandCursor() const { return m_grabHandCursor; }
    void SetGrabHandCursor(const QCursor &cursor) { m_grabHandCursor = cursor; }

    // Zoom and position.
    double Zoom() const { return m_zoom; }
    QPoint Origin() const { return m_origin; }
    void ZoomInBy(double factor);
    void ZoomOutBy(double factor);
    void Rotate90();
    QScrollBar *HorzScrollBar() const { return m_hbar; }
    QScrollBar *VertScrollBar() const { return m_vbar; }

    // Reading. A picture is read in a worker; how long the window waits for its share.
    int ShareWaitMs() const { return m_shareWaitMs; }
    void SetShareWaitMs(int value) { m_shareWaitMs = value; }
    TLoadResolution ImageReadRes() const { return m_imageReadRes; }
    void SetImageReadRes(TLoadResolution value) { m_imageReadRes = value; }
    bool ImageDither() const { return m_imageDither; }
    void SetImageDither(bool value) { m_imageDither = value; }
    TPCDMode PCDMode() const { return m_pcdMode; }
    void SetPCDMode(TPCDMode value) { m_pcdMode = value; }
    int TiffPage() const { return m_tiffPage; }
    void SetTiffPage(int page);
    QColor RotateBackColor() const { return m_rotateBackColor; }
    void SetRotateBackColor(const QColor &value) { m_rotateBackColor = value; }
    // A new picture is uncovered with this transition (delay in ms per step, strip thickness).
    TFXMethod FXMethod() const { return m_fxMethod; }
    void SetFXMethod(TFXMethod value) { m_fxMethod = value; }
    int FXDelay() const { return m_fxDelay; }
    void SetFXDelay(int value) { m_fxDelay = value; }
    int FXColRowThick() const { return m_fxColRowThick; }
    void SetFXColRowThick(int value) { m_fxColRowThick = value; }
    bool TransitionRunning() const;

    // Rubber band.
    bool AllowRubberBand() const { return m_allowRubberBand; }
    void SetAllowRubberBand(bool value) { m_allowRubberBand = value; }
    Qt::MouseButton RubberBandBtn() const { return m_rubberBandBtn; }
    void SetRubberBandBtn(Qt::MouseButton value) { m_rubberBandBtn = value; }

    // Text overlay.
    QString Text() const { return m_text; }
    void SetText(const QString &text);
    void SetTextPosition(int left, int top);
    void SetTextRotate(int degrees);
    void SetTextShadow(bool on, const QColor &colour = Qt::black);
    void SetTextTransParent(bool on);

    // Annotations: edited with the mouse while EditAnnotat is on; saved when a picture is left
    // (AutoSaveAnno) and loaded when one is entered (AutoLoadAnno), in AnnoFileName or else the
    // picture's own annotation file.
    bool EditAnnotat() const { return m_editAnnotat; }
    void SetEditAnnotat(bool on);
    bool AutoLoadAnno() const { return m_autoLoadAnno; }
    void SetAutoLoadAnno(bool value) { m_autoLoadAnno = value; }
    bool AutoSaveAnno() const { return m_autoSaveAnno; }
    void SetAutoSaveAnno(bool value) { m_autoSaveAnno = value; }
    QString AnnoFileName() const { return m_annoFileName; }
    void SetAnnoFileName(const QString &value) { m_annoFileName = value; }
    QString AnnotationFile() const { return AnnotationFileName(m_annoFileName, m_imageName); }
    // Runs one of the annotation engine's menu commands (what a menu or toolbar picked).
    void AnnoMenuCommand(int command);

    // Moving message texts (".SCM", ".CMS"): the control's own timer sends the steps.
    enum class TTextMode { None, Scrolling, Credit };
    TTextMode TextMode() const { return m_textMode; }
    int TextStepInterval() const;
    void SetTextStepInterval(int milliseconds);
    // One step message each; outside their mode they do nothing.
    void StepScrollingText();
    void StepCreditText();
    QPoint TextBitmapPos() const;
    const QImage &TextBitmap() const { return m_textBitmap; }

    // Stored only.
    int JPegSaveQuality() const { return m_jpegQuality; }
    void SetJPegSaveQuality(int q);
    int JPegSaveSmooth() const { return m_jpegSmooth; }
    void SetJPegSaveSmooth(int s);
    TSaveResolution ImageWriteRes() const { return m_imageWriteRes; }
    void SetImageWriteRes(TSaveResolution value) { m_imageWriteRes = value; }
    TTiffCompression TifSaveCompress() const { return m_tifSaveCompress; }
    void SetTifSaveCompress(TTiffCompression value) { m_tifSaveCompress = value; }
    bool TiffAppend() const { return m_tiffAppend; }
    void SetTiffAppend(bool value) { m_tiffAppend = value; }
    bool PNGInterLaced() const { return m_pngInterlaced; }
    void SetPNGInterLaced(bool value) { m_pngInterlaced = value; }
    bool P_Begin_End_Doc() const { return m_beginEndDoc; }
    void SetP_Begin_End_Doc(bool value) { m_beginEndDoc = value; }
    int ZoomBy() const { return m_zoomBy; }
    void SetZoomBy(int value) { m_zoomBy = value; }
    QString DefSaveFilename() const { return m_defSaveFilename; }
    void SetDefSaveFilename(const QString &value) { m_defSaveFilename = value; }
    bool VisUndo() const { return m_visUndo; }
    void SetVisUndo(bool value) { m_visUndo = value; }
    unsigned B_W_CopyFlags() const { return m_bwCopyFlags; }
    void SetB_W_CopyFlags(unsigned value) { m_bwCopyFlags = value; }
    TReduceDither ReduceDither() const { return m_reduceDither; }
    void SetReduceDither(TReduceDither value) { m_reduceDither = value; }

    // Events.
    std::function<void(QObject *)> OnPictureChanged;
    std::function<void(QObject *)> OnPaint;
    TPaintArea OnPaintArea;
    std::function<void(QObject *)> OnFinishedLoadSave;
    TVisMesProgress OnProgress;
    TlibError OnVislibError;
    TRubberband OnRubberband;

    // Clipboard.
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    void DoProgress(std::int16_t percent, const QString &message, bool &cancel) override;

signals:
    // Toolbars refresh their buttons: after a load and after StretchRatio or Center is set.
    void stateChanged(QObject *sender);
    // A key went down in the control (for annotation tools).
    void keyDown(int key);
    // Annotation notifications for an annotation toolbar: editing switched on or off, an edit
    // done, mouse down (before the engine sees it), up and move while editing, and a click on an
    // annotation (object not 0).
    void annoEditChanged(bool on);
    void annoDone(QObject *sender);
    void annoMouseDown(QObject *sender);
    void annoMouseUp(QObject *sender);
    void annoMouseMove(QObject *sender);
    void annoClick(bool selecting, std::int32_t object);

protected:
    // A subclass loads the files it plays itself: true when it took the name (the base then does
    // nothing more); false runs the base's load by extension.
    virtual bool LoadOther(const QString &name) {
        (void)name;
        return false;
    }
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Asks the user for a note's text; empty leaves the note as it was.
    QString askAnnoText(const QString &current);
    bool readPicture(const QString &name, QImage &out);
    void handOver(const QImage &bitmap);
    void pictureChanged();
    void reportFailure();
    void updateScrollBars();
    bool overflows() const;
    bool isMetafile() const;
    int border() const { return m_borderStyle == TBorderStyle::bsSingle ? 1 : 0; }
    // The area the picture is laid out in: the control less its border.
    QSize clientSize() const { return size() - QSize(2 * border(), 2 * border()); }
    bool hasPicture() const { return !m_picture.isNull(); }
    QImage scaledFor(const QSize &size) const;
    void drawBandOutline();
    void drawMessageText(QPainter &p);
    bool forwardToAnnotations(QMouseEvent *event);
    void showAnnotationMenu(const QPoint &at);
    // False with the reason when the message file cannot be read (a missing one shows the defaults).
    bool startScrollingText(const QString &name, QString *error);
    bool startCreditText(const QString &name, QString *error);
    void renderCreditLine();
    void endTextMode(bool restoreColor);

    QString m_imageName;
    QImage m_picture;
    TImageInfo m_info;
    bool m_loading = false;
    // Counts the loads begun: a load that waited for its file gives way to one begun meanwhile.
    quint64 m_loadSerial = 0;
    bool m_stretch = false;
    bool m_stretchRatio = false;
    bool m_center = false;
    bool m_scrolling = true;
    bool m_showScrollbars = true;
    int m_scrollbarWidth = 12;
    bool m_tile = false;
    bool m_autoSize = false;
    QColor m_color;
    TBlitMode m_blitMode = sLight;
    TBorderStyle m_borderStyle = TBorderStyle::bsNone;
    QCursor m_grabHandCursor;
    double m_zoom = 1.0;
    QPoint m_origin;
    double m_savedZoom = 1.0;
    QPoint m_savedOrigin;
    int m_tiffPage = 0;
    int m_previousTiffPage = 0;
    QString m_text;
    int m_textLeft = 0;
    int m_textTop = 0;
    int m_textRotate = 0;
    bool m_textShadow = false;
    QColor m_textShadowColor = Qt::black;
    bool m_textTransparent = true;
    int m_jpegQuality = 25;
    int m_jpegSmooth = 0;

    QScrollBar *m_hbar = nullptr;
    QScrollBar *m_vbar = nullptr;
    QWidget *m_corner = nullptr;
    bool m_updatingBars = false;

    bool m_grabbing = false;
    bool m_hadCursor = false;
    QCursor m_savedCursor;
    QPoint m_lastMouse;
    bool m_banding = false;
    Qt::MouseButton m_bandButton = Qt::NoButton;
    QPoint m_bandAnchor;
    QPoint m_bandCorner;

    bool m_editAnnotat = false;

    TTextMode m_textMode = TTextMode::None;
    TMessageFont m_textFont;
    int m_textSpeed = 1;
    QString m_scrollMessage;
    std::uint32_t m_textBack = 0;
    QStringList m_creditLines;
    TStepGate m_stepGate;
    TScrollingText m_scrollText;
    TCreditText m_creditText;
    QImage m_textBitmap;
    QColor m_colorBeforeText;
    QTimer *m_stepTimer = nullptr;
    TransitionPlayer *m_transition = nullptr;

    int m_shareWaitMs = 10000;
    TLoadResolution m_imageReadRes = lAutoMatic;
    bool m_imageDither = false;
    TPCDMode m_pcdMode = pcd_BASE4;
    QColor m_rotateBackColor;
    TFXMethod m_fxMethod = FXNone;
    int m_fxDelay = 25;
    int m_fxColRowThick = 4;
    bool m_allowRubberBand = false;
    Qt::MouseButton m_rubberBandBtn = Qt::LeftButton;
    bool m_autoLoadAnno = false;
    bool m_autoSaveAnno = false;
    QString m_annoFileName;
    TSaveResolution m_imageWriteRes = sAutoMatic;
    TTiffCompression m_tifSaveCompress = sNONE;
    bool m_tiffAppend = false;
    bool m_pngInterlaced = false;
    bool m_beginEndDoc = true;
    int m_zoomBy = 10;
    QString m_defSaveFilename;
    bool m_visUndo = true;
    unsigned m_bwCopyFlags = C_DEL;
    TReduceDither m_reduceDither = VIS_BAYER;

    mutable QImage m_scaledCache;
    mutable QSize m_scaledCacheSize;
    mutable qint64 m_scaledCacheKey = 0;
};

} // namespace orva::imaging
