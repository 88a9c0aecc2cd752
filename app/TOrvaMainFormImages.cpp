// The main window's request images: the request box and its keys, the screen watcher, the image
// area with its strip (zoom bar, "<" ">", counter), its keys, image print and the source menu items.
#include "app/MainFormSinks.h"
#include "app/TOrvaMainForm.h"
#include "app/pipeline/ReceivePipeline.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/imagelist/ImageList.h"
#include "imaging/imagelist/RequestImages.h"
#include "imaging/view/TMultiImage.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using orva::imaging::TMultiImage;

namespace {
// Hands the events of the image area's widgets and of the request box to the form.
class ImageEventFilter : public QObject {
public:
    ImageEventFilter(QObject *parent, std::function<bool(QObject *, QEvent *)> handler)
        : QObject(parent), m_handler(std::move(handler)) {}
    bool eventFilter(QObject *watched, QEvent *event) override { return m_handler(watched, event); }

private:
    std::function<bool(QObject *, QEvent *)> m_handler;
};

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

const QString kErrorCaption = QStringLiteral("Error condition detected");
} // namespace

void TOrvaMainForm::buildImageArea() {
    auto *v = new QVBoxLayout(m_viewPanel);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto *strip = new QWidget(m_viewPanel);
    strip->setObjectName(QStringLiteral("ImageStrip"));
    auto *h = new QHBoxLayout(strip);
    h->setContentsMargins(2, 2, 2, 2);
    m_zoomToolBar = new QToolBar(strip);
    m_zoomToolBar->setObjectName(QStringLiteral("ZoomToolBar"));
    const auto addTool = [this](const QString &name, const QString &hint, const QString &glyph,
                                void (TOrvaMainForm::*slot)()) {
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
            &TOrvaMainForm::ViewFit);
    addTool(QStringLiteral("ActualToolButton"), QStringLiteral("Actual size"), QStringLiteral("1:1"),
            &TOrvaMainForm::ViewActualSize);
    addTool(QStringLiteral("ZoomInToolButton"), QStringLiteral("Zoom in"), QStringLiteral("+"),
            &TOrvaMainForm::ViewZoomIn);
    addTool(QStringLiteral("ZoomOutToolButton"), QStringLiteral("Zoom out"), QStringLiteral("-"),
            &TOrvaMainForm::ViewZoomOut);
    connect(addTool(QStringLiteral("RotateLeftToolButton"), QStringLiteral("Rotate anticlockwise"),
                    QStringLiteral("\u21ba"), &TOrvaMainForm::ViewFit),
            &QToolButton::clicked, this, [this] { ViewRotate(false); });
    connect(addTool(QStringLiteral("RotateRightToolButton"), QStringLiteral("Rotate clockwise"),
                    QStringLiteral("\u21bb"), &TOrvaMainForm::ViewFit),
            &QToolButton::clicked, this, [this] { ViewRotate(true); });
    m_printToolButton = addTool(QStringLiteral("PrintToolButton"), QStringLiteral("Print image (Alt+P)"),
                                QStringLiteral("Print"), &TOrvaMainForm::PrintToolButtonClick);
    m_prevImage = new QPushButton(QStringLiteral("<"), strip);
    m_prevImage->setObjectName(QStringLiteral("PrevImageButton"));
    m_nextImage = new QPushButton(QStringLiteral(">"), strip);
    m_nextImage->setObjectName(QStringLiteral("NextImageButton"));
    m_prevImage->setFocusPolicy(Qt::NoFocus);
    m_nextImage->setFocusPolicy(Qt::NoFocus);
    connect(m_prevImage, &QPushButton::clicked, this, &TOrvaMainForm::ViewPrevious);
    connect(m_nextImage, &QPushButton::clicked, this, &TOrvaMainForm::ViewNext);
    m_viewCounter = new QLabel(strip);
    m_viewCounter->setObjectName(QStringLiteral("ViewCounter"));
    h->addWidget(m_zoomToolBar);
    h->addStretch(1);
    h->addWidget(m_prevImage);
    h->addWidget(m_viewCounter);
    h->addWidget(m_nextImage);
    h->addStretch(1);
    v->addWidget(strip);

    m_viewMultiImage = new TMultiImage(m_viewPanel);
    m_viewMultiImage->setObjectName(QStringLiteral("ViewMultiImage"));
    m_viewMultiImage->SetJPegSaveSmooth(5);
    m_viewMultiImage->setFocusPolicy(Qt::StrongFocus);
    v->addWidget(m_viewMultiImage, 1);

    m_imageKeyFilter = new ImageEventFilter(
        this, [this](QObject *watched, QEvent *event) { return imageAreaEvent(watched, event); });
    for (QObject *o : {static_cast<QObject *>(m_viewMultiImage), static_cast<QObject *>(m_viewPanel),
                       static_cast<QObject *>(m_reqNum), static_cast<QObject *>(m_imageNameListBox),
                       static_cast<QObject *>(m_zoomToolBar)}) {
        o->installEventFilter(m_imageKeyFilter);
    }
    connect(m_reqNum, &QLineEdit::returnPressed, this, &TOrvaMainForm::ReqNumKeyPress);
    connect(m_imageNameListBox, &QComboBox::activated, this, [this](int index) {
        if (ShowImage(index)) {
            ViewFit();
        }
    });
    connect(m_rowseekTimer, &QTimer::timeout, this, &TOrvaMainForm::RowseekTimerTimer);
    m_rowseekTimer->start();

    m_vtPopup = new QMenu(this);
    m_vtPopup->setObjectName(QStringLiteral("VTPopup"));
    m_vtPopup->addAction(QStringLiteral("&View Image"), this, &TOrvaMainForm::ViewImageClick);
    m_terminal->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_terminal, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_vtPopup->popup(m_terminal->mapToGlobal(pos)); });
    UpdateImageControls(0);
}

// ---- the request box and the screen watcher --------------------------------------------------------

void TOrvaMainForm::RowseekTimerTimer() {
    // One tick at a time: a box shown by a failure must not stack another one each second.
    if (m_rowseekBusy || m_settings.CaptureSets.isEmpty()) {
        return;
    }
    m_rowseekBusy = true;
    QString step = QStringLiteral("Rowseek timer - looping through capturesets.");
    try {
        const RequestImages::TScreenRows screen{m_terminal->Rows(),
                                                [this](int row) { return m_terminal->GetRowText(row); }};
        const std::optional<QByteArray> number =
            RequestImages::CaptureRequestNumber(m_settings.CaptureSets, screen);
        if (number) {
            step = QStringLiteral("Rowseek timer - found set");
            const QString text = HostText::toUnicode(*number);
            if (m_reqNum->text() != text) {
                m_reqNum->setText(text);
            }
        }
    } catch (const std::exception &e) {
        m_rowseekTimer->stop();
        m_messages->error(kErrorCaption,
                          QLatin1Char('"') + QString::fromLocal8Bit(e.what()) + QStringLiteral("\" ") + step);
        m_rowseekTimer->start();
    }
    m_rowseekBusy = false;
}

void TOrvaMainForm::ReqNumKeyPress() {
    if (m_settings.ImageSources.size() == 1 && m_settings.ImageSources.value(0).isEmpty()) {
        return;
    }
    ShowRequestImages();
    m_reqNum->clear();
    m_reqNum->setFocus();
    m_lastRequestFromReqNum = true;
}

void TOrvaMainForm::FormButtonClick() {
    try {
        LayoutMenuBar();
        ShowRequestImages();
    } catch (const std::exception &e) {
        m_messages->error(kErrorCaption,
                          QStringLiteral("Unexpected Image error in ") + QString::fromLocal8Bit(e.what()));
    }
}

void TOrvaMainForm::ShowRequestImages() {
    QString number = m_reqNum->text();
    number.remove(QLatin1Char(' '));
    if (number.isEmpty()) {
        ShowTerminal();
        return;
    }
    if (m_detachedImages) {
        ShowInDetachedWindow(HostText::fromUnicode(m_reqNum->text().trimmed()));
        return;
    }
    m_imageIndex = 0;
    if (LoadRequestImages()) {
        m_viewMultiImage->setFocus();
    } else {
        returnFromImages();
    }
    m_lastRequestFromReqNum = false;
}

void TOrvaMainForm::ShowInDetachedWindow(const QByteArray &listText) {
    if (!m_detachedForm) {
        m_detachedForm = new orva::imaging::TDetachedImageForm(*this, this);
    }
    m_detachedForm->ClearImage();
    m_detachedForm->LoadRequestImages(listText);
    m_detachedForm->RestorePosition();
    if (!m_detachedForm->isVisible()) {
        m_detachedForm->show();
    }
}

orva::imaging::TDetachedImageForm *TOrvaMainForm::DetachedImageForm() const {
    return m_detachedForm;
}

ImageList::TImageListSettings TOrvaMainForm::ImageListSettings() const {
    ImageList::TImageListSettings list;
    list.ImageSources = m_settings.ImageSources;
    list.SubDirectoryMask = m_maskInUse;
    list.NoImageName = m_settings.NoImageName;
    return list;
}

void TOrvaMainForm::returnFromImages() {
    if (m_telnet->IsConnected()) {
        SizeToTerminal();
    } else {
        CollapseToMenuBar();
    }
}

bool TOrvaMainForm::LoadRequestImages() {
    const QByteArray number = HostText::fromUnicode(m_reqNum->text().trimmed());
    if (number.isEmpty()) {
        return false;
    }
    const QString problem = ImageList::RequestNumberProblem(number);
    if (!problem.isEmpty()) {
        // Typed, captured or host-sent text never reaches a path or a pattern unchecked.
        ORVA_TRACE(QStringLiteral("request number refused"), problem);
        return false;
    }
    if (!CheckImageServer()) {
        returnFromImages();
        m_exitButton->setFocus();
        return false;
    }
    QString used;
    const QStringList entries = RequestImages::RequestEntries(number, ImageListSettings(), used);
    m_currentSource = used;
    m_imageNameListBox->clear();
    for (const QString &entry : entries) {
        m_imageNameListBox->addItem(entry.section(QLatin1Char('\n'), 0, 0), entry);
    }
    if (!ShowImage(m_imageIndex)) {
        return false;
    }
    ExpandToWorkArea();
    ViewFit();
    return true;
}

bool TOrvaMainForm::ShowImage(int index) {
    if (index < 0 || index >= m_imageNameListBox->count()) {
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
            m_imageNameListBox->itemData(index).toString(), show, RequestImages::ProbeFile);
        m_imageDateText = shown.DateText;
        m_viewMultiImage->SetImageName(shown.Path);
        m_imageIndex = index;
        m_imageNameListBox->setCurrentIndex(index);
    } catch (const std::exception &e) {
        ORVA_TRACE(QStringLiteral("image not shown"), QString::fromLocal8Bit(e.what()));
        return false;
    }
    return true;
}

// ---- viewer operations -----------------------------------------------------------------------------

void TOrvaMainForm::UpdateImageControls(int flags) {
    m_zoomToolBar->setVisible(flags & ShowZoomToolBar);
    m_printToolButton->setEnabled((flags & EnableImagePrint) && m_settings.PrinterAvailable);
    const int count = m_imageNameListBox->count();
    m_viewCounter->setText(RequestImages::ViewCounterText(m_imageIndex, count, m_imageDateText));
    m_prevImage->setVisible(count >= 2);
    m_nextImage->setVisible(count >= 2);
}

void TOrvaMainForm::ViewFit() {
    m_viewMultiImage->SetStretch(false);
    m_viewMultiImage->SetStretchRatio(true);
    UpdateImageControls(ShowZoomToolBar | EnableImagePrint);
}

void TOrvaMainForm::ViewActualSize() {
    if (m_viewMultiImage->Picture().isNull()) {
        return;
    }
    m_viewMultiImage->SetStretchRatio(false);
    m_viewMultiImage->SetScrolling(true);
    UpdateImageControls(ShowZoomToolBar | EnableImagePrint);
}

void TOrvaMainForm::ViewToggleFit() {
    if (m_viewMultiImage->StretchRatio()) {
        ViewActualSize();
    } else {
        ViewFit();
    }
}

void TOrvaMainForm::ViewZoomIn() {
    if (!m_viewMultiImage->StretchRatio()) {
        m_viewMultiImage->ZoomInBy(1.1);
    }
}

void TOrvaMainForm::ViewZoomOut() {
    if (!m_viewMultiImage->StretchRatio()) {
        m_viewMultiImage->ZoomOutBy(0.9);
    }
}

void TOrvaMainForm::ViewRotate(bool clockwise) {
    const WaitCursor wait;
    for (int i = 0; i < (clockwise ? 3 : 1); ++i) {
        m_viewMultiImage->Rotate90();
    }
    ViewActualSize();
}

void TOrvaMainForm::ViewNext() {
    if (m_imageIndex + 1 < m_imageNameListBox->count() && ShowImage(m_imageIndex + 1)) {
        ViewFit();
    }
}

void TOrvaMainForm::ViewPrevious() {
    if (m_imageIndex > 0 && ShowImage(m_imageIndex - 1)) {
        ViewFit();
    }
}

bool TOrvaMainForm::imageAreaEvent(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusIn && watched == m_reqNum) {
        m_rowseekTimer->stop();
    } else if (event->type() == QEvent::FocusOut && watched == m_reqNum) {
        m_rowseekTimer->start();
    } else if (watched == m_zoomToolBar && event->type() == QEvent::MouseButtonDblClick) {
        UpdateImageControls(ShowZoomToolBar | EnableImagePrint);
    } else if (event->type() == QEvent::KeyPress) {
        return imageAreaKey(static_cast<QKeyEvent *>(event));
    } else if (watched == m_viewMultiImage && event->type() == QEvent::MouseButtonPress) {
        m_imagePressAt = static_cast<QMouseEvent *>(event)->position().toPoint();
    } else if (watched == m_viewMultiImage && event->type() == QEvent::MouseButtonRelease) {
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        // A click (not the end of a pan) toggles fit and actual size around the clicked point.
        if ((at - m_imagePressAt).manhattanLength() < QApplication::startDragDistance() &&
            !m_viewMultiImage->Picture().isNull()) {
            const bool wasFitted = m_viewMultiImage->StretchRatio();
            const double zoom = m_viewMultiImage->Zoom();
            ViewToggleFit();
            if (wasFitted && zoom > 0) {
                const double now = m_viewMultiImage->Zoom();
                QScrollBar *hb = m_viewMultiImage->HorzScrollBar();
                QScrollBar *vb = m_viewMultiImage->VertScrollBar();
                hb->setValue(static_cast<int>(at.x() / zoom * now) - m_viewMultiImage->width() / 2);
                vb->setValue(static_cast<int>(at.y() / zoom * now) - m_viewMultiImage->height() / 2);
            }
        }
    }
    return false;
}

bool TOrvaMainForm::imageAreaKey(QKeyEvent *event) {
    if (!m_viewPanel->isVisible()) {
        if (event->key() == Qt::Key_Escape && !m_terminal->hasFocus()) {
            ShowTerminal();
            return true;
        }
        return false;
    }
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shiftOnly = mods == Qt::ShiftModifier;
    const bool inBox = m_reqNum->hasFocus();
    QScrollBar *hb = m_viewMultiImage->HorzScrollBar();
    QScrollBar *vb = m_viewMultiImage->VertScrollBar();
    switch (event->key()) {
    case Qt::Key_Escape:
        ExitButtonClick();
        return true;
    case Qt::Key_PageUp:
        vb->setValue(shiftOnly ? vb->minimum() : vb->value() - vb->singleStep());
        return true;
    case Qt::Key_PageDown:
        vb->setValue(shiftOnly ? vb->maximum() : vb->value() + vb->singleStep());
        return true;
    case Qt::Key_Home:
        if (inBox) {
            return false;
        }
        hb->setValue(shiftOnly ? hb->minimum() : hb->value() - hb->singleStep());
        return true;
    case Qt::Key_End:
        if (inBox) {
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
    if (inBox) {
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
    case Qt::Key_Comma:
        ViewPrevious();
        return true;
    case Qt::Key_Period:
        ViewNext();
        return true;
    case Qt::Key_Less:
        if (!m_viewMultiImage->StretchRatio()) {
            ViewRotate(false);
        }
        return true;
    case Qt::Key_Greater:
        if (!m_viewMultiImage->StretchRatio()) {
            ViewRotate(true);
        }
        return true;
    default:
        return false;
    }
}

// ---- print -----------------------------------------------------------------------------------------

void TOrvaMainForm::PrintToolButtonClick() {
    if (!m_settings.PrinterAvailable || m_viewMultiImage->Picture().isNull()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Orva:") + m_viewMultiImage->GetImageName());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    PrintImage(printer);
}

bool TOrvaMainForm::PrintImage(QPrinter &printer) {
    const QImage &picture = m_viewMultiImage->Picture();
    if (picture.isNull()) {
        return false;
    }
    printer.setDocName(QStringLiteral("Orva:") + m_viewMultiImage->GetImageName());
    const WaitCursor wait;
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

// ---- menu items ------------------------------------------------------------------------------------

void TOrvaMainForm::ViewImageClick() {
    QByteArray selected = m_terminal->GetSelectedText();
    selected.replace("\r", "").replace("\n", "");
    if (selected.isEmpty() || selected.contains(' ')) {
        return;
    }
    m_reqNum->setText(HostText::toUnicode(selected));
    if (m_pipeline) {
        m_pipeline->setSelectionHold(false);
    }
    m_terminal->ClearSelection();
    m_imageIndex = 0;
    if (!LoadRequestImages()) {
        returnFromImages();
    }
}

void TOrvaMainForm::NewSourceClick() {
    QString answer = m_currentSource;
    if (!m_messages->inputBox(
            QStringLiteral("Change Source Directory"),
            QStringLiteral("Current Source is \"") + m_currentSource + QStringLiteral("\"."), answer)) {
        return;
    }
    if (!answer.endsWith(QLatin1Char('\\')) && !answer.endsWith(QLatin1Char('/'))) {
        answer += QLatin1Char('\\');
    }
    m_currentSource = answer;
    if (QFileInfo(LocalPath::toLocalPath(answer)).isDir()) {
        QString mask = HostText::toUnicode(m_maskInUse);
        if (m_messages->inputBox(QStringLiteral("Change Subdirectory Pattern"),
                                 QStringLiteral("Enter new pattern"), mask)) {
            m_maskInUse = HostText::fromUnicode(mask);
        }
    } else {
        m_messages->error(QStringLiteral("Invalid Path"),
                          QStringLiteral("That path does not exist \rOR maxiumum users is exceeded. \r\r"
                                         "No changes recorded."));
        m_currentSource = m_settings.ImageSources.value(0);
    }
}

void TOrvaMainForm::DefaultSourceClick() {
    m_currentSource = m_settings.ImageSources.value(0);
    m_maskInUse = HostText::fromUnicode(m_settings.SubDirectoryMask);
}

void TOrvaMainForm::ResetImagePosition1Click() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!m_detachedForm || !screen) {
        return;
    }
    const QRect place = DetachedImage::ResetPlace(m_detachedForm->geometry(), screen->availableGeometry());
    m_detachedForm->move(place.topLeft());
    m_detachedForm->resize(place.size());
}
