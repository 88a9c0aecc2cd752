// Main-window calculations.
#include "app/MainWindowLogic.h"

#include "common/GDFileManip.h"
#include "common/SetupFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>

namespace MainWindowLogic {

QString SetupFilePath(const QStringList &arguments, const QString &programDir, const QString &userConfigDir) {
    if (arguments.size() > 1 && !arguments.at(1).isEmpty()) {
        const QString arg = arguments.at(1);
        // A Windows path (":" or "\") and any Linux path ("/") are used as given.
        if (arg.contains(QLatin1Char(':')) || arg.contains(QLatin1Char('\\')) ||
            arg.contains(QLatin1Char('/'))) {
            return arg;
        }
        return programDir + arg;
    }
    const QString beside = programDir + QStringLiteral("orva.inf");
    if (QFileInfo::exists(beside) || userConfigDir.isEmpty()) {
        return beside;
    }
    const QString user = userConfigDir + QStringLiteral("/orva/orva.inf");
    return QFileInfo::exists(user) ? user : beside;
}

QSize TerminalWindowSize(int columns, int rows, bool scrollback, int cellWidth, int cellHeight,
                         int toolBarHeight, int menuBarHeight) {
    const int width = (columns + 1 + (scrollback ? 1 : 0)) * cellWidth + 8;
    const int height = (rows + 1) * cellHeight + toolBarHeight + menuBarHeight;
    return {width, height};
}

QPoint ClampToDesktop(QPoint place, QSize size, const QRect &desktop) {
    int left = std::min(place.x(), desktop.right() + 1 - size.width());
    int top = std::min(place.y(), desktop.bottom() + 1 - size.height());
    left = std::max(left, desktop.left());
    top = std::max(top, desktop.top());
    return {left, top};
}

HostAndPort ParseHostSetting(const QByteArray &setting, int currentPort) {
    const SetupFile::THostParts parts = SetupFile::SplitHostText(setting);
    HostAndPort result{parts.Host, currentPort};
    if (!parts.HasPort || parts.Port.isEmpty()) {
        return result;
    }
    int port = 23;
    const QByteArray &text = parts.Port;
    const auto [end, ec] = std::from_chars(text.constData(), text.constData() + text.size(), port);
    if (ec != std::errc() || end != text.constData() + text.size() || port <= 0 || port > 65535) {
        port = 23;
    }
    result.port = port;
    return result;
}

bool IsOldWorkFile(const QString &fileName, const QDateTime &lastWrite, const QDateTime &now) {
    const qint64 age = lastWrite.secsTo(now);
    constexpr qint64 day = 24 * 3600;
    if (GDFileManip::MatchesMask(fileName, QStringLiteral("Recover.*.txc")) ||
        GDFileManip::MatchesMask(fileName, QStringLiteral("Audiodata.*"))) {
        return age > 7 * day;
    }
    if (GDFileManip::MatchesMask(fileName, QStringLiteral("LastReport.*.txc"))) {
        return age > day;
    }
    return false;
}

void CleanWorkFiles(const QString &folder, const QDateTime &now) {
    const QDir dir(folder);
    for (const QFileInfo &fi : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
        if (IsOldWorkFile(fi.fileName(), fi.lastModified(), now)) {
            QFile::remove(fi.absoluteFilePath());
        }
    }
    QFile::remove(dir.filePath(QStringLiteral("lastpendrastring.txt")));
    QFile::remove(dir.filePath(QStringLiteral("Datacopy.txt")));
}

} // namespace MainWindowLogic
