// TMultiImage: one picture in a control, loaded by the file's extension through the imaging front
// end and shown stretched, fitted, centred, tiled, 1:1 or zoomed with scroll bars and grab-hand
// panning; with an aspect-locked rubber band, clipboard, quarter turns, a text overlay, information
// and progress events. Toolbars follow it through stateChanged.
#pragma once

#include "imaging/core/DllSP96.h"
#include "imaging/core/ImagingTypes.h"

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>

class QScrollBar;

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

class TMultiImage : public QWidget, public TProgressTarget {
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

    // Reading.
    TLoadResolution ImageReadRes = lAutoMatic;
    bool ImageDither = false;
    TPCDMode PCDMode = pcd_BASE4;
    int TiffPage() const { return m_tiffPage; }
    void SetTiffPage(int page);
    QColor RotateBackColor;
    TFXMethod FXMethod = FXNone;
    int FXDelay = 25;
    int FXColRowThick = 4;

    // Rubber band.
    bool AllowRubberBand = false;
    Qt::MouseButton RubberBandBtn = Qt::LeftButton;

    // Text overlay.
    QString Text() const { return m_text; }
    void SetText(const QString &text);
    void SetTextPosition(int left, int top);
    void SetTextRotate(int degrees);
    void SetTextShadow(bool on, const QColor &colour = Qt::black);
    void SetTextTransParent(bool on);

    // Annotations (the engine is switched off: only started, cleared and asked to draw).
    bool EditAnnotat = false;
    bool AutoLoadAnno = false;
    bool AutoSaveAnno = false;
    QString AnnoFileName;

    // Stored only.
    int JPegSaveQuality() const { return m_jpegQuality; }
    void SetJPegSaveQuality(int q);
    int JPegSaveSmooth() const { return m_jpegSmooth; }
    void SetJPegSaveSmooth(int s);
    TSaveResolution ImageWriteRes = sAutoMatic;
    TTiffCompression TifSaveCompress = sNONE;
    bool TiffAppend = false;
    bool PNGInterLaced = false;
    bool P_Begin_End_Doc = true;
    int ZoomBy = 10;
    QString DefSaveFilename;
    bool VisUndo = true;
    unsigned B_W_CopyFlags = C_DEL;
    TReduceDither ReduceDither = VIS_BAYER;

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

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
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

    QString m_imageName;
    QImage m_picture;
    TImageInfo m_info;
    bool m_loading = false;
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

    mutable QImage m_scaledCache;
    mutable QSize m_scaledCacheSize;
    mutable qint64 m_scaledCacheKey = 0;
};

} // namespace orva::imaging
