#include "reports/DumpFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace {

QString withSeparator(const QString& folder)
{
    return folder.endsWith(u'/') || folder.endsWith(u'\\') ? folder : folder + u'/';
}

} // namespace

bool IsWritableFolder(const QString& folder)
{
    // isWritable asks the system (access), which also says no on a read-only
    // file system, where root could not write either.
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

QString StartFolder(const QStringList& places, const std::function<bool(const QString&)>& writable)
{
    for (const QString& place : places)
        if (!place.isEmpty() && writable(place)) return withSeparator(place);
    return places.isEmpty() || places.first().isEmpty() ? QString() : withSeparator(places.first());
}

QString DefaultFileFolder(const QString& exeDir,
                          const std::function<bool(const QString&)>& writable)
{
    return StartFolder({exeDir, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                        QDir::homePath()},
                       writable);
}

QString DirectoryPart(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return slash < 0 ? QString() : path.left(slash + 1);
}
