// A cursor over the whole program while a piece of work runs: the hourglass unless another is given
// (the printer while printing), put back when the work ends, whether it returned or threw. `on`
// false makes it do nothing, for work that is long only sometimes.
#pragma once

#include <QCursor>
#include <QGuiApplication>

class WaitCursor {
public:
    explicit WaitCursor(bool on = true) : WaitCursor(QCursor(Qt::WaitCursor), on) {}
    explicit WaitCursor(const QCursor &cursor, bool on = true) : m_on(on) {
        if (m_on)
            QGuiApplication::setOverrideCursor(cursor);
    }
    ~WaitCursor() {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool m_on;
};
