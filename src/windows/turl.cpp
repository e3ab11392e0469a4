#include "windows/turl.h"

#include <QDesktopServices>

namespace {

TURL::Opener& opener()
{
    static TURL::Opener current;
    return current;
}

} // namespace

QString TURL::prefix(Kind kind)
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

QString TURL::fullAddress() const
{
    return prefix(kind_) + address_;
}

void TURL::open() const
{
    const QUrl url(fullAddress());
    if (opener())
        opener()(url);
    else
        QDesktopServices::openUrl(url);
}

void TURL::setOpener(Opener replacement)
{
    opener() = std::move(replacement);
}
