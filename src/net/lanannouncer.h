#pragma once
// LanAnnouncer: while a game is hosted, tells the local network about it with
// DNS-SD over multicast DNS, through the Avahi daemon (libavahi-client): service
// "_hangman._tcp" on the game port, named "<host's name>'s game", with TXT
// records for the version, the seated players, the spies and whether a game
// is running. Nothing of Avahi is touched before start(), so a solo game never
// talks to the daemon. Without a daemon it says so once through unavailable().
// Everything runs in the event loop of the creating thread (AvahiQtPoll).

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

struct AvahiClient;
struct AvahiEntryGroup;
class AvahiQtPoll;

// What a game's announcement says, and what the lobby reads back.
namespace lan {
inline constexpr char kServiceType[] = "_hangman._tcp";
inline constexpr char kVersionKey[] = "version";
inline constexpr char kPlayersKey[] = "players";
inline constexpr char kSpiesKey[] = "spies";
inline constexpr char kStateKey[] = "state";
inline constexpr char kRunning[] = "running";
inline constexpr char kWaiting[] = "waiting";
// A DNS-SD instance name holds at most 63 bytes.
constexpr int kMaxInstanceNameBytes = 63;

struct Roster {
    int players = 0; // seated people, the computer's seats not counted
    int spies = 0;
    bool running = false;
    bool operator==(const Roster&) const = default;
};

// "<hostName>'s game", the host's name shortened to fit.
QString instanceName(const QString& hostName);
// The TXT records of a game.
QList<QByteArray> txtRecords(const QByteArray& version, const Roster& roster);
} // namespace lan

class LanAnnouncer : public QObject {
    Q_OBJECT
public:
    explicit LanAnnouncer(QObject* parent = nullptr);
    // Withdraws the service.
    ~LanAnnouncer() override;

    // Starts announcing the game of hostName on port (again after stop()).
    virtual void start(const QString& hostName, quint16 port, const lan::Roster& roster);
    // Announces the new roster.
    virtual void update(const lan::Roster& roster);
    // Withdraws the service and lets go of the daemon.
    virtual void stop();
    // The name the network knows the game by (it may gain a number when taken); empty when not announced.
    QString announcedName() const { return m_announced ? m_name : QString(); }

signals:
    // The network sees the game under name.
    void announced(const QString& name);
    // No Avahi daemon can be reached: the network cannot see the game.
    void unavailable(const QString& reason);

private:
    struct Callbacks; // Avahi's callbacks, with Avahi's own types
    friend struct Callbacks;

    void connectToDaemon();
    void reconnectLater();
    void publish(AvahiClient* client);
    void renameAfterCollision();
    void reportUnavailable(const QString& reason);

    QString m_name;
    quint16 m_port = 0;
    lan::Roster m_roster;
    bool m_announced = false;
    bool m_reportedUnavailable = false;
    std::unique_ptr<AvahiQtPoll> m_poll;
    AvahiClient* m_client = nullptr;
    AvahiEntryGroup* m_group = nullptr;
};
