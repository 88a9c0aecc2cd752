// The image area of the main window: the strip, the picture, the image keys, print and the source.
#include "app/RequestImagePanel.h"

#include "common/FileWait.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/ResourceCursors.h"
#include "common/Trace.h"
#include "common/UserMessages.h"
#include "common/WaitCursor.h"
#include "imaging/imagelist/ImageList.h"
#include "imaging/imagelist/RequestImages.h"
#include "imaging/view/TMultiImage.h"
#include "platform/modal/ModalDialog.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using orva::imaging::TMultiImage;

RequestImagePanel::RequestImagePanel(QListWidget &nameList, UserMessages &messages, QWidget *parent)
    : QWidget(parent), m_nameList(nameList), m_messages(messages) {
    setObjectName(QStringLiteral("ViewPanel"));
    buildStrip();
    m_view = new TMultiImage(this);
    m_view->setObjectName(QStringLiteral("ViewMultiImage"));
    m_view->SetJPegSaveSmooth(5);
    m_view->setFocusPolicy(Qt::StrongFocus);
    m_view->setCursor(ResourceCursors::Load("MAGGLASS"));
    static_cast<QVBoxLayout *>(layout())->addWidget(m_view, 1);
    m_view->installEventFilter(this);
    m_zoomToolBar->installEventFilter(this);
    m_nameList.installEventFilter(this);
    connect(&m_nameList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { ShowEntry(m_nameList.row(item)); });
    UpdateImageControls(0);
}

void RequestImagePanel::buildStrip() {
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("ImageStrip"));
    auto *h = new QHBoxLayout(strip);
    h->setContentsMargins(2, 2, 2, 2);
    m_zoomToolBar = new QToolBar(strip);
    m_zoomToolBar->setObjectName(QStringLiteral("ZoomToolBar"));
    const auto addTool = [this](const QString &name, const QString &hint, const QString &glyph, auto slot) {
        auto *b = new QToolButton(m_zoomToolBar);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setText(glyph);
        b->setFocusPolicy(Qt::NoFocus);
        m_zoomToolBar->addWidget(b);
        connect(b, &QToolButton::clicked, this, slot);
        return b;
    };
    addTool(QStringLiteral("FitToolButton"), QStringLiteral("Fit to window"), QStringLiteral("Fit"),
            &RequestImagePanel::ViewFit);
    addTool(QStringLiteral("ActualToolButton"), QStringLiteral("Actual size"), QStringLiteral("1:1"),
            &RequestImagePanel::ViewActualSize);
    addTool(QStringLiteral("ZoomInToolButton"), QStringLiteral("Zoom in"), QStringLiteral("+"),
            &RequestImagePanel::ViewZoomIn);
    addTool(QStringLiteral("ZoomOutToolButton"), QStringLiteral("Zoom out"), QStringLiteral("-"),
            &RequestImagePanel::ViewZoomOut);
    addTool(QStringLiteral("RotateLeftToolButton"), QStringLiteral("Rotate anticlockwise"),
            QStringLiteral("\u21ba"), [this] { ViewRotate(false); });
    addTool(QStringLiteral("RotateRightToolButton"), QStringLiteral("Rotate clockwise"),
            QStringLiteral("\u21bb"), [this] { ViewRotate(true); });
    m_printToolButton = addTool(QStringLiteral("PrintToolButton"), QStringLiteral("Print image (Alt+P)"),
                                QStringLiteral("Print"), &RequestImagePanel::PrintToolButtonClick);
    m_prevImage = new QPushButton(QStringLiteral("<"), strip);
    m_prevImage->setObjectName(QStringLiteral("PrevImageButton"));
    m_nextImage = new QPushButton(QStringLiteral(">"), strip);
    m_nextImage->setObjectName(QStringLiteral("NextImageButton"));
    m_prevImage->setFocusPolicy(Qt::NoFocus);
    m_nextImage->setFocusPolicy(Qt::NoFocus);
    connect(m_prevImage, &QPushButton::clicked, this, &RequestImagePanel::ViewPrevious);
    connect(m_nextImage, &QPushButton::clicked, this, &RequestImagePanel::ViewNext);
    m_viewCounter = new QLabel(strip);
    m_viewCounter->setObjectName(QStringLiteral("ViewCounter"));
    h->addWidget(m_zoomToolBar);
    h->addStretch(1);
    h->addWidget(m_prevImage);
    h->addWidget(m_viewCounter);
    h->addWidget(m_nextImage);
    h->addStretch(1);
    v->addWidget(strip);
}

void RequestImagePanel::setSettings(const TOrvaSettings &settings) {
    m_settings = settings;
    DefaultSourceClick();
}

// ---- the request's files ---------------------------------------------------------------------------

ImageList::TImageListSettings RequestImagePanel::ListSettings() const {
    ImageList::TImageListSettings list;
    list.ImageSources = m_settings.ImageSources;
    list.SubDirectoryMask = m_maskInUse;
    list.NoImageName = m_settings.NoImageName;
    return list;
}

bool RequestImagePanel::LoadRequest(const QByteArray &number) {
    QString used;
    const QStringList entries = RequestImages::RequestEntries(number, ListSettings(), used);
    m_currentSource = used;
    m_nameList.clear();
    for (const QString &entry : entries) {
        auto *item = new QListWidgetItem(entry.section(QLatin1Char('\n'), 0, 0), &m_nameList);
        item->setData(Qt::UserRole, entry);
    }
    m_imageIndex = 0;
    return ShowImage(m_imageIndex);
}

bool RequestImagePanel::ShowImage(int index) {
    if (index < 0 || index >= m_nameList.count()) {
        return false;
    }
    const WaitCursor wait;
    try {
        RequestImages::TShowSettings show;
        show.CurrentSource = m_currentSource;
        show.FirstSource = m_settings.ImageSources.value(0);
        show.Mask = m_maskInUse;
        show.NoImageName = m_settings.NoImageName;
        show.SecureImageName = m_settings.SecureImageName;
        const RequestImages::TShownImage shown = RequestImages::ChooseImage(
            m_nameList.item(index)->data(Qt::UserRole).toString(), show, RequestImages::ProbeFile);
        m_imageDateText = shown.DateText;
        m_view->SetImageName(shown.Path);
        m_imageIndex = index;
        m_nameList.setCurrentRow(index);
    } catch (const std::exception &e) {
        ORVA_TRACE(QStringLiteral("image not shown"), QString::fromLocal8Bit(e.what()));
        return false;
    }
    return true;
}

void RequestImagePanel::ShowEntry(int index) {
    if (ShowImage(index)) {
        ViewFit();
    }
}

void RequestImagePanel::ClearImageList() {
    m_nameList.clear();
}

void RequestImagePanel::FocusImage() {
    m_view->setFocus();
}

// ---- viewer operations -----------------------------------------------------------------------------

void RequestImagePanel::UpdateImageControls(int flags) {
    m_zoomToolBar->setVisible(flags & ShowZoomToolBar);
    m_printToolButton->setEnabled((flags & EnableImagePrint) && m_settings.PrinterAvailable);
    const int count = m_nameList.count();
    m_viewCounter->setText(RequestImages::ViewCounterText(m_imageIndex, count, m_imageDateText));
    m_prevImage->setVisible(count >= 2);
    m_nextImage->setVisible(count >= 2);
}

void RequestImagePanel::ViewFit() {
    m_view->setCursor(ResourceCursors::Load("MAGGLASS"));
    m_view->SetStretch(false);
    m_view->SetStretchRatio(true);
    UpdateImageControls(ShowZoomToolBar | EnableImagePrint);
}

void RequestImagePanel::ViewActualSize() {
    if (m_view->Picture().isNull()) {
        return;
    }
    m_view->SetStretchRatio(false);
    m_view->SetScrolling(true);
    UpdateImageControls(ShowZoomToolBar | EnableImagePrint);
}

void RequestImagePanel::ViewToggleFit() {
    if (m_view->StretchRatio()) {
        ViewActualSize();
    } else {
        ViewFit();
    }
}

void RequestImagePanel::ViewZoomIn() {
    if (!m_view->StretchRatio()) {
        m_view->ZoomInBy(1.1);
    }
}

void RequestImagePanel::ViewZoomOut() {
    if (!m_view->StretchRatio()) {
        m_view->ZoomOutBy(0.9);
    }
}

void RequestImagePanel::ViewRotate(bool clockwise) {
    const WaitCursor wait;
    for (int i = 0; i < (clockwise ? 3 : 1); ++i) {
        m_view->Rotate90();
    }
    ViewActualSize();
}

void RequestImagePanel::ViewNext() {
    if (m_imageIndex + 1 < m_nameList.count() && ShowImage(m_imageIndex + 1)) {
        ViewFit();
    }
}

void RequestImagePanel::ViewPrevious() {
    if (m_imageIndex > 0 && ShowImage(m_imageIndex - 1)) {
        ViewFit();
    }
}

// ---- events and keys -------------------------------------------------------------------------------

bool RequestImagePanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &m_nameList) {
        const auto *key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr;
        if (key && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            m_nameList.currentItem()) {
            ShowEntry(m_nameList.currentRow());
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched == m_zoomToolBar && event->type() == QEvent::MouseButtonDblClick) {
        UpdateImageControls(ShowZoomToolBar | EnableImagePrint);
    } else if (event->type() == QEvent::KeyPress) {
        return ImageKey(static_cast<QKeyEvent *>(event), false);
    } else if (watched == m_view && event->type() == QEvent::MouseButtonPress) {
        m_pressAt = static_cast<QMouseEvent *>(event)->position().toPoint();
    } else if (watched == m_view && event->type() == QEvent::MouseButtonRelease) {
        imageClicked(static_cast<QMouseEvent *>(event)->position().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

void RequestImagePanel::keyPressEvent(QKeyEvent *event) {
    if (!ImageKey(event, false)) {
        QWidget::keyPressEvent(event);
    }
}

// A click (not the end of a pan) toggles fit and actual size around the clicked point.
void RequestImagePanel::imageClicked(const QPoint &at) {
    if ((at - m_pressAt).manhattanLength() >= QApplication::startDragDistance() ||
        m_view->Picture().isNull()) {
        return;
    }
    const bool wasFitted = m_view->StretchRatio();
    const double zoom = m_view->Zoom();
    ViewToggleFit();
    if (wasFitted && zoom > 0) {
        const double now = m_view->Zoom();
        m_view->HorzScrollBar()->setValue(static_cast<int>(at.x() / zoom * now) - m_view->width() / 2);
        m_view->VertScrollBar()->setValue(static_cast<int>(at.y() / zoom * now) - m_view->height() / 2);
    }
}

bool RequestImagePanel::ImageKey(QKeyEvent *event, bool inRequestBox) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shiftOnly = mods == Qt::ShiftModifier;
    QScrollBar *hb = m_view->HorzScrollBar();
    QScrollBar *vb = m_view->VertScrollBar();
    switch (event->key()) {
    case Qt::Key_Escape:
        emit exitRequested();
        return true;
    case Qt::Key_PageUp:
        vb->setValue(shiftOnly ? vb->minimum() : vb->value() - vb->singleStep());
        return true;
    case Qt::Key_PageDown:
        vb->setValue(shiftOnly ? vb->maximum() : vb->value() + vb->singleStep());
        return true;
    case Qt::Key_Home:
        if (inRequestBox) {
            return false;
        }
        hb->setValue(shiftOnly ? hb->minimum() : hb->value() - hb->singleStep());
        return true;
    case Qt::Key_End:
        if (inRequestBox) {
            return false;
        }
        hb->setValue(shiftOnly ? hb->maximum() : hb->value() + hb->singleStep());
        return true;
    case Qt::Key_P:
        if (mods == Qt::AltModifier) {
            PrintToolButtonClick();
            return true;
        }
        return false;
    default:
        break;
    }
    // Character keys belong to the request box while it has the focus.
    if (inRequestBox) {
        return false;
    }
    switch (event->key()) {
    case Qt::Key_Z:
        ViewToggleFit();
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ViewZoomIn();
        return true;
    case Qt::Key_Minus:
        ViewZoomOut();
        return true;
    // "," and "." step through the files; with Shift alone (which may arrive as "<" and ">") on an
    // image that is not fitted they turn it instead.
    case Qt::Key_Comma:
    case Qt::Key_Less:
        if (shiftOnly && !m_view->StretchRatio()) {
            ViewRotate(false);
        } else {
            ViewPrevious();
        }
        return true;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        if (shiftOnly && !m_view->StretchRatio()) {
            ViewRotate(true);
        } else {
            ViewNext();
        }
        return true;
    default:
        return false;
    }
}

// ---- print -----------------------------------------------------------------------------------------

void RequestImagePanel::PrintToolButtonClick() {
    if (!m_settings.PrinterAvailable || m_view->Picture().isNull()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Orva:") + m_view->GetImageName());
    QPrintDialog dialog(&printer, this);
    if (RunModalDialog(dialog) != QDialog::Accepted) {
        return;
    }
    PrintImage(printer);
}

bool RequestImagePanel::PrintImage(QPrinter &printer) {
    const QImage &picture = m_view->Picture();
    if (picture.isNull()) {
        return false;
    }
    printer.setDocName(QStringLiteral("Orva:") + m_view->GetImageName());
    const WaitCursor printing(ResourceCursors::Load("PRINTER"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    // The printable area of the page, the picture scaled to fit it with its proportions, at the top left.
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    const QSize size = picture.size().scaled(area.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(0, 0), size), picture);
    return painter.end();
}

// ---- image source ----------------------------------------------------------------------------------

void RequestImagePanel::NewSourceClick() {
    QString answer = m_currentSource;
    if (!m_messages.inputBox(QStringLiteral("Change Source Directory"),
                             QStringLiteral("Current Source is \"") + m_currentSource + QStringLiteral("\"."),
                             answer)) {
        return;
    }
    if (!answer.endsWith(QLatin1Char('\\')) && !answer.endsWith(QLatin1Char('/'))) {
        answer += QLatin1Char('\\');
    }
    m_currentSource = answer;
    if (FileWait::IsFolder(LocalPath::toLocalPath(answer))) {
        QString mask = HostText::toUnicode(m_maskInUse);
        if (m_messages.inputBox(QStringLiteral("Change Subdirectory Pattern"),
                                QStringLiteral("Enter new pattern"), mask)) {
            m_maskInUse = HostText::fromUnicode(mask);
        }
    } else {
        m_messages.error(QStringLiteral("Invalid Path"),
                         QStringLiteral("That path does not exist \rOR maxiumum users is exceeded. \r\r"
                                        "No changes recorded."));
        m_currentSource = m_settings.ImageSources.value(0);
    }
}

void RequestImagePanel::DefaultSourceClick() {
    m_currentSource = m_settings.ImageSources.value(0);
    m_maskInUse = HostText::fromUnicode(m_settings.SubDirectoryMask);
}

QSize RequestImagePanel::ShowPictureFile(const QString &file) {
    m_view->SetImageName(file);
    return m_view->Picture().isNull() ? QSize() : m_view->Picture().size();
}
