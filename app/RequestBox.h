// The request box in the menu bar and what it shows: a watcher that fills the box with the request
// number it finds on the host's screen (once a second, resting while the user types), and the
// request's images, in the image area or in the detached image window.
#pragma once

#include <QObject>
#include <QPointer>

class HostLink;
class QKeyEvent;
class QTimer;
class TOrvaMainForm;
class UserMessages;
struct MainWindowUi;
struct TOrvaSettings;
namespace orva::imaging {
class TDetachedImageForm;
}

class RequestBox : public QObject {
public:
    // `settings` are the window's as last read; the window outlives this.
    RequestBox(TOrvaMainForm &window, const MainWindowUi &ui, const TOrvaSettings &settings, HostLink &link,
               UserMessages &messages);

    // The screen watcher's tick.
    void RowseekTimerTimer();
    // Enter in the request box, and the Form button.
    void ReqNumKeyPress();
    void FormButtonClick();
    void ShowRequestImages();
    // One request number, or a list with a comma after each, in the detached image window (made on
    // first use, owned by the main window and kept).
    void ShowInDetachedWindow(const QByteArray &listText);
    bool LoadRequestImages();
    // The terminal's "View Image": the selected text as the request number.
    void ViewImageClick();
    void ResetImagePosition1Click();
    // The first image source answers in time, or there is none; else the user is told, and with the
    // setup file's halt option the program ends (through its event loop after start-up).
    bool CheckImageServer(bool afterStartUp);

    // Images go to the detached window instead of the image area.
    bool DetachedImages() const { return m_detachedImages; }
    void SetDetachedImages(bool on) { m_detachedImages = on; }
    orva::imaging::TDetachedImageForm *DetachedForm() const { return m_detachedForm.data(); }
    // The last request came from the box, so the focus goes back there with the terminal.
    bool LastRequestFromReqNum() const { return m_lastRequestFromReqNum; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Keys in the request box and the image name list.
    bool menuBarKey(QKeyEvent *event);
    void returnFromImages();

    TOrvaMainForm &m_window;
    const MainWindowUi &m_ui;
    const TOrvaSettings &m_settings;
    HostLink &m_link;
    UserMessages &m_messages;
    QTimer *m_rowseekTimer = nullptr;
    QPointer<orva::imaging::TDetachedImageForm> m_detachedForm;
    bool m_detachedImages = false;
    bool m_lastRequestFromReqNum = false;
    bool m_rowseekBusy = false;
};
