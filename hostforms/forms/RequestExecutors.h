// The executors of request types 2, 3, 4, 6 and 7 and of control actions on objects. These
// stand-ins return an empty result and leave a trace; the dispatcher calls them through this
// interface so that the full executors can take their place.
#pragma once

#include <QByteArray>

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
};
