// The detached image window.
#include "imaging/detached/TDetachedImageForm.h"

#include "common/HostText.h"
#include "common/Trace.h"
#include "common/WaitCursor.h"
#include "imaging/detached/TdlgOpenImage.h"
#include "imaging/doctoolbar/TVisDocImageToolbar.h"
#include "imaging/docview/DocGlyphs.h"
#include "imaging/docview/DocViewGeometry.h"
#include "imaging/docview/VisDocumentImage.h"
#include "imaging/media/TMMOpenDialog.h"
#include "platform/modal/ModalDialog.h"
#include "platform/settings/TRegistry.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

namespace orva::imaging {

using namespace DetachedImage;

namespace {

// Under Wayland a window cannot place itself: only its size is kept there.
bool canPlaceWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

TDetachedImageForm::TDetachedImageForm(TDetachedImageHost &host, QWidget *owner)
    : QMainWindow(owner, Qt::Tool), m_host(host) {
    setObjectName(QStringLiteral("DetachedImageForm"));
    setWindowTitle(QStringLiteral("Orva Image System"));
    // The key map drives the window while the user types in the terminal: showing it must not take
    // the keyboard away.
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_viewer = new VisDocumentImage(this);
    m_viewer->setObjectName(QStringLiteral("VisDocumentImage1"));
    m_viewer->SetBlitMode(sLight);
    m_viewer->SetControlMode(cmNone);
    m_viewer->SetScaleDoc(S_Gray_None);
    m_viewer->SetPrintScaleDoc(S_Gray_None);
    m_viewer->SetImageReadRes(lAutoMatic);
    m_viewer->ImageWriteRes = sMonoChrome;
    m_viewer->TifSaveCompress = sNONE;
    m_viewer->SetXResolution(100);
    m_viewer->SetYResolution(100);
    m_viewer->SetMagnifyWidth(200);
    m_viewer->SetMagnifyHeight(100);
    m_viewer->SetMagnifyXOffset(2);
    m_viewer->SetMagnifyYOffset(2);
    m_viewer->SetMagnifyScale(200);
    m_viewer->SetMessages(&m_host.Messages());
    m_viewer->SetDialogs(&m_viewerDialogs);
    // With the tools offered, marks drawn on a page are kept beside its file and shown again.
    m_viewer->SetAutoSaveAnno(m_host.ImageTools());
    m_viewer->SetAutoLoadAnno(m_host.ImageTools());
    m_viewer->viewport()->installEventFilter(this);
    setCentralWidget(m_viewer);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    m_negative->setChecked(m_host.InvertDetachedPrint());
    resize(615, 452);
}

TDetachedImageForm::~TDetachedImageForm() {
    // The program ends with the window where the user left it: that place is kept for the next run.
    if (m_placeUnsaved) {
        writePlace();
    }
}

QAction *TDetachedImageForm::Action(const QString &name) const {
    return findChild<QAction *>(name);
}

void TDetachedImageForm::buildMenus() {
    const auto action = [this](const QString &name, const QString &caption, const QString &hint) {
        auto *a = new QAction(caption, this);
        a->setObjectName(name);
        a->setStatusTip(hint);
        a->setToolTip(hint.isEmpty() ? QString(caption).remove(QLatin1Char('&')) : hint);
        return a;
    };
    m_prevFile = action(QStringLiteral("aPrevFile"), QStringLiteral("&Previous File"), QString());
    m_prevFile->setShortcuts({QKeySequence(Qt::Key_F7), QKeySequence(Qt::Key_Comma)});
    m_prevFile->setIcon(DocGlyphIcon(QStringLiteral("PRIOR")));
    m_prevFile->setEnabled(false);
    connect(m_prevFile, &QAction::triggered, this, &TDetachedImageForm::aPrevFileExecute);
    m_nextFile = action(QStringLiteral("aNextFile"), QStringLiteral("&Next File"), QString());
    m_nextFile->setShortcuts({QKeySequence(Qt::Key_F8), QKeySequence(Qt::Key_Period)});
    m_nextFile->setIcon(DocGlyphIcon(QStringLiteral("NEXT")));
    m_nextFile->setEnabled(false);
    connect(m_nextFile, &QAction::triggered, this, &TDetachedImageForm::aNextFileExecute);
    m_stayOnTop = action(QStringLiteral("aStayOnTop"), QStringLiteral("&Stay On Top"), QString());
    m_stayOnTop->setCheckable(true);
    connect(m_stayOnTop, &QAction::triggered, this, &TDetachedImageForm::aStayOnTopExecute);
    // Refresh and Close on Exit have never had anything to do: they are shown disabled.
    m_refresh = action(QStringLiteral("aRefresh"), QStringLiteral("Refresh"), QString());
    m_refresh->setShortcut(QKeySequence(Qt::Key_F5));
    m_refresh->setEnabled(false);
    m_closeOnExit = action(QStringLiteral("aCloseOnExit"), QStringLiteral("Close on Exit"), QString());
    m_closeOnExit->setEnabled(false);
    m_openImageAction = action(QStringLiteral("aOpenImage"), QStringLiteral("&Open Image File ..."),
                               QStringLiteral("Open a new image from the Image library"));
    connect(m_openImageAction, &QAction::triggered, this, &TDetachedImageForm::aOpenImageExecute);
    m_print = action(QStringLiteral("aPrint"), QStringLiteral("Print"),
                     QStringLiteral("Print the current image to the default printer"));
    m_print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(m_print, &QAction::triggered, this, &TDetachedImageForm::PrintCurrentImage);
    m_exit = action(QStringLiteral("aExit"), QStringLiteral("Exit"),
                    QStringLiteral("Close the Orva Image Viewer"));
    m_exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    connect(m_exit, &QAction::triggered, this, &QWidget::close);
    m_copy = action(QStringLiteral("Copy1"), QStringLiteral("&Copy"), QString());
    m_copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(m_copy, &QAction::triggered, this, &TDetachedImageForm::Copy1Click);
    m_negative = action(QStringLiteral("NegativeImageonPrint1"), QStringLiteral("&Negative Image on Print"),
                        QString());
    m_negative->setCheckable(true);
    connect(m_negative, &QAction::triggered, this, &TDetachedImageForm::NegativeImageonPrint1Click);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(m_openImageAction);
    file->addAction(m_print);
    file->addSeparator();
    file->addAction(m_exit);
    menuBar()->addMenu(QStringLiteral("&Edit"))->addAction(m_copy);
    QMenu *options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->addAction(m_stayOnTop);
    options->addAction(m_closeOnExit);
    options->addAction(m_negative);
    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(m_prevFile);
    view->addAction(m_nextFile);
    view->addSeparator();
    view->addAction(m_refresh);
}

void TDetachedImageForm::buildToolBar() {
    m_toolBar = addToolBar(QStringLiteral("ToolBar1"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFixedHeight(33);
    m_fileList = new QComboBox(m_toolBar);
    m_fileList->setObjectName(QStringLiteral("FileListCombo"));
    m_fileList->setEditable(false);
    m_fileList->setFixedWidth(145);
    m_fileList->setFocusPolicy(Qt::ClickFocus);
    connect(m_fileList, &QComboBox::activated, this, [this] { ShowSelectedFile(); });
    m_toolBar->addWidget(m_fileList);

    m_toolbar = new TVisDocImageToolbar(m_toolBar);
    m_toolbar->setObjectName(QStringLiteral("VisDocImageToolbar1"));
    TVisTbBtns visible;
    for (TVisTbBtn b : {ibdocPrint, ibdocPanZoom, ibdocMagnify, ibdocZoomIn, ibdocZoomOut, ibdocResetZoom,
                        ibdocBestFit, ibdocInvert, ibdocRotate90, ibdocRotate180, ibdocDeskew,
                        ibdocRemoveBorder, ibdocFirst, ibdocPrior, ibdocNext, ibdocLast}) {
        visible.set(b);
    }
    if (m_host.ImageTools()) {
        for (TVisTbBtn b : {ibdocOpen, ibdocSave, ibdocScanPages, ibdocSelectScanner, ibdocAnnotEdit,
                            ibdocEditTags, ibdocEffects, ibdocDelete, ibdocPack, ibdocUpdate}) {
            visible.set(b);
        }
    }
    m_toolbar->SetVisibleButtons(visible);
    // Open and Save (with the image tools) go through the dialogs with a preview.
    m_toolbar->MMOpenDialog = RunMMOpenDialog;
    m_toolbar->MMSaveDialog = RunMMSaveDialog;
    m_toolbar->SetDocumentImage(m_viewer);
    // The Print button asks about this window's printer, so that it prints instead of doing nothing.
    m_toolbar->SetPrintDialog(&m_printer);
    connect(m_toolbar, &TVisDocImageToolbar::actionFailed, this, &TDetachedImageForm::reportFailure);
    m_toolBar->addWidget(m_toolbar);

    const auto fileButton = [this](QAction *action, const QString &name) {
        auto *b = new QToolButton(m_toolBar);
        b->setObjectName(name);
        b->setDefaultAction(action);
        b->setFixedSize(24, 28);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        m_toolBar->addWidget(b);
        return b;
    };
    m_prevButton = fileButton(m_prevFile, QStringLiteral("PrevImgBtn"));
    m_nextButton = fileButton(m_nextFile, QStringLiteral("NextImgBtn"));
}

void TDetachedImageForm::buildStatusBar() {
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    const int widths[] = {75, 75, 75, 120, 170, 50};
    for (int i = 0; i < 6; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // At least the designed width, more when the text needs it and the bar has room; the last
        // panel (the file name) takes what is left.
        panel->setMinimumWidth(widths[i]);
        bar->addPermanentWidget(panel, i < 5 ? 0 : 1);
        m_panels[static_cast<std::size_t>(i)] = panel;
    }
}

void TDetachedImageForm::showPanels(const QStringList &texts) {
    for (int i = 0; i < 6; ++i) {
        QLabel *panel = m_panels[static_cast<std::size_t>(i)];
        panel->setText(texts.value(i));
        // A panel too narrow for its text still tells it in full when the mouse rests on it.
        panel->setToolTip(texts.value(i));
    }
}

// ---- the list of files ----------------------------------------------------------------------------

void TDetachedImageForm::LoadRequestImages(const QByteArray &text) {
    m_items.clear();
    m_fileList->clear();
    const WaitCursor busy;
    const ImageList::TImageListSettings settings = m_host.ImageListSettings();
    QList<TRequestListing> listings;
    for (const QByteArray &request : RequestPieces(text)) {
        TRequestListing listing;
        listing.Request = request;
        QString used;
        ImageList::BuildImageList(listing.Entries, request, used, settings);
        m_host.SetCurrentImageSource(used);
        listings.append(listing);
    }
    m_items = FileItems(listings, settings.ImageSources.value(0) + settings.NoImageName);
    if (m_items.isEmpty()) {
        clearPanels();
        showFileButtons(-1);
        return;
    }
    for (const TFileItem &item : m_items) {
        m_fileList->addItem(item.Text);
    }
    m_fileList->setCurrentIndex(-1);
    aNextFileExecute();
}

bool TDetachedImageForm::ShowSelectedFile() {
    const int index = m_fileList->currentIndex();
    if (m_viewer->Scanning()) {
        // The viewer shows the pages as they are scanned: another file now would stand among them.
        const QSignalBlocker block(m_fileList);
        m_fileList->setCurrentIndex(m_shownIndex);
        m_host.Messages().warning(
            windowTitle(), QStringLiteral("A scan is running. Choose the file again when it has finished."));
        return false;
    }
    m_shownIndex = -1;
    if (index < 0 || index >= m_items.size()) {
        clearPanels();
        return false;
    }
    const TFileItem &item = m_items.at(index);
    const QString file = item.File;
    const QString extension =
        QLatin1Char('.') + (item.Record ? item.Record->Extension : QFileInfo(file).suffix()).toLower();
    // The viewer has said what went wrong in its own way; here the panels go blank, and so does the
    // picture: the file before must not stand under the name of this one.
    const auto notShown = [&](const QString &reason) {
        ORVA_TRACE(QStringLiteral("detached image not shown"), file + QStringLiteral(": ") + reason);
        clearPanels();
        m_viewer->ClearImage();
        return false;
    };
    try {
        const WaitCursor busy;
        QString error;
        if (extension == QLatin1String(".tif") || extension == QLatin1String(".tiff")) {
            if (!m_viewer->LoadTiffPage(file, 0, 24, 100, S_Gray_Anti_256, &error)) {
                return notShown(error);
            }
        } else {
            m_viewer->LoadImageFile(file, lAutoMatic, false);
        }
        if (m_viewer->ImageHeight() > 0) {
            m_viewer->SetScalePercent(fitPercent(Qt::Vertical));
        }
        m_toolbar->ScaleCombo()->setCurrentIndex(static_cast<int>(S_Gray_Anti_256));
        showFileButtons(index);
        showPanels(PanelTexts(index, static_cast<int>(m_items.size()), item.Record.get()));
        m_shownIndex = index;
        return true;
    } catch (const std::exception &e) {
        return notShown(QString::fromUtf8(e.what()));
    }
}

double TDetachedImageForm::fitPercent(Qt::Orientation extent) const {
    // The viewer's extent, less the other scroll bar when the fitted page overflows the other way.
    const QRect area = m_viewer->contentsRect();
    const bool height = extent == Qt::Vertical;
    const int picture = height ? m_viewer->ImageHeight() : m_viewer->ImageWidth();
    const int across = height ? m_viewer->ImageWidth() : m_viewer->ImageHeight();
    int room = height ? area.height() : area.width();
    if (across * DocViewGeometry::FitExtentPercent(room, picture) / 100.0 >
        (height ? area.width() : area.height())) {
        room -= height ? m_viewer->horizontalScrollBar()->sizeHint().height()
                       : m_viewer->verticalScrollBar()->sizeHint().width();
    }
    return DocViewGeometry::FitExtentPercent(room, picture);
}

void TDetachedImageForm::clearPanels() {
    showPanels(QStringList(6));
}

void TDetachedImageForm::showFileButtons(int index) {
    const TFileButtons buttons = FileButtons(static_cast<int>(m_items.size()), index);
    m_prevFile->setEnabled(buttons.Previous);
    m_nextFile->setEnabled(buttons.Next);
    m_toolBar->update();
}

void TDetachedImageForm::aPrevFileExecute() {
    const int index = m_fileList->currentIndex();
    if (index <= 0) {
        return;
    }
    m_fileList->setCurrentIndex(index - 1);
    ShowSelectedFile();
}

void TDetachedImageForm::aNextFileExecute() {
    const int index = m_fileList->currentIndex();
    const int count = m_fileList->count();
    if (count == 0 || index >= count - 1) {
        return;
    }
    m_fileList->setCurrentIndex(index < 0 ? 0 : index + 1);
    ShowSelectedFile();
}

void TDetachedImageForm::ClearImage() {
    m_viewer->ClearImage();
    m_viewer->viewport()->update();
}

// ---- toolbar and key actions ----------------------------------------------------------------------

void TDetachedImageForm::ToolbarAction(TVisTbBtn button) {
    if (QString error; !m_toolbar->ExecuteButton(m_toolbar, button, &error)) {
        reportFailure(error);
    }
}

void TDetachedImageForm::ScrollBy(int dx, int dy) {
    m_viewer->ScrollBy(dx, dy);
}

void TDetachedImageForm::reportFailure(const QString &message) {
    m_host.Messages().warning(windowTitle(), message);
}

// ---- print, copy, open ----------------------------------------------------------------------------

void TDetachedImageForm::PrintCurrentImage() {
    if (!m_viewer->HasImage()) {
        return;
    }
    QPrintDialog dialog(&m_printer, this);
    if (RunModalDialog(dialog) != QDialog::Accepted) {
        return;
    }
    // As large as the page allows with the picture's shape kept: a tall form on portrait paper is
    // never cut off at the bottom.
    const QSize page = m_printer.pageLayout().paintRectPixels(m_printer.resolution()).size();
    const QSize size =
        DocViewGeometry::FitInside(QSize(m_viewer->ImageWidth(), m_viewer->ImageHeight()), page);
    m_viewer->SetPrintScaleDoc(m_viewer->ScaleDoc());
    QString error;
    bool printed = false;
    {
        const WaitCursor busy;
        // A negative print inverts a copy: the picture on the screen is never touched, even when
        // printing fails half way.
        printed = m_viewer->PrintImage(m_printer, 0, 0, size.width(), size.height(),
                                       m_host.InvertDetachedPrint(), &error);
    }
    if (!printed) {
        reportFailure(error.isEmpty() ? QStringLiteral("The image could not be printed.") : error);
    }
}

void TDetachedImageForm::Copy1Click() {
    if (!m_viewer->HasImage()) {
        return;
    }
    QApplication::clipboard()->setImage(m_viewer->GetBitmap());
    m_viewer->viewport()->update();
}

void TDetachedImageForm::aOpenImageExecute() {
    if (!m_openImage) {
        m_openImage = new TdlgOpenImage(this);
    }
    if (RunModalDialog(*m_openImage) == QDialog::Accepted) {
        LoadRequestImages(HostText::fromUnicode(m_openImage->txtImageName()->text()));
    }
}

void TDetachedImageForm::aStayOnTopExecute() {
    const bool on = !windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing the flag hides a shown window: show it again.
    if (shown) {
        show();
    }
    m_stayOnTop->setChecked(on);
}

void TDetachedImageForm::NegativeImageonPrint1Click() {
    m_host.SetInvertDetachedPrint(!m_host.InvertDetachedPrint());
    m_negative->setChecked(m_host.InvertDetachedPrint());
}

// ---- place on the screen --------------------------------------------------------------------------

void TDetachedImageForm::RestorePosition() {
    if (m_placing) {
        return;
    }
    // A window the user has moved since the place was stored stays where it is now.
    if (m_placeUnsaved) {
        writePlace();
    }
    m_placing = true;
    const TRegistry reg(kOrvaConfigKey);
    const auto value = [&reg](const QString &name) -> std::optional<QString> {
        if (!reg.ValueExists(name)) {
            return std::nullopt;
        }
        return reg.ReadString(name);
    };
    const bool firstStart = m_place.Width == 0 && m_place.Height == 0 &&
                            !reg.ValueExists(QStringLiteral("DetachedFormWidth")) &&
                            !reg.ValueExists(QStringLiteral("DetachedFormHieght"));
    m_place = PlaceFromValues(
        value(QStringLiteral("DetachedFormLeft")), value(QStringLiteral("DetachedFormTop")),
        value(QStringLiteral("DetachedFormWidth")), value(QStringLiteral("DetachedFormHieght")), m_place);
    // A place stored on a monitor that has gone is brought back onto one that is there.
    const QScreen *screen = QGuiApplication::screenAt(PlaceCentre(m_place));
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (firstStart && screen) {
        // Nothing stored yet: the whole tool bar and a page tall enough to read.
        const QRect available = screen->availableGeometry();
        m_place.Width = std::max(m_place.Width, sizeHint().width());
        m_place.Height = std::max(m_place.Height, available.height() * 85 / 100);
    }
    QRect frame = screen ? KeepOnScreen(m_place, screen->availableGeometry())
                         : QRect(0, 0, std::max(1, m_place.Width), std::max(1, m_place.Height));
    if (canPlaceWindows()) {
        move(frame.topLeft());
    }
    resize(frame.size());
    m_placing = false;
}

void TDetachedImageForm::SavePosition() {
    rememberPlace();
    writePlace();
}

void TDetachedImageForm::rememberPlace() {
    if (!isMinimized()) {
        m_place = {x(), y(), width(), height()};
    }
}

void TDetachedImageForm::writePlace() {
    TRegistry reg(kOrvaConfigKey);
    reg.WriteInteger(QStringLiteral("DetachedFormTop"), m_place.Top);
    reg.WriteInteger(QStringLiteral("DetachedFormLeft"), m_place.Left);
    reg.WriteInteger(QStringLiteral("DetachedFormWidth"), m_place.Width);
    reg.WriteInteger(QStringLiteral("DetachedFormHieght"), m_place.Height);
    if (!reg.Flush()) {
        ORVA_TRACE(QStringLiteral("detached window place not stored"), kOrvaConfigKey);
    }
    m_placeUnsaved = false;
}

void TDetachedImageForm::moveEvent(QMoveEvent *event) {
    QMainWindow::moveEvent(event);
    // Moves are only noted here; the place is written when it is next needed or the window goes.
    if (!m_placing && isVisible()) {
        rememberPlace();
        m_placeUnsaved = true;
    }
}

void TDetachedImageForm::closeEvent(QCloseEvent *event) {
    SavePosition();
    // Closing only hides the window: the next request shows it again.
    event->accept();
}

void TDetachedImageForm::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    if (m_viewer->HasImage() && m_viewer->ImageWidth() > 0) {
        m_viewer->SetScalePercent(fitPercent(Qt::Horizontal));
    }
    // Noted like a move: a drag of the edge would otherwise write the settings at every step.
    if (!m_placing) {
        rememberPlace();
        m_placeUnsaved = true;
    }
}

// ---- wheel ----------------------------------------------------------------------------------------

void TDetachedImageForm::wheelScroll(int angle) {
    if (angle < 0) {
        m_viewer->ScrollBy(0, -10);
    } else if (angle > 0) {
        m_viewer->ScrollBy(0, 10);
    }
    m_viewer->viewport()->update();
}

void TDetachedImageForm::wheelEvent(QWheelEvent *event) {
    wheelScroll(event->angleDelta().y());
    event->accept();
}

bool TDetachedImageForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_viewer->viewport() && event->type() == QEvent::Wheel) {
        wheelScroll(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace orva::imaging
