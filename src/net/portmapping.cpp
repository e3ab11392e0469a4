#include "net/portmapping.h"

#include "net/invitation.h"

#include <QDeadlineTimer>
#include <QNetworkInterface>
#include <arpa/inet.h>
#include <condition_variable>
#include <mutex>
#include <sys/select.h>

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#define ENABLE_STRNATPMPERR
#include <natpmp.h>

namespace {

constexpr int kUpnpOnlyPermanentLeases = 725;
constexpr int kUpnpConflictInMappingEntry = 718;
constexpr int kAddressTextSize = 64;
constexpr unsigned char kMulticastTtl = 2;
// Searched for one after the other, each for at most kDiscoveryWaitMs.
constexpr const char* kGatewayTypes[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                          "urn:schemas-upnp-org:device:InternetGatewayDevice:2", nullptr};

QString portText(quint16 port)
{
    return QString::number(port);
}

} // namespace

// Everything that talks to the gateway; used on the worker thread only.
class PortMappingWorker {
public:
    enum class Method { None, NatPmp, Upnp };
    struct Result {
        bool ok = false;
        PortMapping::Failure failure = PortMapping::Failure::NoGateway;
        QString detail;
        QString externalIPv4;
        bool routerOnline = true;
        int leaseSeconds = 0;
    };

    explicit PortMappingWorker(quint16 port) : m_port(port) {}
    ~PortMappingWorker() { forgetUpnp(); }

    Result open();
    bool renew();
    int grantedLease() const { return m_grantedLease; }
    void remove();

    // Tasks posted and not finished, shared with the owner's thread.
    std::mutex mutex;
    std::condition_variable idle;
    int pending = 0;

private:
    enum class Answer { Ok, NoAnswer, Refused };

    Answer natpmpAsk(natpmp_t& natpmp, natpmpresp_t& response);
    Result openNatPmp(bool& gatewayAnswered);
    bool natpmpMap(int lifetime, natpmpresp_t& response, Answer& answer);
    Result openUpnp();
    int upnpAdd(const char* lease);
    int upnpAddForLease();
    bool upnpRouterOnline();
    bool upnpMappingHolder(QString& holder, int* leaseLeft = nullptr);
    void forgetUpnp();

    quint16 m_port;
    Method m_method = Method::None;
    int m_grantedLease = 0;
    UPNPUrls m_urls{};
    IGDdatas m_data{};
    bool m_haveUrls = false;
    char m_lanAddress[kAddressTextSize] = {};
};

PortMappingWorker::Answer PortMappingWorker::natpmpAsk(natpmp_t& natpmp, natpmpresp_t& response)
{
    const QDeadlineTimer deadline(PortMapping::kNatPmpWaitMs);
    for (;;) {
        timeval timeout{};
        if (getnatpmprequesttimeout(&natpmp, &timeout) < 0)
            return Answer::NoAnswer;
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return Answer::NoAnswer;
        if (timeout.tv_sec * 1000 + timeout.tv_usec / 1000 > left) {
            timeout.tv_sec = left / 1000;
            timeout.tv_usec = (left % 1000) * 1000;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(natpmp.s, &readable);
        select(natpmp.s + 1, &readable, nullptr, nullptr, &timeout);
        const int result = readnatpmpresponseorretry(&natpmp, &response);
        if (result == 0)
            return Answer::Ok;
        if (result != NATPMP_TRYAGAIN)
            return result <= NATPMP_ERR_UNDEFINEDERROR ? Answer::Refused : Answer::NoAnswer;
    }
}

bool PortMappingWorker::natpmpMap(int lifetime, natpmpresp_t& response, Answer& answer)
{
    natpmp_t natpmp;
    if (initnatpmp(&natpmp, 0, 0) < 0) {
        answer = Answer::NoAnswer;
        return false;
    }
    const int publicPort = lifetime > 0 ? m_port : 0;
    answer = sendnewportmappingrequest(&natpmp, NATPMP_PROTOCOL_TCP, m_port, publicPort, lifetime) < 0
        ? Answer::NoAnswer
        : natpmpAsk(natpmp, response);
    closenatpmp(&natpmp);
    return answer == Answer::Ok;
}

PortMappingWorker::Result PortMappingWorker::openNatPmp(bool& gatewayAnswered)
{
    Result result;
    gatewayAnswered = false;
    natpmp_t natpmp;
    if (initnatpmp(&natpmp, 0, 0) < 0)
        return result;
    natpmpresp_t response{};
    const bool answered = sendpublicaddressrequest(&natpmp) >= 0 && natpmpAsk(natpmp, response) == Answer::Ok;
    closenatpmp(&natpmp);
    if (!answered)
        return result;
    gatewayAnswered = true;
    char address[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &response.pnu.publicaddress.addr, address, sizeof address);
    result.externalIPv4 = QString::fromLatin1(address);

    Answer answer;
    if (!natpmpMap(PortMapping::kLeaseSeconds, response, answer)) {
        result.failure = PortMapping::Failure::Refused;
        return result;
    }
    if (response.pnu.newportmapping.mappedpublicport != m_port) {
        natpmpMap(0, response, answer);
        result.failure = PortMapping::Failure::PortTaken;
        return result;
    }
    m_method = Method::NatPmp;
    m_grantedLease = int(response.pnu.newportmapping.lifetime);
    result.ok = true;
    result.leaseSeconds = m_grantedLease;
    return result;
}

void PortMappingWorker::forgetUpnp()
{
    if (m_haveUrls)
        FreeUPNPUrls(&m_urls);
    m_haveUrls = false;
}

int PortMappingWorker::upnpAdd(const char* lease)
{
    const QByteArray port = portText(m_port).toLatin1();
    return UPNP_AddPortMapping(m_urls.controlURL, m_data.first.servicetype, port, port, m_lanAddress,
                               PortMapping::kDescription, "TCP", nullptr, lease);
}

bool PortMappingWorker::upnpMappingHolder(QString& holder, int* leaseLeft)
{
    const QByteArray port = portText(m_port).toLatin1();
    char client[kAddressTextSize] = {};
    char clientPort[6] = {};
    char description[80] = {};
    char enabled[4] = {};
    char duration[16] = {};
    if (UPNP_GetSpecificPortMappingEntry(m_urls.controlURL, m_data.first.servicetype, port, "TCP", nullptr, client,
                                         clientPort, description, enabled, duration)
        != UPNPCOMMAND_SUCCESS)
        return false;
    holder = QString::fromLatin1(client);
    if (leaseLeft)
        *leaseLeft = QByteArray(duration).toInt();
    return true;
}

// The router's own word on its internet connection; a router that does not say counts as online.
// (UPNP_GetValidIGD's verdict mixes "not connected" with "a reserved external address".)
bool PortMappingWorker::upnpRouterOnline()
{
    char status[kAddressTextSize] = {};
    unsigned int uptime = 0;
    char lastError[kAddressTextSize] = {};
    if (UPNP_GetStatusInfo(m_urls.controlURL, m_data.first.servicetype, status, &uptime, lastError)
        != UPNPCOMMAND_SUCCESS)
        return true;
    return qstrcmp(status, "Connected") == 0;
}

// Asks for the whole lease (or a permanent mapping where the router grants no other) and
// keeps the lease the router reports, which may be shorter than asked.
int PortMappingWorker::upnpAddForLease()
{
    int added = upnpAdd(QByteArray::number(PortMapping::kLeaseSeconds));
    m_grantedLease = PortMapping::kLeaseSeconds;
    if (added == kUpnpOnlyPermanentLeases) {
        added = upnpAdd("0");
        m_grantedLease = 0;
    }
    QString holder;
    int leaseLeft = 0;
    if (added == UPNPCOMMAND_SUCCESS && m_grantedLease > 0 && upnpMappingHolder(holder, &leaseLeft)
        && leaseLeft > 0 && leaseLeft < m_grantedLease)
        m_grantedLease = leaseLeft;
    return added;
}

PortMappingWorker::Result PortMappingWorker::openUpnp()
{
    Result result;
    int error = 0;
    UPNPDev* devices = upnpDiscoverDevices(kGatewayTypes, PortMapping::kDiscoveryWaitMs, nullptr, nullptr,
                                           UPNP_LOCAL_PORT_ANY, 0, kMulticastTtl, &error, 0);
    if (!devices)
        return result;
    forgetUpnp();
    const int found = UPNP_GetValidIGD(devices, &m_urls, &m_data, m_lanAddress, sizeof m_lanAddress);
    freeUPNPDevlist(devices);
    if (found == 0)
        return result;
    m_haveUrls = true;
    if (found != 1 && found != 2)
        return result;

    result.routerOnline = upnpRouterOnline();
    QString holder;
    if (upnpMappingHolder(holder) && holder != QString::fromLatin1(m_lanAddress)) {
        result.failure = PortMapping::Failure::PortTaken;
        result.detail = holder;
        return result;
    }
    const int added = upnpAddForLease();
    if (added != UPNPCOMMAND_SUCCESS) {
        result.failure = added == kUpnpConflictInMappingEntry ? PortMapping::Failure::PortTaken
                                                               : PortMapping::Failure::Refused;
        return result;
    }
    char external[kAddressTextSize] = {};
    if (UPNP_GetExternalIPAddress(m_urls.controlURL, m_data.first.servicetype, external) == UPNPCOMMAND_SUCCESS)
        result.externalIPv4 = QString::fromLatin1(external);
    m_method = Method::Upnp;
    result.ok = true;
    result.leaseSeconds = m_grantedLease;
    return result;
}

PortMappingWorker::Result PortMappingWorker::open()
{
    if (m_method != Method::None)
        remove();
    bool natpmpAnswered = false;
    Result result = openNatPmp(natpmpAnswered);
    if (result.ok || natpmpAnswered)
        return result;
    return openUpnp();
}

bool PortMappingWorker::renew()
{
    if (m_method == Method::NatPmp) {
        natpmpresp_t response{};
        Answer answer;
        if (!natpmpMap(PortMapping::kLeaseSeconds, response, answer))
            return false;
        m_grantedLease = int(response.pnu.newportmapping.lifetime);
        return true;
    }
    if (m_method == Method::Upnp)
        return upnpAddForLease() == UPNPCOMMAND_SUCCESS;
    return false;
}

void PortMappingWorker::remove()
{
    if (m_method == Method::NatPmp) {
        natpmpresp_t response{};
        Answer answer;
        natpmpMap(0, response, answer);
    } else if (m_method == Method::Upnp) {
        UPNP_DeletePortMapping(m_urls.controlURL, m_data.first.servicetype, portText(m_port).toLatin1(), "TCP",
                               nullptr);
    }
    m_method = Method::None;
}

PortMapping::PortMapping(quint16 port, QObject* parent)
    : QObject(parent), m_port(port), m_worker(std::make_shared<PortMappingWorker>(port))
{
    m_renewTimer.setSingleShot(true);
    connect(&m_renewTimer, &QTimer::timeout, this, &PortMapping::renew);
}

PortMapping::~PortMapping()
{
    stop();
    m_thread.quit();
    m_thread.wait();
}

// The worker's thread starts at the first request: a solo game never needs it.
void PortMapping::startThread()
{
    m_thread.setObjectName("port mapping");
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread.start();
}

void PortMapping::post(std::function<void(PortMappingWorker&)> task)
{
    if (!m_context)
        startThread();
    {
        std::lock_guard lock(m_worker->mutex);
        ++m_worker->pending;
    }
    QMetaObject::invokeMethod(m_context, [worker = m_worker, task = std::move(task)] {
        task(*worker);
        std::lock_guard lock(worker->mutex);
        --worker->pending;
        worker->idle.notify_all();
    });
}

void PortMapping::start()
{
    PortMapping* self = this;
    post([self](PortMappingWorker& worker) {
        const PortMappingWorker::Result result = worker.open();
        QMetaObject::invokeMethod(self, [self, result] {
            if (result.ok)
                self->handleOpened(result.externalIPv4, result.routerOnline, result.leaseSeconds);
            else
                emit self->failed(result.failure, result.detail);
        });
    });
}

void PortMapping::stop()
{
    m_renewTimer.stop();
    m_open = false;
    if (m_context) // else nothing was ever asked for
        post([](PortMappingWorker& worker) { worker.remove(); });
}

bool PortMapping::waitUntilIdle(int ms)
{
    std::unique_lock lock(m_worker->mutex);
    return m_worker->idle.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_worker->pending == 0; });
}

void PortMapping::handleOpened(const QString& externalIPv4, bool routerOnline, int leaseSeconds)
{
    m_open = true;
    if (leaseSeconds > 0)
        m_renewTimer.start(std::max(kMinRenewSeconds, leaseSeconds / 2) * 1000);
    emit opened(externalIPv4, globalIPv6Address(), routerOnline);
}

void PortMapping::renew()
{
    PortMapping* self = this;
    post([self](PortMappingWorker& worker) {
        const int lease = worker.renew() ? worker.grantedLease() : kRenewRetrySeconds * 2;
        QMetaObject::invokeMethod(self, [self, lease] {
            if (self->m_open && lease > 0)
                self->m_renewTimer.start(std::max(kMinRenewSeconds, lease / 2) * 1000);
        });
    });
}

QString PortMapping::globalIPv6Address()
{
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv6Protocol && address.isGlobal()
            && !address.isUniqueLocalUnicast() && !address.isLinkLocal() && !address.isSiteLocal())
            return address.toString();
    }
    return {};
}

QString PortMapping::ownLanIPv4() const
{
    return invitation::lanIPv4Address();
}
