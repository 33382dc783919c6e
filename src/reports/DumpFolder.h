// The folder the open and save dialogs start in until a register dump file
// has been opened or saved ("FileDir" remembers the folder after that).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// True when a file can be made in the folder: it exists, is a folder, and the
// effective user may write there (a read-only file system counts as not).
bool IsWritableFolder(const QString& folder);

// The first of the places in which a file can be written, with a trailing
// separator; the first place when none can be written.
QString StartFolder(const QStringList& places,
                    const std::function<bool(const QString&)>& writable = IsWritableFolder);

// The program's own folder where files can be written there; an installed
// program's folder (/usr/bin) cannot be, so then the user's documents folder,
// or the home folder where there is no documents folder.
QString DefaultFileFolder(const QString& exeDir,
                          const std::function<bool(const QString&)>& writable = IsWritableFolder);

// Directory part of a path: everything up to and including the last
// separator; empty when there is none.
QString DirectoryPart(const QString& path);
