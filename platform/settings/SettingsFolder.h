// The one folder of the program's per-user settings: the store of its registry keys, the effects
// dialog's settings file and the annotation settings all live there, so that a user's settings are
// found, copied and removed together.
#pragma once

#include <QString>
#include <QStringList>

namespace SettingsFolder {

// The folder of the registry keys' store (made when a setting is first written).
QString Path();

// The settings file `name` in the folder. A user whose file is only where an earlier version kept
// it (one of `formerFolders`, first found wins) gets a copy of it here first, so no stored setting
// is lost; should the copy fail, the former file is the one used.
QString File(const QString &name, const QStringList &formerFolders = {});

} // namespace SettingsFolder
