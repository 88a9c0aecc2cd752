// File-system calls that a hung network share can block without end (a stat, an open, a read) run
// in a worker; the window waits for the answer a bounded time and takes no answer as a failure. A
// worker that never comes back is left to the share; it owns what it works on and holds nothing
// the window still uses, and the program's exit does not wait for it.
#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

class UserMessages;

namespace FileWait {

// How long the window waits for a share before it gives up on it.
constexpr int kDefaultMs = 10000;

namespace detail {
// Workers started and not yet ended.
std::atomic<int> &Running();
// Files whose worker has not come back since the window stopped waiting for it: a new wait for
// one of them ends at once, without a second notice.
void Abandoned(const QString &file);
void Answered(const QString &file);
bool StillAbandoned(const QString &file);

// Ends the watched wait below when the worker has answered; set while the wait runs.
struct Waker {
    std::function<void()> wake;
};

// Lets the window thread go on handling events (repaints, timers) until `answered` says so, the
// deadline passes or the user presses Escape; user input meanwhile is held back, keys are handed
// on afterwards. True when the worker answered; `cancelled` tells Escape from the deadline. Waits
// without handling events off the window thread or without an application.
bool WatchedWait(const std::function<bool()> &answered, const std::shared_ptr<std::mutex> &mutex,
                 const std::shared_ptr<Waker> &waker, int timeoutMs, bool &cancelled);
} // namespace detail

// How a watched wait ended.
enum class Outcome { Answered, NoAnswer, Cancelled };

namespace detail {
// Tells the user of a file that did not answer, traces one the user gave up on.
void Ended(const QString &file, int timeoutMs, Outcome outcome);
} // namespace detail

// Runs `work` (copyable, without references to the caller's state) in a detached worker that
// owns its data; `ready` tells the caller when the worker has answered or `wait` has run out.
template <class Work> struct Job {
    using Result = decltype(std::declval<Work>()());
    struct Shared {
        std::shared_ptr<std::mutex> mutex = std::make_shared<std::mutex>();
        std::condition_variable done;
        std::optional<Result> result;
        std::shared_ptr<detail::Waker> waker = std::make_shared<detail::Waker>();
        // Set when the window stopped waiting: the file counts as not answering until the worker
        // comes back.
        QString abandonedFile;
    };
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();

    explicit Job(Work work) {
        ++detail::Running();
        std::thread([shared = shared, work = std::move(work)]() mutable {
            Result r = work();
            {
                const std::lock_guard<std::mutex> lock(*shared->mutex);
                shared->result = std::move(r);
                shared->done.notify_all();
                if (shared->waker->wake)
                    shared->waker->wake();
                if (!shared->abandonedFile.isNull())
                    detail::Answered(shared->abandonedFile);
            }
            --detail::Running();
        }).detach();
    }
};

// Runs `work` in a worker; its result, or nothing when it has not answered within `timeoutMs`.
// The calling thread blocks meanwhile: for workers and tests, not for the window.
template <class Work> auto Bounded(Work work, int timeoutMs) -> std::optional<decltype(work())> {
    Job<Work> job(std::move(work));
    auto &s = *job.shared;
    std::unique_lock<std::mutex> lock(*s.mutex);
    if (!s.done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return s.result.has_value(); }))
        return std::nullopt;
    return std::move(s.result);
}

// Runs `work`, which touches `file` (as the user knows it), in a worker while the window keeps
// answering under the busy cursor: it repaints and its timers run, and Escape gives up the wait.
// When the deadline passes, the user is told once which file did not answer. Nothing when the
// file did not answer or the user gave up; `outcome`, when given, says which.
// `tellUser` false leaves the notice to the caller, who reports the failure in its own words.
template <class Work>
auto Watched(const QString &file, Work work, int timeoutMs = kDefaultMs, Outcome *outcome = nullptr,
             bool tellUser = true) -> std::optional<decltype(work())>;

// Where the window's notices of a file that did not answer go (the main window's boxes); none
// leaves them to the trace.
void SetMessages(UserMessages *messages);
// Tells the user (and the trace) that `file` did not answer within `timeoutMs`.
void ReportNoAnswer(const QString &file, int timeoutMs);
// Workers that have not come back yet (the program's exit does not wait for them).
int WorkersRunning();
// The end of main, after the windows are gone: returns `code` when no worker is out; with one
// still stuck on a share, ends the process at once with `code` (output flushed), so that the
// teardown of the libraries' data cannot run under a worker that the share lets go meanwhile.
int LeaveWorkers(int code);

// QFileInfo::exists and isDir on a local path, in a watched wait without a notice; false (and
// traced) when the share does not answer or the user gives up.
bool Exists(const QString &localPath, int timeoutMs = kDefaultMs);
bool IsFolder(const QString &localPath, int timeoutMs = kDefaultMs);
bool IsFile(const QString &localPath, int timeoutMs = kDefaultMs);
// Traces a share that did not answer in time.
void TraceNoAnswer(const QString &what, const QString &localPath);

namespace detail {
template <class Work>
auto Watch(const QString &file, Work work, int timeoutMs, Outcome &how) -> std::optional<decltype(work())> {
    if (StillAbandoned(file)) {
        how = Outcome::NoAnswer;
        return std::nullopt;
    }
    Job<Work> job(std::move(work));
    const auto shared = job.shared;
    bool cancelled = false;
    const bool answered = WatchedWait([shared] { return shared->result.has_value(); }, shared->mutex,
                                      shared->waker, timeoutMs, cancelled);
    const std::lock_guard<std::mutex> lock(*shared->mutex);
    if (answered || shared->result) {
        how = Outcome::Answered;
        return std::move(shared->result);
    }
    how = cancelled ? Outcome::Cancelled : Outcome::NoAnswer;
    if (how == Outcome::NoAnswer) {
        shared->abandonedFile = file;
        Abandoned(file);
    }
    return std::nullopt;
}
} // namespace detail

template <class Work>
auto Watched(const QString &file, Work work, int timeoutMs, Outcome *outcome, bool tellUser)
    -> std::optional<decltype(work())> {
    Outcome how = Outcome::Answered;
    const bool toldBefore = detail::StillAbandoned(file);
    auto result = detail::Watch(file, std::move(work), timeoutMs, how);
    if (outcome)
        *outcome = how;
    if (!toldBefore && tellUser)
        detail::Ended(file, timeoutMs, how);
    else if (!toldBefore && how != Outcome::Answered)
        TraceNoAnswer(QStringLiteral("file"), file);
    return result;
}

} // namespace FileWait
