#pragma once
// LanBrowser: the games that announce themselves on the local network (see
// LanAnnouncer), found and resolved through the Avahi daemon and kept up to
// date as their hosts come and go and their players change. A game seen over
// IPv4 and IPv6, or on several interfaces, is one game with several addresses.
// Everything runs in the event loop of the creating thread (AvahiQtPoll).

#include "net/lanannouncer.h"

#include <QObject>
#include <QStringList>
#include <map>
#include <memory>

struct AvahiServiceBrowser;
struct AvahiServiceResolver;

// One game found on the network.
struct LanGame {
    QString name;        // "Ann's game"
    QString version;     // of the host's copy
    lan::Roster roster;
    QStringList addresses; // IPv4 first; IPv6 link-local ones carry their interface ("fe80::1%eth0")
};

class LanBrowser : public QObject {
    Q_OBJECT
public:
    explicit LanBrowser(QObject* parent = nullptr);
    ~LanBrowser() override;

    // Starts looking; games then come through gamesChanged(), or unavailable() says why none can.
    void start();
    // The games resolved so far, by name.
    QList<LanGame> games() const;

    // Reads the TXT records of an announcement into a game (the fields it lacks stay empty).
    static void readRecords(const QList<QByteArray>& records, LanGame& game);

signals:
    void gamesChanged();
    // No Avahi daemon can be reached.
    void unavailable(const QString& reason);

private:
    struct Callbacks;
    friend struct Callbacks;
    // One sighting of a game: on one interface over one protocol.
    struct Sighting {
        AvahiServiceResolver* resolver = nullptr;
        bool resolved = false;
        LanGame game;
    };
    using Where = std::pair<int, int>; // interface, protocol

    void browse(struct AvahiClient* client);
    void found(int interface, int protocol, const char* name, const char* type, const char* domain);
    void lost(int interface, int protocol, const char* name);
    void resolved(AvahiServiceResolver* resolver, const LanGame& game);
    void reportUnavailable(const QString& reason);
    void freeAll();

    std::unique_ptr<AvahiQtPoll> m_poll;
    struct AvahiClient* m_client = nullptr;
    AvahiServiceBrowser* m_browser = nullptr;
    std::map<QString, std::map<Where, Sighting>> m_games;
    bool m_reportedUnavailable = false;
};
