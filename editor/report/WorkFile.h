// Writing work files: recovery and last-report copies, the outgoing report, decoded documents and
// task audio. They hold patient data, so only the owner may read them.
#pragma once

#include <QByteArray>
#include <QString>

// Writes the whole of `data` to `path`, replacing what was there. False, with `error` set when given,
// when the file could not be created or written completely.
bool writePrivate(const QString &path, const QByteArray &data, QString *error = nullptr);
