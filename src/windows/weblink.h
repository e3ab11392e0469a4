#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// A web link: an address and the kind of address, which chooses the scheme put in front.
class WebLink {
public:
    enum class Kind { File, Ftp, Gopher, Http, Https, Mailto, News, Telnet, Wais, None };
    using Opener = std::function<bool(const QUrl&)>;

    // The scheme prefix written before an address of the given kind ("http://", "mailto:", "").
    static QString prefix(Kind kind);

    // Sets the address, without its scheme prefix.
    void setAddress(const QString& address) { m_address = address; }
    QString address() const { return m_address; }

    // Sets the kind of address; http unless set.
    void setKind(Kind kind) { m_kind = kind; }
    Kind kind() const { return m_kind; }

    // The address with its prefix, as it is handed to the desktop.
    QString fullAddress() const;

    // Asks the desktop to open the full address with the user's default program.
    void open() const;

    // Replaces the desktop call for every link (tests); an empty function restores it.
    static void setOpener(Opener opener);

private:
    QString m_address;
    Kind m_kind = Kind::Http;
};
