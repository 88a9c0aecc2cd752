// What a test of a wait on a file that does not answer watches: the notices the user is given, and
// a window timer that has to keep firing while the wait goes on.
#pragma once

#include "common/FileWait.h"
#include "common/testing/RecordingMessages.h"

#include <QObject>
#include <QTimer>

class DeadShareWatch {
public:
    DeadShareWatch() {
        FileWait::SetMessages(&messages);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { ++ticks; });
        m_timer.start(50);
    }
    ~DeadShareWatch() { FileWait::SetMessages(nullptr); }
    DeadShareWatch(const DeadShareWatch &) = delete;
    DeadShareWatch &operator=(const DeadShareWatch &) = delete;

    RecordingMessages messages;
    // Fires every 50 ms while the window's event loop turns.
    int ticks = 0;
    // A frozen window lets no tick through during a wait; a machine under load lets fewer through
    // than the wait's length would give, so a few are what shows the loop kept turning.
    bool keptTurning() const { return ticks >= 3; }

private:
    QTimer m_timer;
};
