#pragma once
// The application object: title "Hangman", an error box for every exception
// that leaves an event handler (the program then goes on), and SIGTERM/SIGINT
// closing the main window as its menu "Exit" would.

#include "windows/prompts.h"

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <functional>
#include <memory>

// Turns SIGTERM and SIGINT into a Qt signal on the GUI thread (through a socket pair).
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override; // puts the default signal handling back

signals:
    void terminationRequested(int signalNumber);

private:
    void handleSignalByte();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

class HangmanApplication : public QApplication {
    Q_OBJECT
public:
    HangmanApplication(int& argc, char** argv);
    ~HangmanApplication() override;

    // Delivers the event; an exception thrown by the receiver is shown in the standard error box.
    bool notify(QObject* receiver, QEvent* event) override;

    // Runs deliver; an exception leaving it is passed to report as text and false is returned.
    static bool deliverGuarded(const std::function<bool()>& deliver, const std::function<void(const QString&)>& report);

    // The window closed on SIGTERM/SIGINT; without one the event loop just ends.
    void setMainWindow(QWidget* window) { m_mainWindow = window; }
    // Starts closing the main window on SIGTERM/SIGINT.
    void watchTerminationSignals();

    // Runs on SIGTERM/SIGINT; closes the main window unless replaced.
    std::function<void()> onTerminate;

private:
    void closeMainWindow();

    DialogPrompts m_prompts; // the standard error box: title "Hangman", the text, one OK button
    QPointer<QWidget> m_mainWindow;
    TerminationWatcher* m_watcher = nullptr;
};
