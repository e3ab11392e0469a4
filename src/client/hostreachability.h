#pragma once
// How friends reach a hosted game: the game port asked for on the router while
// it is wanted, the honest chat lines about what the router answered, and the
// invitation link with the best address for them. No router (tests, a joiner)
// still gives a link to this computer's own addresses.

#include "net/portmapping.h"

#include <QObject>
#include <QString>

class HostReachability : public QObject {
    Q_OBJECT
public:
    struct Invitation {
        QString link;
        bool lanOnly = false; // only players on this network can use it
    };

    // Reports on the mapping, which may be missing.
    explicit HostReachability(PortMapping* mapping, QObject* parent = nullptr);

    // Asks the router for the port (true) or gives it back (false); a repeat changes nothing.
    void setWanted(bool wanted);
    // Gives the port back and waits a little for the router, as the program ends.
    void stopForExit();
    // The link friends join with, at the best address known now.
    Invitation invitationLink() const;
    // Puts the invitation link on the clipboard and says so.
    void copyInvitationLink();

signals:
    // A line for the host's chat.
    void line(const QString& text);

private:
    void portOpened(const QString& externalIPv4, const QString& globalIPv6, bool routerOnline);
    void portNotOpened(PortMapping::Failure reason, const QString& detail);
    QString unreachableAdvice(const QString& condition) const;
    QString ownGlobalIPv6() const;
    QString port() const;
    void report(const QString& text);

    PortMapping* m_mapping;
    bool m_started = false;
    QString m_publicIPv4; // the router's external address, when friends outside reach the game there
};
