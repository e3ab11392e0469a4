#include "windows/desktop.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

bool SystemDesktop::openUrl(const QUrl& address)
{
    return QDesktopServices::openUrl(address);
}

bool SystemDesktop::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}
