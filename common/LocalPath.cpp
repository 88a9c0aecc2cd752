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
// The path under the first prefix of `map` that it starts with; empty when none matches.
QString mappedWith(const QString &path, const QList<QPair<QString, QString>> &map) {
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
    return translate(path, PathMap());
}

QString mappedPath(const QString &path) {
    return mappedWith(path, PathMap());
}

QString translate(const QString &path, const QList<QPair<QString, QString>> &map, bool *unmapped) {
    const QString mapped = mappedWith(path, map);
    if (unmapped) {
        const QString winPath = QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
        const bool unc = winPath.startsWith(QLatin1String("\\\\"));
        const bool drive = winPath.size() > 1 && winPath[0].isLetter() && winPath[1] == QLatin1Char(':') &&
                           (winPath.size() == 2 || winPath[2] == QLatin1Char('\\'));
        *unmapped = mapped.isEmpty() && (unc || drive);
    }
    return mapped.isEmpty() ? QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')) : mapped;
}

} // namespace LocalPath
