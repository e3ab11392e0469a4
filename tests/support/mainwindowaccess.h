#pragma once
// Test seam: what tests and the client fuzzer need of the main window's private
// state, in one place (MainWindow names this class as its friend).

#include "client/mainwindow.h"

class MainWindowTestAccess {
public:
    // Queues the messages that the bytes hold as if they had just arrived on the
    // game connection (a message not ended in the bytes is left out); the queue
    // is then dispatched by the clock.
    static void receive(MainWindow& window, const QByteArray& bytes)
    {
        for (const QByteArray& message : proto::MessageCutter(proto::kMaxServerMessageBytes).feed(bytes))
            window.queueMessage(message);
    }
    // Queues one message as if it had just arrived on the game connection.
    static void receiveMessage(MainWindow& window, const QByteArray& message) { window.queueMessage(message); }
    static bool launcherSocketOpened(const MainWindow& window) { return window.m_launcherLink != nullptr; }
    // The settings the window holds (the menus show them).
    static const HangmanSettings& settings(const MainWindow& window) { return window.m_settings; }
};
