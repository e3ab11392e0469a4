#include "net/lanannouncer.h"

#include "net/avahiqtpoll.h"
#include "net/protocol.h"

#include <QDebug>
#include <QTimer>
#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

namespace lan {

QString instanceName(const QString& hostName)
{
    const QString suffix = "'s game";
    QString name = hostName;
    while (!name.isEmpty() && (name + suffix).toUtf8().size() > kMaxInstanceNameBytes) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return name + suffix;
}

QList<QByteArray> txtRecords(const QByteArray& version, const Roster& roster)
{
    return {QByteArray(kVersionKey) + "=" + version, QByteArray(kPlayersKey) + "=" + QByteArray::number(roster.players),
            QByteArray(kSpiesKey) + "=" + QByteArray::number(roster.spies),
            QByteArray(kStateKey) + "=" + (roster.running ? kRunning : kWaiting)};
}

} // namespace lan

namespace {

AvahiStringList* txtList(const lan::Roster& roster)
{
    AvahiStringList* list = nullptr;
    for (const QByteArray& record : lan::txtRecords(kVersion, roster))
        list = avahi_string_list_add_arbitrary(list, reinterpret_cast<const uint8_t*>(record.constData()),
                                               size_t(record.size()));
    return avahi_string_list_reverse(list);
}

} // namespace

struct LanAnnouncer::Callbacks {
    static void clientChanged(AvahiClient* client, AvahiClientState state, void* self)
    {
        auto* announcer = static_cast<LanAnnouncer*>(self);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            announcer->publish(client);
            break;
        case AVAHI_CLIENT_S_COLLISION:
        case AVAHI_CLIENT_S_REGISTERING:
            if (announcer->m_group)
                avahi_entry_group_reset(announcer->m_group);
            announcer->m_announced = false;
            break;
        case AVAHI_CLIENT_CONNECTING:
            announcer->reportUnavailable("no Avahi daemon is running");
            break;
        case AVAHI_CLIENT_FAILURE:
            announcer->reportUnavailable(avahi_strerror(avahi_client_errno(client)));
            if (avahi_client_errno(client) == AVAHI_ERR_DISCONNECTED)
                announcer->reconnectLater();
            break;
        }
    }

    static void groupChanged(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self)
    {
        auto* announcer = static_cast<LanAnnouncer*>(self);
        if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) {
            announcer->m_announced = true;
            qInfo().noquote() << "The local network sees this game as" << announcer->m_name;
            emit announcer->announced(announcer->m_name);
        } else if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            announcer->renameAfterCollision();
        } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
            announcer->reportUnavailable(avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(group))));
        }
    }
};

LanAnnouncer::LanAnnouncer(QObject* parent) : QObject(parent) {}

LanAnnouncer::~LanAnnouncer()
{
    stop();
}

void LanAnnouncer::start(const QString& hostName, quint16 port, const lan::Roster& roster)
{
    stop();
    m_name = lan::instanceName(hostName);
    m_port = port;
    m_roster = roster;
    m_reportedUnavailable = false;
    qInfo().noquote() << "Announcing this game on the local network as" << m_name;
    connectToDaemon();
}

void LanAnnouncer::connectToDaemon()
{
    if (!m_poll)
        m_poll = std::make_unique<AvahiQtPoll>();
    int error = 0;
    // With NO_FAIL the client waits for a daemon that is not running yet (or restarts).
    AvahiClient* client =
        avahi_client_new(m_poll->poll(), AVAHI_CLIENT_NO_FAIL, &Callbacks::clientChanged, this, &error);
    if (!client) {
        reportUnavailable(avahi_strerror(error));
        return;
    }
    m_client = client;
}

void LanAnnouncer::update(const lan::Roster& roster)
{
    if (roster == m_roster)
        return;
    m_roster = roster;
    if (!m_group || avahi_entry_group_is_empty(m_group))
        return;
    AvahiStringList* txt = txtList(m_roster);
    avahi_entry_group_update_service_txt_strlst(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                                m_name.toUtf8().constData(), lan::kServiceType, nullptr, txt);
    avahi_string_list_free(txt);
}

void LanAnnouncer::stop()
{
    if (m_group)
        avahi_entry_group_free(m_group);
    m_group = nullptr;
    if (m_client)
        avahi_client_free(m_client);
    m_client = nullptr;
    m_announced = false;
}

void LanAnnouncer::publish(AvahiClient* client)
{
    if (!m_group)
        m_group = avahi_entry_group_new(client, &Callbacks::groupChanged, this);
    if (!m_group || !avahi_entry_group_is_empty(m_group))
        return;
    AvahiStringList* txt = txtList(m_roster);
    const int added = avahi_entry_group_add_service_strlst(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                           AvahiPublishFlags(0), m_name.toUtf8().constData(),
                                                           lan::kServiceType, nullptr, nullptr, m_port, txt);
    avahi_string_list_free(txt);
    if (added == AVAHI_ERR_COLLISION) {
        renameAfterCollision();
        return;
    }
    if (added < 0 || avahi_entry_group_commit(m_group) < 0)
        reportUnavailable(avahi_strerror(avahi_client_errno(client)));
}

void LanAnnouncer::renameAfterCollision()
{
    char* other = avahi_alternative_service_name(m_name.toUtf8().constData());
    m_name = QString::fromUtf8(other);
    avahi_free(other);
    m_announced = false;
    avahi_entry_group_reset(m_group);
    publish(avahi_entry_group_get_client(m_group));
}

// The daemon went away: a new client waits for it to come back (freed outside Avahi's callback).
void LanAnnouncer::reconnectLater()
{
    QTimer::singleShot(0, this, [this] {
        if (!m_client || avahi_client_get_state(m_client) != AVAHI_CLIENT_FAILURE)
            return;
        stop();
        connectToDaemon();
    });
}

void LanAnnouncer::reportUnavailable(const QString& reason)
{
    m_announced = false;
    if (m_reportedUnavailable)
        return;
    m_reportedUnavailable = true;
    qInfo().noquote() << "The local network cannot see this game:" << reason;
    emit unavailable(reason);
}
