// Reading files the host names.
#include "hostforms/forms/HostFiles.h"

#include "common/HostText.h"
#include "common/LocalPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace HostFiles {

namespace {
Policy g_policy;
} // namespace

void setPolicy(const Policy &p) {
    g_policy = p;
}

const Policy &policy() {
    return g_policy;
}

Result check(const QByteArray &hostPath) {
    Result r;
    r.path = LocalPath::toLocalPath(HostText::toUnicode(hostPath));
    if (r.path.isEmpty()) {
        return r;
    }
    const QFileInfo info(r.path);
    if (!info.exists()) {
        return r;
    }
    if (!g_policy.Roots.isEmpty()) {
        const QString canonical = info.canonicalFilePath();
        bool inside = false;
        for (const QString &root : g_policy.Roots) {
            const QString c = QDir(root).canonicalPath();
            if (!c.isEmpty() && canonical.startsWith(c + '/')) {
                inside = true;
            }
        }
        if (!inside) {
            r.status = Status::Refused;
            r.reason = "File " + hostPath + " is outside the permitted folders.";
            return r;
        }
    }
    if (!info.isFile()) {
        r.status = Status::Refused;
        r.reason = "File " + hostPath + " is not a regular file.";
        return r;
    }
    if (info.size() > g_policy.MaxSize) {
        r.status = Status::Refused;
        r.reason = "File " + hostPath + " is too large.";
        return r;
    }
    r.status = Status::Ok;
    return r;
}

Result read(const QByteArray &hostPath) {
    Result r = check(hostPath);
    if (r.status != Status::Ok) {
        return r;
    }
    QFile f(r.path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.status = Status::Refused;
        r.reason = f.errorString().toLocal8Bit();
        return r;
    }
    r.data = f.read(g_policy.MaxSize + 1);
    if (r.data.size() > g_policy.MaxSize) {
        r.status = Status::Refused;
        r.reason = "File " + hostPath + " is too large.";
        r.data.clear();
    }
    return r;
}

} // namespace HostFiles
