// The one writer of the editor's work files: owner-only from the first byte, never through a link
// planted at the name, and a write that fails anywhere up to the close leaves the old file.
#include "editor/report/WorkFile.h"

#include "platform/files/PrivateFile.h"

bool writePrivate(const QString &path, const QByteArray &data, QString *error) {
    return PrivateFile::save(path, data, error);
}
