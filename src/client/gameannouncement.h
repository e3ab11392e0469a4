#pragma once
// A hosted game told to the local network: the announcement starts with hosting
// a game for others (never a solo one), follows the game server's roster and is
// withdrawn as the program ends; what the announcer reports becomes chat lines.

#include "net/lanannouncer.h"

#include <QObject>
#include <QString>

class HostedServer;

class GameAnnouncement : public QObject {
    Q_OBJECT
public:
    // Announces through the announcer the server's game; either may be missing, and then nothing is announced.
    GameAnnouncement(LanAnnouncer* announcer, HostedServer* server, QObject* parent = nullptr);

    // Announces the host's game under the host's name.
    void start(const QString& hostName);
    // Withdraws the announcement.
    void stop();

signals:
    // A line for the host's chat.
    void line(const QString& text);

private:
    void update();
    lan::Roster roster() const;
    void announced(const QString& name);
    void unavailable(const QString& reason);

    LanAnnouncer* m_announcer;
    HostedServer* m_server;
    bool m_announcing = false;
};
