// The browser control drawn by Qt WebEngine.
#include "hostforms/forms/WebBrowser.h"

#include "common/HostText.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <unistd.h>

namespace {

class EngineBrowser : public TWebBrowserView {
public:
    explicit EngineBrowser(QWidget *parent) : TWebBrowserView(parent), m_view(new QWebEngineView(this)) {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_view);
        connect(m_view, &QWebEngineView::loadFinished, this, &TWebBrowserView::loadFinished);
    }
    void Navigate(const QByteArray &url) override {
        m_url = url;
        m_view->setUrl(QUrl::fromUserInput(HostText::toUnicode(url)));
    }
    QByteArray Engine() const override { return "webengine"; }

private:
    QWebEngineView *m_view;
};

} // namespace

TWebBrowserView *createEngineBrowser(QWidget *parent) {
    // The engine's sandbox cannot start for the super-user; it then exits at once.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    return new EngineBrowser(parent);
}
