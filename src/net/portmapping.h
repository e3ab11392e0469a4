#pragma once
// PortMapping: asks the router in front of this machine to forward the game's
// TCP port here while a game is hosted, through NAT-PMP or UPnP-IGD, whichever
// gateway answers first. Every request runs on a worker thread of its own and
// is bounded in time; the results come back as signals on the owner's thread.
// A granted lease (the router may grant less than asked) is renewed at half its life, and the mapping is removed by
// stop() (the program calls it when hosting ends and before it exits).
// A mapping of the port that the router already holds for another machine is
// left alone and reported as PortTaken.

#include "net/protocol.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>

class PortMappingWorker;

class PortMapping : public QObject {
    Q_OBJECT
public:
    enum class Failure { NoGateway, Refused, PortTaken };
    Q_ENUM(Failure)

    // Longest wait for a NAT-PMP gateway to answer one request.
    static constexpr int kNatPmpWaitMs = 1500;
    // Longest wait for UPnP gateways of one kind (IGD version 1, then 2) to answer the discovery.
    static constexpr int kDiscoveryWaitMs = 1000;
    // Lease asked for; renewed at half its life.
    static constexpr int kLeaseSeconds = 3600;
    // Shortest renewal interval, whatever lease a gateway grants.
    static constexpr int kMinRenewSeconds = 1;
    // Wait before asking again after a renewal went unanswered.
    static constexpr int kRenewRetrySeconds = 60;
    // Name of the mapping shown in the router's table.
    static constexpr char kDescription[] = "HangMan game";

    explicit PortMapping(quint16 port = proto::kGamePort, QObject* parent = nullptr);
    // Removes a mapping still held (waiting for the requests under way) and stops the worker.
    ~PortMapping() override;

    quint16 port() const { return m_port; }
    // True from opened() until stop().
    bool isOpen() const { return m_open; }

    // Asks the gateway for the port in the background; answers with opened() or failed().
    virtual void start();
    // Removes the mapping in the background (nothing happens when none was made).
    virtual void stop();
    // Waits at most ms for the requests under way to finish; true when they did.
    virtual bool waitUntilIdle(int ms);

    // This machine's first global IPv6 address, empty when it has none.
    static QString globalIPv6Address();
    // The addresses friends may reach this machine at: its global IPv6 address and its
    // IPv4 address on the local network (each empty when it has none).
    virtual QString ownGlobalIPv6() const { return globalIPv6Address(); }
    virtual QString ownLanIPv4() const;

signals:
    // The port is forwarded: externalIPv4 is the router's address (empty when it would not
    // say), globalIPv6 this machine's (empty when it has none); routerOnline is false when
    // the router says it is not connected to the internet.
    void opened(const QString& externalIPv4, const QString& globalIPv6, bool routerOnline);
    // No mapping was made; detail names the other machine for PortTaken.
    void failed(PortMapping::Failure reason, const QString& detail);

private:
    void startThread();
    void post(std::function<void(PortMappingWorker&)> task);
    void handleOpened(const QString& externalIPv4, bool routerOnline, int leaseSeconds);
    void renew();

    quint16 m_port;
    bool m_open = false;
    QThread m_thread;
    QObject* m_context = nullptr; // lives on m_thread: the worker's tasks run in its events
    std::shared_ptr<PortMappingWorker> m_worker;
    QTimer m_renewTimer;
};
