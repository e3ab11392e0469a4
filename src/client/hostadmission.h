#pragma once
// The host's say over who joins the hosted game: the lock, asking before anyone
// joins with the window that asks, and the server's lines about kept seats and
// turned-away arrivals in the host's chat.

#include <QObject>
#include <QString>

class GameServer;
class JoinRequestWindow;
class QWidget;

class HostAdmission : public QObject {
    Q_OBJECT
public:
    // Answers for the server; the asking window opens over the given window.
    HostAdmission(GameServer& server, QWidget* window);

    // Whether newcomers are turned away, and whether each one waits for the host's answer.
    void apply(bool locked, bool askBeforeJoining);
    JoinRequestWindow* requests() const { return m_requests; }

signals:
    // A line for the host's chat.
    void line(const QString& text);

private:
    GameServer& m_server;
    JoinRequestWindow* m_requests;
};
