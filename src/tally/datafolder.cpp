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

QString dataFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (canWriteIn(programFolder))
        return programFolder;
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(userFolder);
    return userFolder;
}

void setDataFolderForTesting(const QString& path)
{
    overrideFolder() = path;
}
