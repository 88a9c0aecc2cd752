// The imaging toolbar.
#include "imaging/doctoolbar/TVisDocImageToolbar.h"
#include "common/WaitCursor.h"
#include "imaging/core/ClipboardPicture.h"

#include "common/Trace.h"
#include "common/UserMessages.h"
#include "imaging/core/ErrorInvalid.h"
#include "imaging/docforms/ScanDialogs.h"
#include "imaging/doctoolbar/TPrintOptionsDialog.h"
#include "imaging/doctoolbar/TScanPagesDialog.h"
#include "imaging/docview/DocGlyphs.h"
#include "imaging/docview/DocRender.h"
#include "imaging/docview/DocViewGeometry.h"
#include "platform/modal/ModalDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace orva::imaging {

namespace {

// The viewer answers a failure with the user's message; the press then fails with it.
void raiseIfFailed(const QString &error) {
    if (!error.isEmpty()) {
        throw ErrorInvalid(error);
    }
}

} // namespace

// ---- the button -----------------------------------------------------------------------------------

TVisTBButton::TVisTBButton(TVisTbBtn index, TVisDocImageToolbar *toolbar)
    : QToolButton(toolbar), m_index(index), m_toolbar(toolbar) {
    setObjectName(ButtonName(index));
    setIcon(DocGlyphIcon(ButtonName(index)));
    setIconSize(QSize(16, 16));
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(ButtonHint(index));
    resize(kButtonWidth, kButtonHeight);
    setEnabled(false);
    if (index == ibdocPrior || index == ibdocNext) {
        // Held down, the page buttons turn page after page: the first repeat after 400 ms, then
        // one every 100 ms.
        setAutoRepeat(true);
        setAutoRepeatDelay(400);
        setAutoRepeatInterval(100);
    }
    connect(this, &QToolButton::clicked, this, [this] { m_toolbar->buttonClicked(m_index); });
}

void TVisTBButton::mousePressEvent(QMouseEvent *event) {
    m_toolbar->m_focused = m_index;
    if (m_toolbar->focusPolicy() != Qt::NoFocus) {
        m_toolbar->setFocus(Qt::MouseFocusReason);
    }
    m_toolbar->update();
    QToolButton::mousePressEvent(event);
}

void TVisTBButton::paintEvent(QPaintEvent *event) {
    QToolButton::paintEvent(event);
    if (!m_toolbar->hasFocus() || m_toolbar->m_focused != m_index) {
        return;
    }
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    const QRect r = rect().adjusted(3, 3, -4, -4).translated(isDown() ? QPoint(1, 1) : QPoint());
    p.drawRect(r);
}

// ---- the toolbar ----------------------------------------------------------------------------------

TVisDocImageToolbar::TVisDocImageToolbar(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("VisDocImageToolbar"));
    setFocusPolicy(Qt::StrongFocus);
    m_scaleCombo = new QComboBox(this);
    m_scaleCombo->setObjectName(QStringLiteral("ScaleCombo"));
    m_scaleCombo->setEditable(false);
    m_scaleCombo->setToolTip(QStringLiteral("Image Enhancement Method"));
    m_scaleCombo->setFocusPolicy(Qt::NoFocus);
    m_scaleCombo->addItems({QStringLiteral("Gray_None"), QStringLiteral("Gray_8"), QStringLiteral("Gray_12"),
                            QStringLiteral("Gray_20"), QStringLiteral("Gray_24"), QStringLiteral("Gray_25"),
                            QStringLiteral("Anti_16"), QStringLiteral("Anti_256")});
    // Only the user's choice sets the viewer's mode: the toolbar's own selections run nothing.
    connect(m_scaleCombo, &QComboBox::activated, this, [this](int index) {
        if (!m_viewer) {
            return;
        }
        try {
            const WaitCursor busy;
            m_viewer->SetScaleDoc(static_cast<TScaleToGray>(index));
        } catch (const std::exception &e) {
            emit actionFailed(QString::fromUtf8(e.what()));
        }
        Refresh();
    });
    for (int i = 0; i < kVisTbBtnCount; ++i) {
        m_buttons[static_cast<std::size_t>(i)] = new TVisTBButton(static_cast<TVisTbBtn>(i), this);
    }
    m_visible.set();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TVisDocImageToolbar::Refresh);
    resize(241, 25);
    layoutButtons();
    Refresh();
}

TVisDocImageToolbar::~TVisDocImageToolbar() {
    disconnect(m_viewerChanged);
}

void TVisDocImageToolbar::SetDocumentImage(VisDocumentImage *viewer) {
    disconnect(m_viewerChanged);
    m_viewer = viewer;
    if (viewer) {
        m_viewerChanged = connect(viewer, &VisDocumentImage::stateChanged, this, [this](QObject *sender) {
            if (sender == m_viewer) {
                Refresh();
            }
        });
        connect(viewer, &QObject::destroyed, this, &TVisDocImageToolbar::Refresh, Qt::QueuedConnection);
    }
    Refresh();
}

void TVisDocImageToolbar::SetVisibleButtons(TVisTbBtns buttons) {
    m_visible = buttons;
    for (int i = 0; i < kVisTbBtnCount; ++i) {
        m_buttons[static_cast<std::size_t>(i)]->setVisible(m_visible.test(static_cast<std::size_t>(i)));
    }
    if (!m_visible.test(m_focused)) {
        for (int i = 0; i < kVisTbBtnCount; ++i) {
            if (m_visible.test(static_cast<std::size_t>(i))) {
                m_focused = static_cast<TVisTbBtn>(i);
                break;
            }
        }
    }
    updateGeometry();
    layoutButtons();
}

void TVisDocImageToolbar::SetFlat(bool flat) {
    m_flat = flat;
    for (TVisTBButton *b : m_buttons) {
        b->setAutoRaise(flat);
    }
}

QStringList TVisDocImageToolbar::BuiltInHints() {
    QStringList hints;
    for (int i = 0; i < kVisTbBtnCount; ++i) {
        hints.append(ButtonHint(static_cast<TVisTbBtn>(i)));
    }
    return hints;
}

void TVisDocImageToolbar::SetHints(const QStringList &hints) {
    m_hints = hints == BuiltInHints() ? QStringList() : hints;
    applyHints();
}

void TVisDocImageToolbar::applyHints() {
    for (int i = 0; i < kVisTbBtnCount; ++i) {
        const QString own = m_hints.value(i);
        m_buttons[static_cast<std::size_t>(i)]->setToolTip(
            own.isEmpty() ? ButtonHint(static_cast<TVisTbBtn>(i)) : own);
    }
}

void TVisDocImageToolbar::SetPrintDialog(QPrinter *printer) {
    m_printer = printer;
    Refresh();
}

TToolbarState TVisDocImageToolbar::state() const {
    TToolbarState s;
    s.Linked = !m_viewer.isNull();
    s.ToolbarEnabled = isEnabled();
    s.PrinterAssigned = m_printer != nullptr;
    s.ClipboardHasPicture = ClipboardHasPicture();
    if (m_viewer) {
        s.ViewerEnabled = m_viewer->isEnabled();
        s.HasImage = m_viewer->HasImage();
        s.BitCount = m_viewer->ImageBitCount();
        s.Page = m_viewer->TiffPage();
        s.PageCount = m_viewer->TiffPageCount();
    }
    return s;
}

void TVisDocImageToolbar::Refresh() {
    const TToolbarState s = state();
    const TControlMode mode = m_viewer ? m_viewer->ControlMode() : cmNone;
    for (TVisTBButton *b : m_buttons) {
        b->setEnabled(ButtonEnabled(b->Index(), s));
        const bool down = ButtonDown(b->Index(), mode);
        b->setCheckable(down);
        b->setChecked(down);
    }
    m_scaleCombo->setEnabled(s.Linked && s.ToolbarEnabled && s.ViewerEnabled);
    if (m_viewer) {
        m_scaleCombo->setCurrentIndex(static_cast<int>(m_viewer->ScaleDoc()));
    }
}

void TVisDocImageToolbar::buttonClicked(TVisTbBtn button) {
    if (QString error; !ExecuteButton(this, button, &error)) {
        emit actionFailed(error);
    }
}

bool TVisDocImageToolbar::isLongAction(TVisTbBtn button) const {
    switch (button) {
    case ibdocOpen:
    case ibdocSave:
    case ibdocPrint:
    case ibdocScanPages:
    case ibdocSelectScanner:
    case ibdocDelete:
    case ibdocEditTags:
    case ibdocEffects:
    case ibdocPanZoom:
    case ibdocMagnify:
    case ibdocAnnotEdit:
        // Dialogs and mode switches: the user acts next, not the program.
        return false;
    default:
        return true;
    }
}

bool TVisDocImageToolbar::ExecuteButton(QObject *sender, TVisTbBtn button, QString *error) {
    Q_UNUSED(sender);
    // The actions and the viewer under them raise their failures; they stop here, so that no caller
    // outside the toolbar has to guard a press.
    try {
        executeButton(button);
    } catch (const ErrorInvalid &e) {
        return failWith(error, e.message());
    } catch (const std::exception &e) {
        return failWith(error, QString::fromUtf8(e.what()));
    }
    return true;
}

void TVisDocImageToolbar::executeButton(TVisTbBtn button) {
    if (!m_viewer) {
        return;
    }
    if (BeforeAction) {
        bool allow = true;
        BeforeAction(this, button, allow);
        if (!allow) {
            Refresh();
            return;
        }
    }
    // Whatever happens in the action, the cursor, the print-job setting and the buttons are put
    // right before the failure passes on.
    struct Restore {
        TVisDocImageToolbar &toolbar;
        QPointer<VisDocumentImage> viewer;
        bool beginEndDoc;
        ~Restore() {
            if (viewer) {
                viewer->SetP_Begin_End_Doc(beginEndDoc);
            }
            toolbar.Refresh();
        }
    } restore{*this, m_viewer, m_viewer->P_Begin_End_Doc()};
    {
        const WaitCursor busy(isLongAction(button));
        runAction(button);
    }
    if (AfterAction) {
        AfterAction(this, button);
    }
}

void TVisDocImageToolbar::runAction(TVisTbBtn button) {
    VisDocumentImage &v = *m_viewer;
    QString error;
    switch (button) {
    case ibdocOpen:
        open();
        break;
    case ibdocSave:
        save();
        break;
    case ibdocPrint:
        print();
        break;
    case ibdocPanZoom:
    case ibdocMagnify:
    case ibdocAnnotEdit:
        v.SetControlMode(ToggledMode(button, v.ControlMode()));
        break;
    case ibdocZoomIn:
        if (const std::optional<double> p = ZoomInPercent(v.ScalePercent())) {
            v.SetScalePercent(*p);
        }
        break;
    case ibdocZoomOut:
        if (const std::optional<double> p = ZoomOutPercent(v.ScalePercent())) {
            v.SetScalePercent(*p);
        }
        break;
    case ibdocResetZoom:
        v.SetScalePercent(100);
        break;
    case ibdocBestFit:
        v.BestFit();
        break;
    case ibdocScanPages:
        scanPages();
        break;
    case ibdocSelectScanner:
        if (!window()) {
            throw ErrorInvalid(ErrorInvalidText::ParentWindowRequired());
        }
        selectScanner();
        break;
    case ibdocCut:
        v.CutToClipboard();
        break;
    case ibdocCopy:
        v.CopyToClipboard();
        break;
    case ibdocPaste:
        v.PasteFromClipboard();
        break;
    case ibdocEditTags:
        v.EditTags(&error);
        break;
    case ibdocInvert:
        v.Invert(&error);
        break;
    case ibdocRotate90:
        v.Rotate(qRgb(255, 255, 255), -90, &error);
        break;
    case ibdocRotate180:
        v.Rotate(qRgb(255, 255, 255), 180, &error);
        break;
    case ibdocDeskew:
        v.Deskew(0, &error);
        break;
    case ibdocRemoveBorder:
        v.RemoveBorder(0, &error);
        break;
    case ibdocEffects:
        v.ShowEffects(&error);
        break;
    case ibdocFirst:
        v.FirstPage(&error);
        break;
    case ibdocPrior:
        v.PriorPage(&error);
        break;
    case ibdocNext:
        v.NextPage(&error);
        break;
    case ibdocLast:
        v.LastPage(&error);
        break;
    case ibdocDelete:
        deletePage();
        break;
    case ibdocPack:
        v.PackTiff(&error);
        break;
    case ibdocUpdate:
        v.ReplacePage(&error);
        break;
    }
    raiseIfFailed(error);
}

void TVisDocImageToolbar::tell(const QString &text) {
    if (m_viewer && m_viewer->Messages()) {
        m_viewer->Messages()->information(window()->windowTitle(), text);
    }
}

void TVisDocImageToolbar::open() {
    if (!MMOpenDialog) {
        if (!BeforeAction) {
            tell(QStringLiteral(
                "Toolbar. Assign either a MMOpenDialog or a BeforeAction event to open a file"));
        }
        return;
    }
    QString file;
    int page = 0;
    if (!MMOpenDialog(this, file, page)) {
        return;
    }
    orva::imageio::lib::FileInfo info;
    if (!DllFileInfo(file, info)) {
        throw ErrorInvalid(ErrorInvalidText::FormatNotSupported());
    }
    const WaitCursor busy;
    if (info.type.toUpper() == QLatin1String("TIFF")) {
        // The page at its own depth: a colour or gray page read at 1 bit would be dithered, and
        // saved or updated that way.
        QString error;
        m_viewer->LoadTiff(file, page, 0, &error);
        raiseIfFailed(error);
    } else {
        m_viewer->LoadImageFile(file, lAutoMatic, false);
    }
}

void TVisDocImageToolbar::save() {
    if (!MMSaveDialog) {
        if (!BeforeAction) {
            tell(QStringLiteral(
                "Toolbar. Assign either a MMSaveDialog or a BeforeAction event to save a file"));
        }
        return;
    }
    QString file;
    // The dialog has asked whether an existing file may be replaced: the picture becomes the file.
    if (MMSaveDialog(this, file)) {
        const WaitCursor busy;
        QString error;
        m_viewer->SaveTiffPicture(file, &error);
        raiseIfFailed(error);
    }
}

void TVisDocImageToolbar::print() {
    if (!m_printer) {
        return;
    }
    TPrintOptionsDialog options(this);
    if (RunModalDialog(options) != QDialog::Accepted) {
        return;
    }
    m_viewer->SetP_Begin_End_Doc(true);
    QPrintDialog dialog(m_printer, this);
    if (RunModalDialog(dialog) != QDialog::Accepted) {
        return;
    }
    const WaitCursor busy;
    QString error;
    if (options.ImageSize()) {
        m_viewer->PrintImage(*m_printer, 0, 0, 0, 0, false, &error);
        raiseIfFailed(error);
        return;
    }
    // "Paper Size": as large as the page allows with the picture's shape kept.
    const QSize page = m_printer->pageLayout().paintRectPixels(m_printer->resolution()).size();
    const QSize size =
        DocViewGeometry::FitInside(QSize(m_viewer->ImageWidth(), m_viewer->ImageHeight()), page);
    m_viewer->PrintImage(*m_printer, 0, 0, size.width(), size.height(), false, &error);
    raiseIfFailed(error);
}

void TVisDocImageToolbar::scanPages() {
    TScanPagesDialog dialog(this);
    if (RunModalDialog(dialog) == QDialog::Accepted && !m_viewer->Scan(dialog.Pages()) &&
        !m_viewer->ScanMessage().isEmpty()) {
        throw ErrorInvalid(m_viewer->ScanMessage());
    }
}

void TVisDocImageToolbar::selectScanner() {
    // The chooser is asked for this window only: the next call installs its own.
    QWidget *owner = window();
    SetScanSourceChooser(
        [owner](const QStringList &devices) { return ChooseScanSource(owner, devices, ScanSource()); });
    const bool chosen = SelectTwainSource(owner);
    SetScanSourceChooser({});
    if (!chosen && LastErrorCode() != orva::imageio::ErrStopped) {
        throw ErrorInvalid(LastErrorText());
    }
}

void TVisDocImageToolbar::deletePage() {
    if (ConfirmDelete) {
        // Without anyone to ask, the page stays.
        UserMessages *messages = m_viewer->Messages();
        if (!messages ||
            messages->ask(UserMessages::Buttons::ConfirmOkCancel, window()->windowTitle(),
                          QStringLiteral("Delete Current Tiff Page ?")) != UserMessages::Answer::Ok) {
            return;
        }
    }
    QString error;
    m_viewer->DeleteCurrentPage(&error);
    raiseIfFailed(error);
}

// ---- layout and keys ------------------------------------------------------------------------------

int TVisDocImageToolbar::visibleCount() const {
    return std::max<int>(1, static_cast<int>(m_visible.count()));
}

QSize TVisDocImageToolbar::sizeHint() const {
    return {kScaleComboWidth + kButtonWidth * visibleCount(), 25};
}

QSize TVisDocImageToolbar::minimumSizeHint() const {
    return {kScaleComboWidth + kButtonWidth * visibleCount(), kButtonHeight};
}

void TVisDocImageToolbar::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    layoutButtons();
}

void TVisDocImageToolbar::layoutButtons() {
    const int h = height();
    const int comboHeight = std::min(m_scaleCombo->sizeHint().height(), std::max(kButtonHeight, h - 3));
    m_scaleCombo->setGeometry(0, std::max(0, (h - comboHeight) / 2), kScaleComboWidth, comboHeight);
    const QVector<int> widths = ShareWidths(width() - kScaleComboWidth, visibleCount());
    const int buttonHeight = std::clamp(h - 4, kButtonHeight, 28);
    int x = kScaleComboWidth;
    int slot = 0;
    for (TVisTBButton *b : m_buttons) {
        if (!m_visible.test(b->Index())) {
            // Hidden buttons wait beyond the right edge.
            b->setGeometry(width() + kButtonWidth, 0, kButtonWidth, kButtonHeight);
            continue;
        }
        const int w = widths.value(slot++, kButtonWidth);
        b->setGeometry(x, (h - buttonHeight) / 2, w, buttonHeight);
        x += w;
    }
}

void TVisDocImageToolbar::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const int step = key == Qt::Key_Left ? -1 : 1;
        for (int i = m_focused + step; i >= 0 && i < kVisTbBtnCount; i += step) {
            if (m_visible.test(static_cast<std::size_t>(i))) {
                m_focused = static_cast<TVisTbBtn>(i);
                break;
            }
        }
        for (TVisTBButton *b : m_buttons) {
            b->update();
        }
        event->accept();
        return;
    }
    if (key == Qt::Key_Space) {
        if (m_buttons[m_focused]->isEnabled() && m_buttons[m_focused]->isVisible()) {
            m_buttons[m_focused]->click();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TVisDocImageToolbar::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    m_buttons[m_focused]->update();
}

void TVisDocImageToolbar::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    m_buttons[m_focused]->update();
}

void TVisDocImageToolbar::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        Refresh();
    }
}

} // namespace orva::imaging
