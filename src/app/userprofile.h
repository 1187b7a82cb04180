// The user's profile: one INI file ("Oramek", "Pylvex": ~/.config/Oramek/Pylvex.ini)
// for every setting the window keeps, and the folders its file pickers remember
// (group "PrevPath", one entry per caller key, spelled as stored files have it).
#pragma once

#include <QSettings>
#include <QString>

// The profile file, opened for reading and writing.
QSettings UserProfile();

// The folder remembered under a file picker's key; empty when none.
QString RememberedFolder(const QString &key);
// Remembers the folder of path under key when that folder exists.
void RememberFolderOf(const QString &key, const QString &path);
// Where a picker opens: the remembered folder when it still exists, else the
// user's documents folder (never the process's working folder).
QString StartFolder(const QString &key);

// Earlier versions kept the pickers' folders in a second file beside the
// profile (Pylvex.conf). Its entries that the profile does not hold yet are
// copied over once, and the stray file is removed after a successful copy.
void AdoptStrayProfile();
