#pragma once
// What the game asks of the desktop: opening an address with the user's default
// program and starting another program. SystemDesktop is the real one; tests hand
// the windows a fake that records what was asked.

#include <QString>
#include <QStringList>

class QUrl;

class Desktop {
public:
    virtual ~Desktop() = default;

    // Opens the address with the user's default program (a web browser); false when the desktop refused.
    virtual bool openUrl(const QUrl& address) = 0;
    // Starts the program on its own, without waiting for it; false when it could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

// The desktop of this machine: QDesktopServices and QProcess.
class SystemDesktop final : public Desktop {
public:
    bool openUrl(const QUrl& address) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
};
