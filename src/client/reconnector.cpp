#include "client/reconnector.h"

Reconnector::Reconnector(Clock& clock, QObject* parent)
    : QObject(parent), m_attemptTimer(clock), m_giveUpTimer(clock, kGiveUpAfterMs)
{
    m_attemptTimer.onTimer = [this] { attemptNow(); };
    m_giveUpTimer.onTimer = [this] { giveUp(); };
}

int Reconnector::pauseBefore(int attempt)
{
    return attempt < 4 ? 1000 << attempt : kLongestPauseMs;
}

bool Reconnector::takesOver(Connection::CloseReason reason, bool connected, bool joinerInGame)
{
    const bool lost = connected && reason == Connection::CloseReason::Lost;
    if (m_reconnecting) {
        if (!connected || lost)
            return true;
        finish();
        return false;
    }
    if (!lost || !joinerInGame)
        return false;
    begin();
    return true;
}

void Reconnector::backInGame()
{
    if (!m_reconnecting)
        return;
    finish();
    emit reconnectingChanged(false);
}

void Reconnector::begin()
{
    m_reconnecting = true;
    m_attempts = 0;
    m_nextDueMs = 0;
    m_giveUpTimer.start();
    scheduleNextAttempt();
    emit reconnectingChanged(true);
}

void Reconnector::attemptNow()
{
    m_attemptTimer.stop();
    scheduleNextAttempt();
    emit attemptDue();
}

void Reconnector::scheduleNextAttempt()
{
    const int pause = pauseBefore(m_attempts++);
    m_nextDueMs += pause;
    if (m_nextDueMs >= kGiveUpAfterMs)
        return;
    m_attemptTimer.setInterval(pause);
    m_attemptTimer.start();
}

void Reconnector::giveUp()
{
    finish();
    emit gaveUp();
}

void Reconnector::finish()
{
    m_reconnecting = false;
    m_attemptTimer.stop();
    m_giveUpTimer.stop();
}
