// Tests reach the main window's parts by the object names the design gives them, as a user reaches
// them by sight: a part that is not there ends the test program with its name.
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

template <class T> T *child(const QObject *root, const char *name = nullptr) {
    T *found = name ? root->findChild<T *>(QString::fromLatin1(name)) : root->findChild<T *>();
    if (!found) {
        qFatal("no %s named \"%s\"", T::staticMetaObject.className(), name ? name : "");
    }
    return found;
}
