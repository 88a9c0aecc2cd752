// Calculations of the main window that need no window: where the setup file is, window sizes,
// the port of a host setting and which work files are old enough to delete.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QRect>
#include <QString>
#include <QStringList>

namespace MainWindowLogic {

// The setup file: the first argument when given (unchanged when it is a path, else beside the
// program), else "orva.inf" beside the program, else the user's own configuration folder.
QString SetupFilePath(const QStringList &arguments, const QString &programDir, const QString &userConfigDir);

// Width and height of the window around a terminal of the given size.
QSize TerminalWindowSize(int columns, int rows, bool scrollback, int cellWidth, int cellHeight,
                         int toolBarHeight, int menuBarHeight);

// Keeps a window of the given size on the desktop: not past its right or bottom edge, not left of or
// above its top left.
QPoint ClampToDesktop(QPoint place, QSize size, const QRect &desktop);

struct HostAndPort {
    QByteArray host;
    int port = 23;
};
// Host setting "name[:port]" (or "[v6][:port]") as the connect command reads it: a port that is not
// blank replaces the one in use; "name:" and "name" keep it; "name:abc" gives 23. An IPv6 address
// written without brackets is a host alone.
HostAndPort ParseHostSetting(const QByteArray &setting, int currentPort);

// Work files deleted at close: "Recover.*.txc" and "Audiodata.*" older than 7 days, "LastReport.*.txc"
// older than 1 day (names compared without case).
bool IsOldWorkFile(const QString &fileName, const QDateTime &lastWrite, const QDateTime &now);
// Deletes those in `folder`, and the plain-text copies of the last report message and the last
// upload, which hold patient data.
void CleanWorkFiles(const QString &folder, const QDateTime &now);

} // namespace MainWindowLogic
