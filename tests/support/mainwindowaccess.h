#pragma once
// Test seam: what tests and the client fuzzer need of the main window's private
// state, in one place (MainWindow names this class as its friend).

#include "client/mainwindow.h"

class MainWindowTestAccess {
public:
    // Handles the bytes as if they had just arrived on the game connection; the
    // queue is then dispatched by the clock.
    static void receive(MainWindow& window, const QByteArray& bytes) { window.receiveBytes(bytes); }
    static bool launcherSocketOpened(const MainWindow& window) { return window.m_launcherSocketOpened; }
    static int linkCounter(const MainWindow& window) { return window.m_linkCounter; }
    static int botSpeed(const MainWindow& window) { return window.m_botSpeed; }
    static bool playSoundsChecked(const MainWindow& window) { return window.playSoundsChecked(); }
    static bool chatterSoundsChecked(const MainWindow& window) { return window.chatterSoundsChecked(); }
};
