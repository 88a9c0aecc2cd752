// The stand-in browser: it records the address and never navigates.
#include "hostforms/forms/WebBrowser.h"

#include "common/Trace.h"

namespace {

class StubBrowser : public TWebBrowserView {
public:
    using TWebBrowserView::TWebBrowserView;
    void Navigate(const QByteArray &url) override {
        m_url = url;
        ORVA_TRACE("webbrowser.stub", url);
    }
    QByteArray Engine() const override { return "stub"; }
};

bool g_forceStub = false;

} // namespace

TWebBrowserView *createEngineBrowser(QWidget *parent); // defined where an engine is built in

namespace WebBrowser {

void forceStub(bool on) {
    g_forceStub = on;
}

TWebBrowserView *create(QWidget *parent) {
#ifdef ORVA_HAVE_WEBENGINE
    if (!g_forceStub) {
        return createEngineBrowser(parent);
    }
#endif
    return new StubBrowser(parent);
}

} // namespace WebBrowser
