#pragma once
// GameSocket: the one socket class for all game traffic, a non-blocking TCP stream
// socket with an incoming and an outgoing byte buffer. It reports every step
// through onInfo with a short English text and raises its events on the GUI
// thread. Bytes pass unchanged in both directions (0x00 and 0xFF included).
//
// States: closed (no socket) -> listening (setListen(true))
//         closed -> connecting (open()) -> connected (peer accepted)
//         an accepted socket starts connected; close() or the peer closing ends it.
// close() reports "Socket Closed" on every call for a non-listener, so a peer's
// close whose onDisconnect handler closes the socket itself reports it twice; a
// close() made from inside that report closes quietly. Handlers may close the
// socket and deleteLater() it; the destructor runs no handler.
//
// Operations that fail throw SocketError with the texts of the socket layer
// ("Send - Socket Not Connected", "Listen - Error Binding Socket", ...).

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

class QTcpServer;
class QTcpSocket;

class SocketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class GameSocket : public QObject {
    Q_OBJECT
public:
    enum class SocketInfo { Lookup, Connect, Close, Listen, Receive, Send, Accept, Error };

    explicit GameSocket(QObject* parent = nullptr);
    // Closes a listening or connected socket quietly: no handler runs during destruction.
    ~GameSocket() override;

    // Most received bytes kept waiting for receive(); reading pauses while the buffer is full.
    static constexpr int kMaxIncoming = 1024 * 1024;

    QString hostName() const { return m_hostName; }
    void setHostName(const QString& host);
    QString portName() const { return m_portName; }
    void setPortName(const QString& port);
    // Address a listener binds to; all local addresses unless set (a solo game uses 127.0.0.1).
    void setListenAddress(const QHostAddress& address) { m_listenAddress = address; }

    bool listen() const { return m_listening; }
    void setListen(bool on);
    bool connected() const { return m_connected; }
    // The port actually bound by a listener (useful when PortName is "0").
    quint16 localPort() const;
    // Bytes handed to send() that the system has not taken yet.
    qint64 outgoingSize() const;

    // Starts a non-blocking connect to HostName:PortName; returns Connected (false at this point).
    bool open();
    // Closes the socket; reports "Socket Closed" unless this is a listener.
    bool close();
    // Queues the bytes behind any still waiting and sends what the system takes.
    bool send(const QByteArray& bytes);
    // Returns and empties the incoming buffer.
    QByteArray receive();
    // Returns and removes at most n bytes from the front (-1: all).
    QByteArray receiveCount(int n);
    // On a listener: accepts one waiting connection as a new GameSocket owned by this one.
    bool accept(GameSocket*& newSock);

    // Winsock name of an error code ("WSAECONNREFUSED" for 10061), "UNKNOWN ERROR" otherwise.
    static QString errorName(int code);

    int tag = 0;

    // Events, copied onto accepted sockets like the handlers of a window component.
    std::function<void(GameSocket* sender, int count)> onRead;
    std::function<void(GameSocket* sender, SocketInfo info, const QString& msg)> onInfo;
    std::function<void(GameSocket* sender)> onDisconnect;
    std::function<void(GameSocket* sender)> onAccept;
    std::function<void(GameSocket* sender)> onConnect;
    std::function<void(GameSocket* sender)> onWrite;

private:
    void info(SocketInfo kind, const QString& text);
    void attach(QTcpSocket* socket);
    void detachSocket();
    quint16 lookupPort(const QString& name);
    QHostAddress lookupHost(const QString& name);
    void handleReadyRead();
    void handleConnected();
    void handlePeerClosed();
    void handleError();
    void handleNewConnection();
    void scheduleRead();
    void flush();

    QString m_hostName;
    QString m_portName;
    QHostAddress m_listenAddress = QHostAddress::AnyIPv4;
    bool m_listening = false;
    bool m_connected = false;
    bool m_readScheduled = false;
    bool m_reportingClose = false;
    QTcpServer* m_server = nullptr;
    QTcpSocket* m_socket = nullptr;
    QByteArray m_incoming;
    QByteArray m_outgoing;
};
