#include "common/FileWait.h"

#include "common/Trace.h"

#include <QFileInfo>

namespace FileWait {

void TraceNoAnswer(const QString &what, const QString &localPath) {
    ORVA_TRACE(what + QStringLiteral(" did not answer in time"), localPath);
}

bool Exists(const QString &localPath, int timeoutMs) {
    const std::optional<bool> answer =
        Bounded([localPath] { return QFileInfo::exists(localPath); }, timeoutMs);
    if (!answer)
        TraceNoAnswer(QStringLiteral("file"), localPath);
    return answer.value_or(false);
}

bool IsFolder(const QString &localPath, int timeoutMs) {
    const std::optional<bool> answer =
        Bounded([localPath] { return QFileInfo(localPath).isDir(); }, timeoutMs);
    if (!answer)
        TraceNoAnswer(QStringLiteral("folder"), localPath);
    return answer.value_or(false);
}

} // namespace FileWait
