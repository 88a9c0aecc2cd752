// File-system calls that a hung network share can block without end (a stat, an open) run in a
// worker; the window waits for the answer a bounded time and takes no answer as a failure. A
// worker that never comes back is left to the share; it holds nothing the window still uses.
#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace FileWait {

// How long the window waits for a share before it gives up on it.
constexpr int kDefaultMs = 10000;

// Runs `work` (copyable, without references to the caller's state) in a worker; its result, or
// nothing when it has not answered within `timeoutMs`.
template <class Work> auto Bounded(Work work, int timeoutMs) -> std::optional<decltype(work())> {
    using Result = decltype(work());
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, work = std::move(work)]() mutable {
        Result r = work();
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->result = std::move(r);
        shared->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return shared->result.has_value(); }))
        return std::nullopt;
    return std::move(shared->result);
}

// QFileInfo::exists and isDir on a local path, false (and traced) when the share does not answer.
bool Exists(const QString &localPath, int timeoutMs = kDefaultMs);
bool IsFolder(const QString &localPath, int timeoutMs = kDefaultMs);
// Traces a share that did not answer in time.
void TraceNoAnswer(const QString &what, const QString &localPath);

} // namespace FileWait
