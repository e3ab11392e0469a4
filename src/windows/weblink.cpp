#include "windows/weblink.h"

#include <QDesktopServices>

namespace {

WebLink::Opener& opener()
{
    static WebLink::Opener current;
    return current;
}

} // namespace

QString WebLink::prefix(Kind kind)
{
    switch (kind) {
    case Kind::File: return "file://";
    case Kind::Ftp: return "ftp://";
    case Kind::Gopher: return "gopher://";
    case Kind::Http: return "http://";
    case Kind::Https: return "https://";
    case Kind::Mailto: return "mailto:";
    case Kind::News: return "news:";
    case Kind::Telnet: return "telnet:";
    case Kind::Wais: return "wais:";
    case Kind::None: return {};
    }
    return {};
}

QString WebLink::fullAddress() const
{
    return prefix(m_kind) + m_address;
}

void WebLink::open() const
{
    const QUrl url(fullAddress());
    if (opener())
        opener()(url);
    else
        QDesktopServices::openUrl(url);
}

void WebLink::setOpener(Opener replacement)
{
    opener() = std::move(replacement);
}
