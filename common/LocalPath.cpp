// Path translation table shared by every subsystem that opens files named by the host or setup file.
#include "common/LocalPath.h"

#include <QMutex>

namespace LocalPath {

namespace {
QMutex &mapMutex() {
    static QMutex m;
    return m;
}
QList<QPair<QString, QString>> &mapTable() {
    static QList<QPair<QString, QString>> table;
    return table;
}
QString backslashed(QString p) {
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (p.endsWith(QLatin1Char('\\')) && p.size() > 1) {
        p.chop(1);
    }
    return p;
}
} // namespace

void SetPathMap(const QList<QPair<QString, QString>> &map) {
    QMutexLocker lock(&mapMutex());
    mapTable() = map;
}

QList<QPair<QString, QString>> PathMap() {
    QMutexLocker lock(&mapMutex());
    return mapTable();
}

QString toLocalPath(const QString &path) {
    const QString mapped = mappedPath(path);
    return mapped.isEmpty() ? QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')) : mapped;
}

QString mappedPath(const QString &path) {
    const QList<QPair<QString, QString>> map = PathMap();
    const QString winPath = QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
    for (const auto &[from, to] : map) {
        const QString prefix = backslashed(from);
        if (prefix.isEmpty() || !winPath.startsWith(prefix, Qt::CaseInsensitive)) {
            continue;
        }
        const QString rest = winPath.mid(prefix.size());
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char('\\'))) {
            continue; // \\srv\images must not match \\srv\images2
        }
        QString local = to;
        while (local.endsWith(QLatin1Char('/')) && local.size() > 1) {
            local.chop(1);
        }
        return local + QString(rest).replace(QLatin1Char('\\'), QLatin1Char('/'));
    }
    return {};
}

} // namespace LocalPath
