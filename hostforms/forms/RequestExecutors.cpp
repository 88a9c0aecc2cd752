// Stand-in executors: traced, empty result.
#include "hostforms/forms/RequestExecutors.h"

#include "common/Trace.h"
#include "common/objectrequest/TObjectRequest.h"

namespace {
QByteArray traced(const char *what, const TObjectRequest &request) {
    ORVA_TRACE(what, request.ObjectName);
    return {};
}
} // namespace

QByteArray TRequestExecutors::ExecuteDestroy(const TObjectRequest &r, TWorkspaceList &) {
    return traced("hostforms.destroy", r);
}
QByteArray TRequestExecutors::ExecuteMove(const TObjectRequest &r, TWorkspaceList &) {
    return traced("hostforms.move", r);
}
QByteArray TRequestExecutors::ExecuteClear(const TObjectRequest &r, TWorkspaceList &) {
    return traced("hostforms.clear", r);
}
QByteArray TRequestExecutors::ExecuteUpdate(const TObjectRequest &r, TWorkspaceList &) {
    return traced("hostforms.update", r);
}
QByteArray TRequestExecutors::ExecuteQuery(const TObjectRequest &r, TWorkspaceList &) {
    return traced("hostforms.query", r);
}
QByteArray TRequestExecutors::ExecuteControl(const TObjectRequest &r, TWorkspaceList &) {
    return traced("hostforms.control", r);
}
