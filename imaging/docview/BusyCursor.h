// The hourglass for the length of a scope: set on entry (when asked for), taken away on leaving,
// whether the work ended or threw.
#pragma once

#include <QApplication>

namespace orva::imaging {

class BusyCursor {
public:
    explicit BusyCursor(bool on = true) : m_on(on) {
        if (m_on) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    ~BusyCursor() {
        if (m_on) {
            QApplication::restoreOverrideCursor();
        }
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_on;
};

} // namespace orva::imaging
