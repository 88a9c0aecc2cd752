// The one writer of the editor's work files.
#include "editor/report/WorkFile.h"

#include <QFile>

bool writePrivate(const QString &path, const QByteArray &data, QString *error) {
    QFile f(path);
    auto fail = [&] {
        if (error)
            *error = f.errorString().isEmpty() ? QStringLiteral("The file could not be written.")
                                               : f.errorString();
        return false;
    };
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (f.write(data) != data.size() || !f.flush())
        return fail();
    f.close();
    if (f.error() != QFileDevice::NoError)
        return fail();
    return true;
}
