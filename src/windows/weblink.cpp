#include "windows/weblink.h"

#include "windows/desktop.h"

#include <QUrl>

QString WebLink::fullAddress() const
{
    return QStringLiteral("http://") + m_address;
}

void WebLink::open(Desktop& desktop) const
{
    desktop.openUrl(QUrl(fullAddress()));
}
