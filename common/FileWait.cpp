#include "common/FileWait.h"

#include "common/Trace.h"
#include "common/UserMessages.h"
#include "common/WaitCursor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace FileWait {

namespace {

UserMessages *g_messages = nullptr;

// How long the window waits without handling events before it lets them through.
constexpr int kQuietMs = 100;

// Holds the user's input back while the window waits for a share: nothing the user does starts
// other work meanwhile, Escape gives the wait up, and the keys typed are handed on afterwards.
class InputHold : public QObject {
public:
    InputHold(QEventLoop &loop, bool &cancelled) : m_loop(loop), m_cancelled(cancelled) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputHold() override {
        QCoreApplication::instance()->removeEventFilter(this);
        for (Kept &k : m_keys) {
            if (k.target)
                QCoreApplication::postEvent(k.target, k.event.release());
        }
    }
    InputHold(const InputHold &) = delete;
    InputHold &operator=(const InputHold &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!event->spontaneous())
            return false;
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Taken as a plain key, so that no menu shortcut fires under the wait.
            event->accept();
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                m_cancelled = true;
                m_loop.quit();
                return true;
            }
            [[fallthrough]];
        case QEvent::KeyRelease:
            if (static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape)
                m_keys.push_back({QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone())});
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu:
        case QEvent::Close:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }

private:
    struct Kept {
        QPointer<QObject> target;
        std::unique_ptr<QEvent> event;
    };
    QEventLoop &m_loop;
    bool &m_cancelled;
    std::vector<Kept> m_keys;
};

} // namespace

namespace detail {

namespace {
std::mutex &abandonedMutex() {
    static auto *m = new std::mutex;
    return *m;
}
// Per file, the workers the window stopped waiting for that have not come back.
QHash<QString, int> &abandoned() {
    static auto *files = new QHash<QString, int>;
    return *files;
}
} // namespace

void Abandoned(const QString &file) {
    const std::lock_guard<std::mutex> lock(abandonedMutex());
    ++abandoned()[file];
}

void Answered(const QString &file) {
    const std::lock_guard<std::mutex> lock(abandonedMutex());
    const auto it = abandoned().find(file);
    if (it != abandoned().end() && --it.value() <= 0)
        abandoned().erase(it);
}

bool StillAbandoned(const QString &file) {
    const std::lock_guard<std::mutex> lock(abandonedMutex());
    return abandoned().contains(file);
}

std::atomic<int> &Running() {
    // Never destroyed: a worker may still end while the program exits.
    static auto *running = new std::atomic<int>(0);
    return *running;
}

bool WatchedWait(const std::function<bool()> &answered, const std::shared_ptr<std::mutex> &mutex,
                 const std::shared_ptr<Waker> &waker, int timeoutMs, bool &cancelled) {
    cancelled = false;
    QCoreApplication *app = QCoreApplication::instance();
    // A file that answers at once is waited for without handling any event, as any quick call;
    // only a share that is slow to answer hands the window back to its event loop.
    const bool window = app && QThread::currentThread() == app->thread();
    const int quietMs = window ? std::min(timeoutMs, kQuietMs) : timeoutMs;
    {
        std::condition_variable woken;
        std::unique_lock<std::mutex> lock(*mutex);
        waker->wake = [&woken] { woken.notify_all(); };
        const bool ok = woken.wait_for(lock, std::chrono::milliseconds(quietMs), answered);
        waker->wake = nullptr;
        if (ok || !window || quietMs >= timeoutMs)
            return ok;
    }
    QEventLoop loop;
    {
        const std::lock_guard<std::mutex> lock(*mutex);
        if (answered())
            return true;
        waker->wake = [&loop] {
            QMetaObject::invokeMethod(
                &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
        };
    }
    {
        const WaitCursor busy(qobject_cast<QGuiApplication *>(app) != nullptr);
        const InputHold hold(loop, cancelled);
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(timeoutMs - quietMs);
        // The host's bytes wait in the socket until the file has answered: a message from the
        // host handled in the middle of the work that waits here could change what it works on.
        loop.exec(QEventLoop::ExcludeSocketNotifiers);
    }
    const std::lock_guard<std::mutex> lock(*mutex);
    waker->wake = nullptr;
    return answered() && !cancelled;
}

void Ended(const QString &file, int timeoutMs, Outcome outcome) {
    if (outcome == Outcome::NoAnswer)
        ReportNoAnswer(file, timeoutMs);
    else if (outcome == Outcome::Cancelled)
        ORVA_TRACE(QStringLiteral("wait for a file given up"), file);
}

} // namespace detail

void SetMessages(UserMessages *messages) {
    g_messages = messages;
}

void ReportNoAnswer(const QString &file, int timeoutMs) {
    TraceNoAnswer(QStringLiteral("file"), file);
    if (g_messages)
        g_messages->error(
            QStringLiteral("File Not Answering"),
            QStringLiteral("The file\r\n%1\r\ndid not answer within %2 seconds; it may sit on a "
                           "network share that is not available.")
                .arg(file)
                .arg((timeoutMs + 999) / 1000));
}

int WorkersRunning() {
    return detail::Running().load();
}

int LeaveWorkers(int code) {
    if (WorkersRunning() == 0)
        return code;
    ORVA_TRACE(QStringLiteral("program ends"),
               QStringLiteral("%1 file worker(s) left to their share").arg(WorkersRunning()));
    std::fflush(nullptr);
    std::_Exit(code);
}

void TraceNoAnswer(const QString &what, const QString &localPath) {
    ORVA_TRACE(what + QStringLiteral(" did not answer in time"), localPath);
}

namespace {

// A watched wait that leaves telling the user to the caller.
template <class Work> std::optional<bool> quietly(const QString &file, Work work, int timeoutMs) {
    Outcome how = Outcome::Answered;
    return detail::Watch(file, std::move(work), timeoutMs, how);
}

} // namespace

bool Exists(const QString &localPath, int timeoutMs) {
    const std::optional<bool> answer = quietly(
        localPath, [localPath] { return QFileInfo::exists(localPath); }, timeoutMs);
    if (!answer)
        TraceNoAnswer(QStringLiteral("file"), localPath);
    return answer.value_or(false);
}

bool IsFolder(const QString &localPath, int timeoutMs) {
    const std::optional<bool> answer = quietly(
        localPath, [localPath] { return QFileInfo(localPath).isDir(); }, timeoutMs);
    if (!answer)
        TraceNoAnswer(QStringLiteral("folder"), localPath);
    return answer.value_or(false);
}

bool IsFile(const QString &localPath, int timeoutMs) {
    const std::optional<bool> answer = quietly(
        localPath, [localPath] { return QFileInfo(localPath).isFile(); }, timeoutMs);
    if (!answer)
        TraceNoAnswer(QStringLiteral("file"), localPath);
    return answer.value_or(false);
}

} // namespace FileWait
