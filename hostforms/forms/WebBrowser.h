// The web browser control (object type 15): navigates to the host's value. Which engine draws
// the page is chosen when the program is built; a stand-in that only records the address is used
// where no engine is available (and in the fuzz build).
#pragma once

#include <QByteArray>
#include <QWidget>
#include <functional>

class TWebBrowserView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void Navigate(const QByteArray &url) = 0;
    QByteArray LastUrl() const { return m_url; }
    // The engine's name, for traces and tests ("stub" for the stand-in).
    virtual QByteArray Engine() const = 0;

signals:
    void loadFinished(bool ok);

protected:
    QByteArray m_url;
};

namespace WebBrowser {

// A new browser view for `parent` (the built engine, or the stand-in).
TWebBrowserView *create(QWidget *parent);
// Tests and the fuzz target may force the stand-in.
void forceStub(bool on);

} // namespace WebBrowser
