#include "net/lanbrowser.h"

#include "net/avahiqtpoll.h"
#include "net/protocol.h"

#include <QHostAddress>
#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <net/if.h>

namespace {

QString addressText(AvahiIfIndex interface, const AvahiAddress* address)
{
    char text[AVAHI_ADDRESS_STR_MAX] = {};
    avahi_address_snprint(text, sizeof text, address);
    QString result = QString::fromLatin1(text);
    char name[IF_NAMESIZE] = {};
    if (address->proto == AVAHI_PROTO_INET6 && QHostAddress(result).isLinkLocal() && if_indextoname(interface, name))
        result += "%" + QString::fromLatin1(name);
    return result;
}

QList<QByteArray> records(AvahiStringList* txt)
{
    QList<QByteArray> out;
    for (AvahiStringList* item = txt; item; item = avahi_string_list_get_next(item))
        out << QByteArray(reinterpret_cast<const char*>(avahi_string_list_get_text(item)),
                          qsizetype(avahi_string_list_get_size(item)));
    return out;
}

} // namespace

struct LanBrowser::Callbacks {
    static void clientChanged(AvahiClient* client, AvahiClientState state, void* self)
    {
        auto* browser = static_cast<LanBrowser*>(self);
        if (state == AVAHI_CLIENT_S_RUNNING)
            browser->browse(client);
        else if (state == AVAHI_CLIENT_CONNECTING)
            browser->reportUnavailable("no Avahi daemon is running");
        else if (state == AVAHI_CLIENT_FAILURE)
            browser->reportUnavailable(avahi_strerror(avahi_client_errno(client)));
    }

    static void browsed(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol,
                        AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
                        AvahiLookupResultFlags, void* self)
    {
        auto* owner = static_cast<LanBrowser*>(self);
        if (event == AVAHI_BROWSER_NEW)
            owner->found(interface, protocol, name, type, domain);
        else if (event == AVAHI_BROWSER_REMOVE)
            owner->lost(interface, protocol, name);
        else if (event == AVAHI_BROWSER_FAILURE)
            owner->reportUnavailable(
                avahi_strerror(avahi_client_errno(avahi_service_browser_get_client(browser))));
    }

    static void resolvedOne(AvahiServiceResolver* resolver, AvahiIfIndex interface, AvahiProtocol,
                            AvahiResolverEvent event, const char* name, const char*, const char*, const char*,
                            const AvahiAddress* address, uint16_t, AvahiStringList* txt, AvahiLookupResultFlags,
                            void* self)
    {
        if (event != AVAHI_RESOLVER_FOUND || !address)
            return;
        LanGame game;
        game.name = QString::fromUtf8(name);
        game.addresses << addressText(interface, address);
        readRecords(records(txt), game);
        static_cast<LanBrowser*>(self)->resolved(resolver, game);
    }
};

LanBrowser::LanBrowser(QObject* parent) : QObject(parent) {}

LanBrowser::~LanBrowser()
{
    freeAll();
}

void LanBrowser::start()
{
    freeAll();
    m_poll = std::make_unique<AvahiQtPoll>();
    int error = 0;
    m_client = avahi_client_new(m_poll->poll(), AVAHI_CLIENT_NO_FAIL, &Callbacks::clientChanged, this, &error);
    if (!m_client)
        reportUnavailable(avahi_strerror(error));
}

// Once the daemon runs (at once, or when it comes up later).
void LanBrowser::browse(AvahiClient* client)
{
    if (m_browser)
        return;
    m_browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, lan::kServiceType, nullptr,
                                          AvahiLookupFlags(0), &Callbacks::browsed, this);
    if (!m_browser)
        reportUnavailable(avahi_strerror(avahi_client_errno(client)));
}

void LanBrowser::freeAll()
{
    for (auto& [name, sightings] : m_games)
        for (auto& [where, sighting] : sightings)
            if (sighting.resolver)
                avahi_service_resolver_free(sighting.resolver);
    m_games.clear();
    if (m_browser)
        avahi_service_browser_free(m_browser);
    m_browser = nullptr;
    if (m_client)
        avahi_client_free(m_client);
    m_client = nullptr;
}

void LanBrowser::found(int interface, int protocol, const char* name, const char* type, const char* domain)
{
    Sighting& sighting = m_games[QString::fromUtf8(name)][{interface, protocol}];
    if (sighting.resolver)
        return;
    // Resolved over the protocol it was seen on, so each protocol gives its own address;
    // the resolver stays, and reports the TXT records again when the host changes them.
    sighting.resolver = avahi_service_resolver_new(avahi_service_browser_get_client(m_browser), interface, protocol, name, type, domain, protocol,
                                                   AvahiLookupFlags(0), &Callbacks::resolvedOne, this);
}

void LanBrowser::lost(int interface, int protocol, const char* name)
{
    const auto game = m_games.find(QString::fromUtf8(name));
    if (game == m_games.end())
        return;
    const auto sighting = game->second.find({interface, protocol});
    if (sighting == game->second.end())
        return;
    if (sighting->second.resolver)
        avahi_service_resolver_free(sighting->second.resolver);
    game->second.erase(sighting);
    if (game->second.empty())
        m_games.erase(game);
    emit gamesChanged();
}

void LanBrowser::resolved(AvahiServiceResolver* resolver, const LanGame& game)
{
    for (auto& [where, sighting] : m_games[game.name]) {
        if (sighting.resolver == resolver) {
            sighting.game = game;
            sighting.resolved = true;
            emit gamesChanged();
            return;
        }
    }
}

QList<LanGame> LanBrowser::games() const
{
    QList<LanGame> out;
    for (const auto& [name, sightings] : m_games) {
        LanGame merged;
        QStringList ipv6;
        for (const auto& [where, sighting] : sightings) {
            if (!sighting.resolved)
                continue;
            const QString address = sighting.game.addresses.value(0);
            QStringList& list = where.second == AVAHI_PROTO_INET ? merged.addresses : ipv6;
            if (!list.contains(address))
                list << address;
            merged.name = sighting.game.name;
            merged.version = sighting.game.version;
            merged.roster = sighting.game.roster;
        }
        merged.addresses << ipv6;
        if (!merged.name.isEmpty())
            out << merged;
    }
    return out;
}

void LanBrowser::readRecords(const QList<QByteArray>& records, LanGame& game)
{
    for (const QByteArray& record : records) {
        const qsizetype equals = record.indexOf('=');
        const QByteArray key = record.left(equals);
        const QByteArray value = equals < 0 ? QByteArray() : record.mid(equals + 1);
        if (key == lan::kVersionKey)
            game.version = QString::fromUtf8(value);
        else if (key == lan::kPlayersKey)
            game.roster.players = qBound(0, value.toInt(), kSeatCount);
        else if (key == lan::kSpiesKey)
            game.roster.spies = qBound(0, value.toInt(), kSpyCount);
        else if (key == lan::kStateKey)
            game.roster.running = value == lan::kRunning;
    }
}

void LanBrowser::reportUnavailable(const QString& reason)
{
    if (m_reportedUnavailable)
        return;
    m_reportedUnavailable = true;
    emit unavailable(reason);
}
