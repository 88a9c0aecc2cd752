// The image view control.
#include "imaging/view/TMultiImage.h"
#include "common/WaitCursor.h"
#include "imaging/core/ClipboardPicture.h"

#include "common/FileWait.h"
#include "common/LocalPath.h"
#include "common/ResourceCursors.h"
#include "common/Trace.h"
#include "common/WinColor.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/core/ErrorInvalid.h"
#include "imaging/view/AnnotationMenu.h"
#include "imaging/view/ViewGeometry.h"
#include "platform/imageio/ImageIoLibrary.h"
#include "platform/modal/StandardDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>

namespace orva::imaging {

using namespace ViewGeometry;

namespace {
bool fileExists(const QString &name) {
    // A picture on a hung share is taken as missing rather than freezing the window.
    return FileWait::Exists(LocalPath::toLocalPath(name));
}

// A picture's file as one read in a worker: whether it is there, and its bytes; with the marks'
// file the picture loads with, when it has one.
struct Fetched {
    bool exists = false;
    std::shared_ptr<const orva::imageio::Bytes> data;
    QString annoFile;
    std::shared_ptr<const orva::imageio::Bytes> annoData;
};

std::shared_ptr<const orva::imageio::Bytes> readAll(const QString &local) {
    auto data = std::make_shared<orva::imageio::Bytes>();
    if (orva::imageio::lib::readWholeFile(local, *data) != orva::imageio::kOk)
        return nullptr;
    return data;
}

Fetched fetch(const QString &local, const QString &name, bool annotations, const QString &annoFileName) {
    Fetched f;
    f.exists = QFileInfo::exists(local);
    if (!f.exists)
        return f;
    f.data = readAll(local);
    if (annotations) {
        f.annoFile = AnnotationFileToRead(annoFileName, name);
        const QString annoLocal = MappedPath(f.annoFile);
        if (!f.annoFile.isEmpty() && QFileInfo::exists(annoLocal))
            f.annoData = readAll(annoLocal);
    }
    return f;
}

} // namespace

TMultiImage::TMultiImage(QWidget *parent) : QWidget(parent) {
    m_color = palette().color(QPalette::Button);
    m_rotateBackColor = m_color;
    m_grabHandCursor = ResourceCursors::Load("GRABHAND");
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hbar = new QScrollBar(Qt::Horizontal, this);
    m_vbar = new QScrollBar(Qt::Vertical, this);
    m_hbar->setObjectName(QStringLiteral("HorzScrollBar"));
    m_vbar->setObjectName(QStringLiteral("VertScrollBar"));
    m_hbar->setFocusPolicy(Qt::NoFocus);
    m_vbar->setFocusPolicy(Qt::NoFocus);
    m_corner = new QWidget(this);
    m_corner->setAutoFillBackground(true);
    m_hbar->hide();
    m_vbar->hide();
    m_corner->hide();
    connect(m_hbar, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_updatingBars && m_zoom > 0) {
            m_origin.setX(nearest(v / m_zoom));
            repaint();
        }
    });
    connect(m_vbar, &QScrollBar::valueChanged, this, [this](int v) {
        if (!m_updatingBars && m_zoom > 0) {
            m_origin.setY(nearest(v / m_zoom));
            repaint();
        }
    });
    m_stepTimer = new QTimer(this);
    m_stepTimer->setInterval(20);
    connect(m_stepTimer, &QTimer::timeout, this, [this] {
        if (m_textMode == TTextMode::Scrolling)
            StepScrollingText();
        else if (m_textMode == TTextMode::Credit)
            StepCreditText();
    });
    AnnoInit(this, this,
             AnnotationCallbacks(
                 this, [this](QObject *) { emit annoDone(this); },
                 [this](QObject *, bool selecting, std::int32_t object) {
                     if (object != 0)
                         emit annoClick(selecting, object);
                 },
                 [this](QObject *, const QString &current) { return askAnnoText(current); }));
    m_transition = new TransitionPlayer(this);
    connect(m_transition, &TransitionPlayer::frameChanged, this, qOverload<>(&QWidget::update));
}

QString TMultiImage::askAnnoText(const QString &current) {
    return AskText(this, QStringLiteral("Annotation"), QStringLiteral("Note text:"), current, TextLines::Many)
        .value_or(QString());
}

TMultiImage::~TMultiImage() {
    if (m_autoSaveAnno && !AnnotationFile().isEmpty()) {
        AnnoSave(this, m_tiffPage, AnnotationFileToWrite(m_annoFileName, m_imageName));
    }
    AnnoDestroy(this);
}

// ---- loading --------------------------------------------------------------------------------------

void TMultiImage::SetImageName(const QString &name) {
    const QString left = m_imageName;
    m_imageName = name;
    m_loading = true;
    // The loading flag holds back the picture-changed handling; it must drop on every way out.
    auto dropLoading = qScopeGuard([this] { m_loading = false; });
    if (LoadOther(name))
        return;
    const TLoadKind kind = LoadKindFor(name);
    // The file may sit on a share: it is looked for and read once, in a worker, while the window
    // goes on; every reader below then takes the bytes read. No answer counts as no file.
    std::optional<orva::imageio::lib::ReadAhead> ahead;
    std::optional<orva::imageio::lib::ReadAhead> annoAhead;
    // The marks file found with the picture; none found needs no second look.
    QString enteredAnno;
    bool annoChecked = false;
    // A file its caller has read already (the open dialog's preview) is not read again.
    if (kind != TLoadKind::Resource && !orva::imageio::lib::ReadAhead::find(LocalPath::toLocalPath(name))) {
        const QString local = LocalPath::toLocalPath(name);
        const QPointer<TMultiImage> self(this);
        const quint64 serial = ++m_loadSerial;
        const bool annotations = m_autoLoadAnno;
        const QString annoFileName = m_annoFileName;
        const std::optional<Fetched> fetched = FileWait::Watched(
            local, [=] { return fetch(local, name, annotations, annoFileName); }, m_shareWaitMs);
        if (!self) {
            dropLoading.dismiss();
            return;
        }
        if (serial != m_loadSerial)
            return;
        if (!fetched || !fetched->exists) {
            Clear();
            return;
        }
        ahead.emplace(local, fetched->data);
        if (fetched->annoData) {
            annoAhead.emplace(MappedPath(fetched->annoFile), fetched->annoData);
            enteredAnno = fetched->annoFile;
        } else {
            annoChecked = true;
        }
    }
    const QString leftAnno = m_autoSaveAnno ? AnnotationFileToWrite(m_annoFileName, left)
                                            : AnnotationFileName(m_annoFileName, left);
    if (!AnnoLeave(this, m_autoSaveAnno, m_tiffPage, leftAnno)) {
        ORVA_TRACE(QStringLiteral("annotations not saved"),
                   leftAnno + QStringLiteral(": ") + LastErrorText());
    }
    endTextMode(true);
    bool cancel = false;
    DoProgress(0, QString(), cancel);

    QImage bitmap;
    switch (kind) {
    case TLoadKind::PictureObject: {
        // Icons through the platform's reader; metafiles are not drawn on this platform.
        const orva::imageio::Bytes *bytes = orva::imageio::lib::ReadAhead::find(LocalPath::toLocalPath(name));
        QImage icon;
        if (bytes)
            icon.loadFromData(bytes->data(), int(bytes->size()),
                              QFileInfo(name).suffix().toLatin1().constData());
        if (QFileInfo(name).suffix().toUpper() == QLatin1String("WMF"))
            ORVA_TRACE(QStringLiteral("metafile not shown"), name);
        GetInfo(name);
        handOver(icon);
        return;
    }
    case TLoadKind::ScrollingText:
    case TLoadKind::CreditText: {
        Clear();
        QString why;
        const bool started =
            kind == TLoadKind::ScrollingText ? startScrollingText(name, &why) : startCreditText(name, &why);
        if (!started) {
            ORVA_TRACE(QStringLiteral("message text not shown"), name + QStringLiteral(": ") + why);
            Clear();
            return;
        }
        GetInfo(name);
        return;
    }
    case TLoadKind::BmpThumbnail:
    case TLoadKind::JpegThumbnail: {
        GetInfo(name);
        // Monochrome below 4 bits, else the depth the control reads pictures at.
        const int bits = m_info.BitsPerPixel > 0 && m_info.BitsPerPixel < 4
                             ? 1
                             : ReadBitDepth(m_imageReadRes, DeviceColorDepth(depth()));
        const bool ok = kind == TLoadKind::BmpThumbnail
                            ? ReadBMPFileBitmap(name, bits, m_imageDither, bitmap, this)
                            : ReadJPGFileBitmap(name, bits, m_imageDither, bitmap, this);
        handOver(ok ? bitmap : QImage());
        return;
    }
    case TLoadKind::Resource:
        LoadResourceBitmap(QFileInfo(name).completeBaseName(), bitmap);
        handOver(bitmap);
        return;
    case TLoadKind::Picture:
        break;
    }

    const bool read = readPicture(name, bitmap);
    if (read || OnVislibError) {
        if (!read) {
            OnVislibError(this, LastErrorCode(), LastErrorText(), LastErrorText().toLatin1());
            bitmap = QImage();
        }
        handOver(bitmap);
        GetInfo(name);
    } else {
        // With nobody to tell, the failure is traced and the control left empty.
        ORVA_TRACE(QStringLiteral("image load failed"), name + QStringLiteral(": ") + LastErrorText());
        Clear();
    }
    m_loading = false;
    if (!annoChecked && enteredAnno.isEmpty())
        enteredAnno = AnnotationFileToRead(m_annoFileName, m_imageName);
    if (!annoChecked && !AnnoEnter(this, m_autoLoadAnno, m_tiffPage, enteredAnno)) {
        ORVA_TRACE(QStringLiteral("annotations not loaded"),
                   enteredAnno + QStringLiteral(": ") + LastErrorText());
    }
    emit stateChanged(this);
    if (OnFinishedLoadSave) {
        OnFinishedLoadSave(this);
    }
}

bool TMultiImage::readPicture(const QString &name, QImage &out) {
    if (!GetInfo(name)) {
        return false;
    }
    const QString reader = ReaderFor(name, m_info.FileType);
    const int wanted = ReadBitDepth(m_imageReadRes, DeviceColorDepth(depth()));
    const int bits = ReadBits(reader, m_info.BitsPerPixel, wanted);
    const int dither = m_imageDither ? 1 : 0;
    if (reader == QLatin1String("BMP"))
        return ReadBMPFileBitmap(name, bits, dither, out, this);
    if (reader == QLatin1String("PNG"))
        return ReadPNGFileBitmap(name, bits, dither, out, this);
    if (reader == QLatin1String("GIF"))
        return ReadGIFFileBitmap(name, bits, dither, out, this);
    if (reader == QLatin1String("TGA"))
        return ReadTGAFileBitmap(name, bits, dither, out, this);
    if (reader == QLatin1String("PCX"))
        return ReadPCXFileBitmap(name, bits, dither, out, this);
    if (reader == QLatin1String("EPS"))
        return ReadEPSFileBitmap(name, bits, dither, out, this);
    if (reader == QLatin1String("PCD"))
        return ReadPCDFileBitmap(name, bits, dither, m_pcdMode, out, this);
    if (reader == QLatin1String("DXF"))
        return ReadDXFToDdb(name, bits, dither, out, this);
    if (reader == QLatin1String("JPG"))
        return ReadJPGFileBitmap(name, bits, dither, out, this);
    if (reader == QLatin1String("TIF")) {
        // Pages count from 0: a page beyond the file reads its last page.
        const int page = ClampTiffPage(m_tiffPage, m_info.Pages);
        const bool ok = ReadTIFFileBitmap(name, bits, dither, page, out, this);
        return ok;
    }
    // A file type no reader knows reads nothing.
    out = QImage();
    return true;
}

void TMultiImage::handOver(const QImage &bitmap) {
    m_transition->finish();
    const bool animate = m_fxMethod != FXNone && isVisible() && !bitmap.isNull() && !size().isEmpty();
    // The new picture is uncovered over what the control shows now, as the control will draw it.
    const QImage before = animate ? grab().toImage() : QImage();
    m_picture = bitmap;
    pictureChanged();
    if (animate) {
        m_transition->setFrame(before);
        SpTransition(*m_transition, grab().toImage(), m_fxMethod, m_fxColRowThick, m_fxDelay);
    }
}

bool TMultiImage::TransitionRunning() const {
    return m_transition->isActive();
}

bool TMultiImage::GetInfo(const QString &file) {
    m_info = TImageInfo();
    const QString ext = QFileInfo(file).suffix().toUpper().left(3);
    if (ext == QLatin1String("RES")) {
        m_info.FileType = QStringLiteral("RES");
        m_info.Compression = QStringLiteral("BMP");
        m_info.Width = m_picture.width();
        m_info.Height = m_picture.height();
        m_info.Size = m_picture.sizeInBytes();
        return true;
    }
    if (ext == QLatin1String("WMF") || ext == QLatin1String("ICO") || ext == QLatin1String("SCM") ||
        ext == QLatin1String("CMS")) {
        if (!fileExists(file)) {
            m_info.FileType = m_info.Compression = QStringLiteral("ERR");
            m_info.Width = m_info.Height = -1;
            m_info.Size = -1;
            return false;
        }
        m_info.FileType = m_info.Compression = ext;
        m_info.Width = m_picture.width();
        m_info.Height = m_picture.height();
        return true;
    }
    if (ext == QLatin1String("TIF")) {
        TTiffInfo first;
        if (!DllGetInfo(file, 0, first)) {
            return false;
        }
        TTiffInfo page = first;
        const int wanted = ClampTiffPage(m_tiffPage, first.pages);
        if (wanted != 0 && !DllGetInfo(file, wanted, page)) {
            return false;
        }
        m_info.FileType = QStringLiteral("TIF");
        m_info.Width = page.width;
        m_info.Height = page.height;
        m_info.BitsPerPixel = page.bitsPerPixel;
        m_info.Pages = first.pages;
        m_info.Compression = page.compression;
        const QString local = LocalPath::toLocalPath(file);
        const orva::imageio::Bytes *bytes = orva::imageio::lib::ReadAhead::find(local);
        m_info.Size = bytes ? qint64(bytes->size()) : QFileInfo(local).size();
        return true;
    }
    if (ext == QLatin1String("DXF")) {
        orva::imageio::lib::DxfInfo dxf;
        m_info.FileType = m_info.Compression = QStringLiteral("DXF");
        DllGetDXFInfo(file, dxf);
        m_info.Width = static_cast<int>(dxf.maxX - dxf.minX);
        m_info.Height = static_cast<int>(dxf.maxY - dxf.minY);
        return true;
    }
    orva::imageio::lib::FileInfo info;
    if (!DllFileInfo(file, info)) {
        reportFailure();
        return false;
    }
    m_info.FileType = info.type;
    m_info.Compression = info.compressionName;
    m_info.Width = info.width;
    m_info.Height = info.height;
    m_info.BitsPerPixel = info.bitsPerPixel;
    m_info.Attribute1 = info.xDpi;
    m_info.Attribute2 = info.yDpi;
    m_info.Size = info.size;
    m_info.Pages = 1;
    return true;
}

void TMultiImage::reportFailure() {
    if (OnVislibError) {
        OnVislibError(this, LastErrorCode(), LastErrorText(), LastErrorText().toLatin1());
    }
}

void TMultiImage::SetPicture(const QImage &picture) {
    m_picture = picture;
    pictureChanged();
}

void TMultiImage::Clear() {
    endTextMode(true);
    m_picture = QImage();
    pictureChanged();
}

void TMultiImage::SetTiffPage(int page) {
    m_previousTiffPage = m_tiffPage;
    m_tiffPage = page;
}

void TMultiImage::pictureChanged() {
    m_scaledCacheKey = 0;
    if (m_autoSize && hasPicture()) {
        resize(m_picture.size());
    }
    if (m_loading) {
        m_zoom = 1.0;
        m_origin = QPoint();
        m_savedOrigin = QPoint();
        m_savedZoom = 1.0;
        if (m_stretchRatio && hasPicture()) {
            m_zoom = FitZoom(clientSize(), m_picture.size());
        }
    }
    if (OnPictureChanged) {
        OnPictureChanged(this);
    }
    updateScrollBars();
    update();
}

void TMultiImage::DoProgress(std::int16_t percent, const QString &message, bool &cancel) {
    if (OnProgress) {
        OnProgress(this, percent, message, cancel);
    }
}

// ---- modes ----------------------------------------------------------------------------------------

void TMultiImage::SetStretch(bool on) {
    m_stretch = on;
    if (on) {
        m_stretchRatio = false;
    }
    updateScrollBars();
    update();
}

void TMultiImage::SetStretchRatio(bool on) {
    if (on != m_stretchRatio) {
        if (on && hasPicture()) {
            m_savedOrigin = m_origin;
            m_savedZoom = m_zoom;
            m_origin = QPoint();
            m_zoom = FitZoom(clientSize(), m_picture.size());
        } else {
            m_origin = m_savedOrigin;
            m_zoom = m_savedZoom;
        }
    }
    m_stretchRatio = on;
    if (on) {
        m_stretch = false;
    }
    updateScrollBars();
    update();
    emit stateChanged(this);
}

void TMultiImage::SetCenter(bool on) {
    m_center = on;
    update();
    emit stateChanged(this);
}

void TMultiImage::SetScrolling(bool on) {
    m_scrolling = on;
    updateScrollBars();
    update();
}

void TMultiImage::SetShowScrollbars(bool on) {
    if (isMetafile()) {
        return;
    }
    const QSize client = clientSize();
    if (!on && hasPicture()) {
        // The picture moves so that no gap is left where the bars were.
        if (m_picture.width() * m_zoom > client.width()) {
            const double g = client.width() - (m_picture.width() - m_origin.x()) * m_zoom;
            if (g > 0)
                m_origin.setX(std::max(0, nearest(m_origin.x() - g / m_zoom) - 1));
        }
        if (m_picture.height() * m_zoom > client.height()) {
            const double g = client.height() - (m_picture.height() - m_origin.y()) * m_zoom;
            if (g > 0)
                m_origin.setY(std::max(0, nearest(m_origin.y() - g / m_zoom) - 1));
        }
    }
    m_showScrollbars = on;
    updateScrollBars();
    pictureChanged();
}

void TMultiImage::SetBorderStyle(TBorderStyle style) {
    m_borderStyle = style;
    if (m_stretchRatio && hasPicture()) {
        m_zoom = FitZoom(clientSize(), m_picture.size());
    }
    updateScrollBars();
    update();
}

bool TMultiImage::isMetafile() const {
    return m_info.FileType == QLatin1String("WMF");
}

void TMultiImage::SetScrollbarWidth(int width) {
    m_scrollbarWidth = std::max(0, width);
    updateScrollBars();
    update();
}

void TMultiImage::SetTileWindow(bool on) {
    m_tile = on;
    update();
}

void TMultiImage::SetColor(const QColor &c) {
    m_color = c;
    update();
}

void TMultiImage::SetBlitMode(TBlitMode mode) {
    m_blitMode = mode;
    m_scaledCacheKey = 0;
    update();
}

void TMultiImage::SetText(const QString &text) {
    if (text != m_text) {
        m_text = text;
        update();
    }
}

void TMultiImage::SetTextPosition(int left, int top) {
    m_textLeft = left;
    m_textTop = top;
    update();
}

void TMultiImage::SetTextRotate(int degrees) {
    m_textRotate = degrees;
    update();
}

void TMultiImage::SetTextShadow(bool on, const QColor &colour) {
    m_textShadow = on;
    m_textShadowColor = colour;
    update();
}

void TMultiImage::SetTextTransParent(bool on) {
    m_textTransparent = on;
    update();
}

void TMultiImage::SetJPegSaveQuality(int q) {
    m_jpegQuality = JpegQuality(q);
}

void TMultiImage::SetJPegSaveSmooth(int s) {
    m_jpegSmooth = JpegSmooth(s);
}

// ---- zoom and rotation ----------------------------------------------------------------------------

void TMultiImage::ZoomInBy(double factor) {
    if (!hasPicture() || isMetafile() || !ZoomInAllowed(m_zoom, factor)) {
        return;
    }
    m_zoom *= factor;
    updateScrollBars();
    repaint();
}

void TMultiImage::ZoomOutBy(double factor) {
    if (!hasPicture() || isMetafile() || !ZoomOutAllowed(m_zoom, factor)) {
        return;
    }
    m_zoom *= factor;
    m_origin.setX(ZoomOutOrigin(clientSize().width(), m_picture.width(), m_origin.x(), m_zoom));
    m_origin.setY(ZoomOutOrigin(clientSize().height(), m_picture.height(), m_origin.y(), m_zoom));
    updateScrollBars();
    repaint();
}

void TMultiImage::Rotate90() {
    if (!hasPicture()) {
        return;
    }
    const WaitCursor busy;
    bool cancel = false;
    DoProgress(0, QString(), cancel);
    SpRotateGraphic(m_picture, 90.0, m_rotateBackColor.rgb());
    m_origin = QPoint();
    pictureChanged();
}

// ---- painting -------------------------------------------------------------------------------------

bool TMultiImage::overflows() const {
    const QSize client = clientSize();
    return hasPicture() &&
           (m_picture.width() * m_zoom > client.width() || m_picture.height() * m_zoom > client.height());
}

void TMultiImage::updateScrollBars() {
    m_updatingBars = true;
    const bool show =
        hasPicture() && !m_stretch && !m_stretchRatio && m_scrolling && m_showScrollbars && overflows();
    if (show) {
        const int w = clientSize().width(), h = clientSize().height(), s = m_scrollbarWidth, b = border();
        m_vbar->setGeometry(b + w - s, b + 1, s, h - s - 1);
        m_hbar->setGeometry(b + 1, b + h - s, w - s - 1, s);
        m_corner->setGeometry(b + w - s, b + h - s, s, s);
        const TBarState hs = ScrollBar(w, s, m_picture.width(), m_zoom, m_origin.x());
        const TBarState vs = ScrollBar(h, s, m_picture.height(), m_zoom, m_origin.y());
        m_hbar->setRange(0, hs.Maximum);
        m_hbar->setValue(hs.Position);
        m_hbar->setPageStep(std::max(1, w - s));
        m_hbar->setSingleStep(std::max(1, (w - s) / 10));
        m_vbar->setRange(0, vs.Maximum);
        m_vbar->setValue(vs.Position);
        m_vbar->setPageStep(std::max(1, h - s));
        m_vbar->setSingleStep(std::max(1, (h - s) / 10));
        m_hbar->show();
        m_vbar->show();
        m_corner->show();
    } else {
        m_hbar->hide();
        m_vbar->hide();
        m_corner->hide();
    }
    m_updatingBars = false;
}

QImage TMultiImage::scaledFor(const QSize &size) const {
    const qint64 key = m_picture.cacheKey();
    if (m_scaledCacheKey == key && m_scaledCacheSize == size) {
        return m_scaledCache;
    }
    QImage source = m_picture;
    if (m_picture.depth() == 1) {
        // Averaging a black-on-white form keeps thin lines visible as grey; the darkest mode
        // darkens that grey further.
        source = m_picture.convertToFormat(QImage::Format_Grayscale8);
    }
    QImage scaled = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (m_picture.depth() == 1 && m_blitMode != sLight) {
        for (int y = 0; y < scaled.height(); ++y) {
            uchar *line = scaled.scanLine(y);
            for (int x = 0; x < scaled.width(); ++x) {
                line[x] = m_blitMode == sDark ? static_cast<uchar>(line[x] * line[x] / 255)
                                              : static_cast<uchar>(line[x] < 255 ? 0 : 255);
            }
        }
    }
    m_scaledCache = scaled;
    m_scaledCacheSize = size;
    m_scaledCacheKey = key;
    return scaled;
}

void TMultiImage::paintEvent(QPaintEvent *) {
    QPainter p(this);
    // A transition's frames are grabs of the whole control, border and all.
    if (m_transition->isActive()) {
        p.drawImage(0, 0, m_transition->frame());
        return;
    }
    if (border() > 0) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.translate(border(), border());
    }
    const QSize client = clientSize();
    const QRect whole(QPoint(0, 0), client);
    p.setClipRect(whole);
    QRect area;
    if (!hasPicture()) {
        p.fillRect(whole, m_color);
        if (m_textMode != TTextMode::None && !m_textBitmap.isNull())
            p.drawImage(TextBitmapPos(), m_textBitmap);
    } else if (m_tile) {
        for (int y = 0; y < client.height(); y += m_picture.height())
            for (int x = 0; x < client.width(); x += m_picture.width())
                p.drawImage(x, y, m_picture);
        area = whole;
    } else if (m_stretch) {
        p.drawImage(whole, scaledFor(client));
        area = whole;
    } else if (!m_stretchRatio && !m_scrolling) {
        QPoint at;
        if (m_center) {
            at = QPoint((client.width() - m_picture.width()) / 2, (client.height() - m_picture.height()) / 2);
        }
        p.fillRect(whole, m_color);
        p.drawImage(at, m_picture);
        area = QRect(at, m_picture.size());
    } else {
        const int bar = m_showScrollbars && !m_stretchRatio ? m_scrollbarWidth : 0;
        const TZoomLayout l = ZoomLayout(client, m_picture.size(), m_zoom, m_origin, bar, m_center);
        p.fillRect(whole, m_color);
        if (m_zoom < 1.0 || m_picture.depth() == 1) {
            // Scale the whole picture once and draw the visible part 1:1.
            const QSize whole(std::max(1, nearest(m_picture.width() * m_zoom)),
                              std::max(1, nearest(m_picture.height() * m_zoom)));
            if (m_zoom <= 1.0) {
                const QImage scaled = scaledFor(whole);
                const QRect src(nearest(l.Source.left() * m_zoom), nearest(l.Source.top() * m_zoom),
                                l.Target.width(), l.Target.height());
                p.drawImage(l.Target.topLeft(), scaled, src);
            } else {
                p.drawImage(QRectF(l.Target), m_picture, l.Source);
            }
        } else {
            p.drawImage(QRectF(l.Target), m_picture, l.Source);
        }
        area = l.Target;
        AnnoDraw(this, p, m_origin.x(), m_origin.y(), l.CenterOffset.x(), l.CenterOffset.y(),
                 m_hbar->isVisible() ? bar : 0, m_zoom);
    }
    if (OnPaintArea && !area.isNull()) {
        OnPaintArea(this, area.left(), area.top(), area.right() + 1, area.bottom() + 1);
    }
    if (!m_text.isEmpty()) {
        drawMessageText(p);
    }
    if (m_banding) {
        QPen pen(Qt::white);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(pen);
        p.drawPolyline(QPolygon({m_bandAnchor, QPoint(m_bandAnchor.x(), m_bandCorner.y()), m_bandCorner,
                                 QPoint(m_bandCorner.x(), m_bandAnchor.y()), m_bandAnchor}));
    }
    if (OnPaint) {
        OnPaint(this);
    }
}

void TMultiImage::drawMessageText(QPainter &p) {
    p.save();
    p.setFont(font());
    p.translate(m_textLeft, m_textTop);
    p.rotate(-m_textRotate);
    const QFontMetrics fm(font());
    if (!m_textTransparent) {
        p.fillRect(QRect(QPoint(0, 0), fm.size(0, m_text)), m_color);
    }
    if (m_textShadow) {
        p.setPen(m_textShadowColor);
        p.drawText(2, 2 + fm.ascent(), m_text);
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(0, fm.ascent(), m_text);
    p.restore();
}

void TMultiImage::resizeEvent(QResizeEvent *) {
    m_transition->finish();
    if (m_stretchRatio && hasPicture()) {
        m_zoom = FitZoom(clientSize(), m_picture.size());
    }
    updateScrollBars();
}

// ---- mouse ----------------------------------------------------------------------------------------

bool TMultiImage::forwardToAnnotations(QMouseEvent *event) {
    if (!m_editAnnotat || LoadKindFor(m_imageName) == TLoadKind::PictureObject) {
        return false;
    }
    const int message = AnnoMouseMessage(event->type(), event->button());
    if (message == 0) {
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        emit annoMouseDown(this);
    }
    if (hasPicture()) {
        // The engine maps the mouse through the view: the one on screen now, even before a paint.
        const int bar = m_showScrollbars && !m_stretchRatio ? m_scrollbarWidth : 0;
        const TZoomLayout l = ZoomLayout(clientSize(), m_picture.size(), m_zoom, m_origin, bar, m_center);
        AnnoDraw(this, m_origin.x(), m_origin.y(), l.CenterOffset.x(), l.CenterOffset.y(),
                 m_hbar->isVisible() ? bar : 0, m_zoom);
    }
    AnnoMouseMon(this, message, event->position().toPoint() - QPoint(border(), border()));
    if (event->type() == QEvent::MouseButtonRelease) {
        emit annoMouseUp(this);
        if (event->button() == Qt::RightButton) {
            showAnnotationMenu(event->globalPosition().toPoint());
        }
    } else if (event->type() == QEvent::MouseMove) {
        emit annoMouseMove(this);
    }
    update();
    return true;
}

void TMultiImage::showAnnotationMenu(const QPoint &at) {
    if (const int command = ExecAnnotationMenu(this, this, at)) {
        AnnoMenuCommand(command);
    }
}

void TMultiImage::AnnoMenuCommand(int command) {
    AnnoMenuMsg(this, command);
    update();
}

void TMultiImage::SetEditAnnotat(bool on) {
    if (!on) {
        AnnoRubberBandOff(this);
    }
    m_editAnnotat = on;
    if (on) {
        m_grabbing = false;
        m_banding = false;
        setCursor(Qt::CrossCursor);
    } else {
        unsetCursor();
    }
    emit annoEditChanged(on);
    emit stateChanged(this);
    update();
}

void TMultiImage::mousePressEvent(QMouseEvent *event) {
    if (focusPolicy() != Qt::NoFocus) {
        setFocus();
    }
    if (forwardToAnnotations(event)) {
        return;
    }
    const QPoint at = event->position().toPoint() - QPoint(border(), border());
    if (m_allowRubberBand) {
        if (event->button() == m_rubberBandBtn) {
            m_banding = true;
            m_bandButton = event->button();
            m_bandAnchor = m_bandCorner = at;
        }
    } else if (event->button() == Qt::LeftButton) {
        m_lastMouse = at;
        if (hasPicture() && !m_stretch && !isMetafile() && overflows()) {
            m_grabbing = true;
            m_hadCursor = testAttribute(Qt::WA_SetCursor);
            m_savedCursor = cursor();
            setCursor(m_grabHandCursor);
        }
    }
    QWidget::mousePressEvent(event);
}

void TMultiImage::mouseMoveEvent(QMouseEvent *event) {
    if (forwardToAnnotations(event)) {
        return;
    }
    const QPoint at = event->position().toPoint() - QPoint(border(), border());
    if (m_banding) {
        m_bandCorner = RubberBandCorner(m_bandAnchor, at, clientSize()).Corner;
        update();
    } else if (m_grabbing && hasPicture()) {
        const int dx = GrabStep(m_lastMouse.x(), at.x(), m_zoom);
        const int dy = GrabStep(m_lastMouse.y(), at.y(), m_zoom);
        m_lastMouse = at;
        const int b = m_hbar->isVisible() ? m_scrollbarWidth : 0;
        m_origin.setX(PanOrigin(m_origin.x(), dx, clientSize().width(), b, m_picture.width(), m_zoom));
        m_origin.setY(PanOrigin(m_origin.y(), dy, clientSize().height(), b, m_picture.height(), m_zoom));
        updateScrollBars();
        repaint();
    }
    QWidget::mouseMoveEvent(event);
}

void TMultiImage::mouseReleaseEvent(QMouseEvent *event) {
    if (forwardToAnnotations(event)) {
        return;
    }
    if (m_banding && event->button() == m_bandButton) {
        m_banding = false;
        update();
        if (OnRubberband) {
            OnRubberband(this, event->button(), event->modifiers(), m_bandAnchor.x(), m_bandAnchor.y(),
                         m_bandCorner.x(), m_bandCorner.y());
        }
    }
    if (m_grabbing && event->button() == Qt::LeftButton) {
        m_grabbing = false;
        if (m_hadCursor) {
            setCursor(m_savedCursor);
        } else {
            unsetCursor();
        }
    }
    QWidget::mouseReleaseEvent(event);
}

// ---- keys and clipboard ---------------------------------------------------------------------------

void TMultiImage::keyPressEvent(QKeyEvent *event) {
    emit keyDown(event->key());
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    const int key = event->key();
    if ((mods == Qt::ControlModifier && (key == Qt::Key_C || key == Qt::Key_Insert))) {
        CopyToClipboard();
    } else if ((mods == Qt::ControlModifier && key == Qt::Key_X) ||
               (mods == Qt::ShiftModifier && key == Qt::Key_Delete)) {
        CutToClipboard();
    } else if ((mods == Qt::ControlModifier && key == Qt::Key_V) ||
               (mods == Qt::ShiftModifier && key == Qt::Key_Insert)) {
        PasteFromClipboard();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TMultiImage::CopyToClipboard() {
    if (!hasPicture()) {
        return;
    }
    // Through the DIB form, so that what leaves is what a paste here would accept.
    const DibBlock dib = GraphicToDib(&m_picture);
    QImage copy;
    if (DibToBitmap(&dib, 0, 0, nullptr, copy)) {
        QApplication::clipboard()->setImage(copy);
    }
}

void TMultiImage::CutToClipboard() {
    if (hasPicture()) {
        CopyToClipboard();
        Clear();
    }
}

void TMultiImage::PasteFromClipboard() {
    const orva::imageio::DibBlock dib = ClipboardDib();
    QImage pasted;
    if (!dib || !DibToBitmap(&dib, 0, 0, nullptr, pasted)) {
        return;
    }
    // A paste ends a moving text without giving the control its colour back.
    endTextMode(false);
    const int bits = ReadBitDepth(m_imageReadRes, DeviceColorDepth(depth()));
    if (bits != 0 && bits != pasted.depth()) {
        const DibBlock dib = GraphicToDib(&pasted);
        QImage converted;
        if (DibToBitmap(&dib, bits, m_imageDither ? 1 : 0, this, converted)) {
            pasted = converted;
        }
    }
    m_picture = pasted;
    if (m_stretchRatio) {
        m_zoom = FitZoom(clientSize(), m_picture.size());
    }
    pictureChanged();
}

// ---- moving message texts -------------------------------------------------------------------------

int TMultiImage::TextStepInterval() const {
    return m_stepTimer->interval();
}

void TMultiImage::SetTextStepInterval(int milliseconds) {
    m_stepTimer->setInterval(std::max(1, milliseconds));
}

QPoint TMultiImage::TextBitmapPos() const {
    if (m_textMode == TTextMode::Scrolling)
        return QPoint(m_scrollText.Left(), m_scrollText.Top());
    return QPoint(m_creditText.Left(), m_creditText.Top());
}

bool TMultiImage::startScrollingText(const QString &name, QString *error) {
    const int w0 = clientSize().width(), h0 = clientSize().height();
    if (QString why;
        !ReadScrollingMessageFile(name, m_textFont, m_textSpeed, m_scrollMessage, m_textBack, &why) &&
        !why.isEmpty())
        return failWith(error, why);
    const QFont font = m_textFont.ToQFont();
    const QFontMetrics fm(font);
    const QSize size(std::max(1, fm.horizontalAdvance(m_scrollMessage)), std::max(1, fm.height()));
    QImage bitmap(size, QImage::Format_RGB32);
    bitmap.fill(bgrToQColor(m_textBack));
    {
        QPainter p(&bitmap);
        p.setFont(font);
        p.setPen(m_textFont.TextColor());
        p.drawText(0, fm.ascent(), m_scrollMessage);
    }
    m_textBitmap = bitmap;
    m_scrollText.Start(w0, h0, size);
    m_stepGate.Reset();
    m_colorBeforeText = m_color;
    m_color = bgrToQColor(m_textBack);
    m_textMode = TTextMode::Scrolling;
    m_stepTimer->start();
    update();
    return true;
}

bool TMultiImage::startCreditText(const QString &name, QString *error) {
    if (QString why; !ReadCreditMessageFile(name, m_textFont, m_textSpeed, m_creditLines, m_textBack, &why) &&
                     !why.isEmpty())
        return failWith(error, why);
    const QFont font = m_textFont.ToQFont();
    m_creditText.Start(clientSize().width(), clientSize().height(), m_creditLines,
                       [font](const QString &line) {
                           const QFontMetrics fm(font);
                           return QSize(fm.horizontalAdvance(line), fm.height());
                       });
    m_textBitmap = QImage();
    renderCreditLine();
    m_stepGate.Reset();
    if (m_textMode != TTextMode::Credit)
        m_colorBeforeText = m_color;
    m_color = bgrToQColor(m_textBack);
    m_textMode = TTextMode::Credit;
    m_stepTimer->start();
    update();
    return true;
}

void TMultiImage::renderCreditLine() {
    const QSize size = m_creditText.BitmapSize();
    if (!size.isValid() || size.isEmpty())
        return;
    const QFont font = m_textFont.ToQFont();
    QImage bitmap(size, QImage::Format_RGB32);
    bitmap.fill(bgrToQColor(m_textBack));
    QPainter p(&bitmap);
    p.setFont(font);
    p.setPen(m_textFont.TextColor());
    p.drawText(0, QFontMetrics(font).ascent(), m_creditText.Shown());
    p.end();
    m_textBitmap = bitmap;
}

void TMultiImage::StepScrollingText() {
    if (m_textMode != TTextMode::Scrolling || !m_stepGate.Step(m_textSpeed))
        return;
    m_scrollText.Step();
    update();
}

void TMultiImage::StepCreditText() {
    if (m_textMode != TTextMode::Credit || !m_stepGate.Step(m_textSpeed))
        return;
    if (m_creditText.Step())
        renderCreditLine();
    update();
}

void TMultiImage::endTextMode(bool restoreColor) {
    if (m_textMode == TTextMode::None)
        return;
    if (restoreColor)
        m_color = m_colorBeforeText;
    m_textMode = TTextMode::None;
    m_stepTimer->stop();
    m_textBitmap = QImage();
    update();
}

} // namespace orva::imaging
