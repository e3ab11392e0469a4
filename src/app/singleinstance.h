#pragma once
// Single-instance lock and the game-running marker.
//
// The first copy holds a lock file and a local socket named after the lock in
// the runtime folder (XDG_RUNTIME_DIR, else a per-user folder under the temp
// path). A later copy finds the lock taken, connects to the socket to ask the
// first copy to come forward, and ends. A copy killed without clean-up leaves
// files behind; the next start notices the dead holder and takes over.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QWidget;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder empty: runtimeFolder().
    explicit SingleInstance(const QString& name = "xilrov", const QString& folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another copy already runs (it has been asked to come forward);
    // false when this copy is the first and now holds the lock.
    bool previousInstanceRunning();
    // Raises the window whenever a later copy asks (shown normal if minimised, raised, activated).
    void raiseOnRequest(QWidget* window);

    // XDG_RUNTIME_DIR when set, else a folder of this user under the temp path.
    static QString runtimeFolder();
    // Brings a window to the front as a restore from the task bar would.
    static void raiseWindow(QWidget* window);

signals:
    void raiseRequested();

private:
    bool askRunningCopyToRaise() const;
    bool startListening();
    void handleConnection();

    QString m_folder;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

// The running marker "hangman": a named object held for the life of the
// process, which other programs can test.
class RunningMarker {
public:
    explicit RunningMarker(const QString& name = "hangman", const QString& folder = {});
    // Whether this process holds the marker.
    bool held() const { return m_held; }
    // Whether any live process holds the marker of that name.
    static bool isHeld(const QString& name = "hangman", const QString& folder = {});

private:
    QLockFile m_lock;
    bool m_held = false;
};
