// The executors of request types 2 to 7 on workspaces and controls that exist: destroy, move,
// clear, control actions, update and query. Each returns an error text (empty on success) that
// the dispatcher sends; replies sent "at once" go through the list's HostSender. The dispatcher
// calls them through this class so that a test can stand in for one.
#pragma once

#include <QByteArray>
#include <optional>

class TObjectRequest;
class TWorkspaceList;

class TRequestExecutors {
public:
    virtual ~TRequestExecutors() = default;
    virtual QByteArray ExecuteDestroy(const TObjectRequest &request, TWorkspaceList &list);
    virtual QByteArray ExecuteMove(const TObjectRequest &request, TWorkspaceList &list);
    virtual QByteArray ExecuteClear(const TObjectRequest &request, TWorkspaceList &list);
    virtual QByteArray ExecuteUpdate(const TObjectRequest &request, TWorkspaceList &list);
    virtual QByteArray ExecuteQuery(const TObjectRequest &request, TWorkspaceList &list);
    virtual QByteArray ExecuteControl(const TObjectRequest &request, TWorkspaceList &list);

    // The screen's cursor number (0 default, negatives the standard cursors) and its reset, for a
    // host that set the busy cursor and then lost the link.
    static int ScreenCursor();
    static void RestoreScreenCursor();
};

namespace ScreenCursors {
// The Qt cursor of a cursor number; none for numbers that name no cursor (positive ones).
std::optional<int> shapeOf(int number);
} // namespace ScreenCursors
