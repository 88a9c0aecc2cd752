// The request box, its screen watcher and the request images.
#include "app/RequestBox.h"

#include "app/MainWindowUi.h"
#include "app/RequestImagePanel.h"
#include "app/TOrvaMainForm.h"
#include "common/FileWait.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/SetupFile.h"
#include "common/UserMessages.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/imagelist/RequestImages.h"
#include "platform/hostlink/HostLink.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <stdexcept>

namespace {
const QString kErrorCaption = QStringLiteral("Error condition detected");
}

RequestBox::RequestBox(TOrvaMainForm &window, const MainWindowUi &ui, const TOrvaSettings &settings,
                       HostLink &link, UserMessages &messages)
    : QObject(&window), m_window(window), m_ui(ui), m_settings(settings), m_link(link), m_messages(messages) {
    m_rowseekTimer = new QTimer(this);
    m_rowseekTimer->setObjectName(QStringLiteral("RowseekTimer"));
    m_rowseekTimer->setInterval(1000);
    // After the image area's own filter on the name list, so that these keys come first.
    m_ui.reqNum->installEventFilter(this);
    m_ui.imageNameListBox->installEventFilter(this);
    connect(m_ui.reqNum, &QLineEdit::returnPressed, this, &RequestBox::ReqNumKeyPress);
    connect(m_rowseekTimer, &QTimer::timeout, this, &RequestBox::RowseekTimerTimer);
    m_rowseekTimer->start();
}

bool RequestBox::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_ui.reqNum && event->type() == QEvent::FocusIn) {
        // The watcher rests while the user types a number.
        m_rowseekTimer->stop();
    } else if (watched == m_ui.reqNum && event->type() == QEvent::FocusOut) {
        m_rowseekTimer->start();
    } else if (event->type() == QEvent::KeyPress) {
        return menuBarKey(static_cast<QKeyEvent *>(event));
    }
    return false;
}

void RequestBox::RowseekTimerTimer() {
    // One tick at a time: a box shown by a failure must not stack another one each second.
    if (m_rowseekBusy || m_settings.CaptureSets.isEmpty()) {
        return;
    }
    m_rowseekBusy = true;
    QString step = QStringLiteral("Rowseek timer - looping through capturesets.");
    try {
        const TVtTerminalEx *terminal = m_ui.terminal;
        const RequestImages::TScreenRows screen{terminal->Rows(),
                                                [terminal](int row) { return terminal->GetRowText(row); }};
        const std::optional<QByteArray> number =
            RequestImages::CaptureRequestNumber(m_settings.CaptureSets, screen);
        if (number) {
            step = QStringLiteral("Rowseek timer - found set");
            const QString text = HostText::toUnicode(*number);
            if (m_ui.reqNum->text() != text) {
                m_ui.reqNum->setText(text);
            }
        }
    } catch (const std::exception &e) {
        m_rowseekTimer->stop();
        m_messages.error(kErrorCaption,
                         QLatin1Char('"') + QString::fromLocal8Bit(e.what()) + QStringLiteral("\" ") + step);
        m_rowseekTimer->start();
    }
    m_rowseekBusy = false;
}

void RequestBox::ReqNumKeyPress() {
    if (m_settings.ImageSources.size() == 1 && m_settings.ImageSources.value(0).isEmpty()) {
        return;
    }
    ShowRequestImages();
    m_ui.reqNum->clear();
    m_ui.reqNum->setFocus();
    m_lastRequestFromReqNum = true;
}

void RequestBox::FormButtonClick() {
    try {
        m_window.LayoutMenuBar();
        ShowRequestImages();
    } catch (const std::exception &e) {
        m_messages.error(kErrorCaption,
                         QStringLiteral("Unexpected Image error in ") + QString::fromLocal8Bit(e.what()));
    }
}

void RequestBox::ShowRequestImages() {
    QString number = m_ui.reqNum->text();
    number.remove(QLatin1Char(' '));
    if (number.isEmpty()) {
        m_window.ShowTerminal();
        return;
    }
    if (m_detachedImages) {
        ShowInDetachedWindow(HostText::fromUnicode(m_ui.reqNum->text().trimmed()));
        return;
    }
    if (LoadRequestImages()) {
        m_ui.viewPanel->FocusImage();
    } else {
        returnFromImages();
    }
    m_lastRequestFromReqNum = false;
}

void RequestBox::ShowInDetachedWindow(const QByteArray &listText) {
    if (!m_detachedForm) {
        m_detachedForm = new orva::imaging::TDetachedImageForm(m_window, &m_window);
    }
    m_detachedForm->ClearImage();
    m_detachedForm->LoadRequestImages(listText);
    m_detachedForm->RestorePosition();
    if (!m_detachedForm->isVisible()) {
        m_detachedForm->show();
    }
}

void RequestBox::returnFromImages() {
    if (m_link.IsConnected()) {
        m_window.SizeToTerminal();
    } else {
        m_window.CollapseToMenuBar();
    }
}

bool RequestBox::LoadRequestImages() {
    const QByteArray number = HostText::fromUnicode(m_ui.reqNum->text().trimmed());
    if (number.isEmpty()) {
        return false;
    }
    // A number refused for its characters (a dot, a path separator, a blank) lists nothing and shows
    // the no-image picture, as the detached window does; the image list checks it.
    if (!m_window.CheckImageServer()) {
        returnFromImages();
        m_ui.exitButton->setFocus();
        return false;
    }
    if (!m_ui.viewPanel->LoadRequest(number)) {
        return false;
    }
    m_window.ExpandToWorkArea();
    m_ui.viewPanel->ViewFit();
    return true;
}

void RequestBox::ViewImageClick() {
    QByteArray selected = m_ui.terminal->GetSelectedText();
    selected.replace("\r", "").replace("\n", "");
    if (selected.isEmpty() || selected.contains(' ')) {
        return;
    }
    m_ui.reqNum->setText(HostText::toUnicode(selected));
    m_window.EndSelectionHold();
    if (!LoadRequestImages()) {
        returnFromImages();
    }
}

void RequestBox::ResetImagePosition1Click() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!m_detachedForm || !screen) {
        return;
    }
    const QRect place = DetachedImage::ResetPlace(m_detachedForm->geometry(), screen->availableGeometry());
    m_detachedForm->move(place.topLeft());
    m_detachedForm->resize(place.size());
}

// The image keys while images are shown, else Escape goes back to the terminal.
bool RequestBox::menuBarKey(QKeyEvent *event) {
    if (m_ui.viewPanel->isVisible()) {
        return m_ui.viewPanel->ImageKey(event, m_ui.reqNum->hasFocus());
    }
    if (event->key() == Qt::Key_Escape && !m_ui.terminal->hasFocus()) {
        m_window.ShowTerminal();
        return true;
    }
    return false;
}

bool RequestBox::CheckImageServer(bool afterStartUp) {
    const QString source = m_settings.ImageSources.value(0);
    // A server that does not answer in time is as unavailable as one that is not there.
    if (source.isEmpty() || FileWait::IsFolder(LocalPath::toLocalPath(source))) {
        return true;
    }
    QString text = QStringLiteral("The Image Server is not presently available on this terminal.\r\r"
                                  "The problem may be that:\r"
                                  "    You have not logged onto the Windows Domain (most likely) OR\r"
                                  "    The server is down  (possible) OR \r"
                                  "    The network settings have been changed. (unlikely)\r"
                                  "    The Orva Setup file has been changed   (very unlikely)\r");
    if (m_settings.HaltOnServerFail) {
        text += QStringLiteral("\r\nOrva will close.");
    }
    m_messages.error(QStringLiteral("Image Server Error"), text);
    if (m_settings.HaltOnServerFail && afterStartUp) {
        // After start-up the program ends through its event loop; during start-up the caller unwinds.
        QCoreApplication::exit(1);
    }
    return !m_settings.HaltOnServerFail;
}
