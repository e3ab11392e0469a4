#include "tally/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString& overrideFolder()
{
    static QString folder;
    return folder;
}

bool canWriteIn(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.writecheck-XXXXXX"));
    return probe.open();
}

} // namespace

QString chooseDataFolder(const QString& programFolder)
{
    if (canWriteIn(programFolder))
        return programFolder;
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(userFolder);
    return userFolder;
}

QString dataFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return chooseDataFolder(QCoreApplication::applicationDirPath());
}

void setDataFolderForTesting(const QString& path)
{
    overrideFolder() = path;
}
