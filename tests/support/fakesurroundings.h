#pragma once
// Fakes of what the windows ask of the world around the game: they record what
// was asked and answer as the test tells them, and show or play nothing.

#include "client/soundoutput.h"
#include "client/surroundings.h"
#include "windows/desktop.h"
#include "windows/prompts.h"

#include <QColor>
#include <QList>
#include <QStringList>
#include <QUrl>

class FakeDesktop : public Desktop {
public:
    struct Started {
        QString program;
        QStringList arguments;
    };

    bool openUrl(const QUrl& address) override
    {
        opened << address;
        return true;
    }
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        started.append({program, arguments});
        return startSucceeds;
    }

    QList<QUrl> opened;
    QList<Started> started;
    bool startSucceeds = true;
};

class FakePrompts : public Prompts {
public:
    void showMessage(QWidget*, const QString& text) override { messages << text; }
    void showError(QWidget*, const QString& text) override { errors << text; }
    bool confirm(QWidget*, const QString& question) override
    {
        questions << question;
        return answer;
    }
    QString chooseFolder(QWidget*, const QString&, const QString& current) override
    {
        foldersShown << current;
        return chosenFolder;
    }
    QColor chooseColour(QWidget*, const QString&, const QColor&) override { return chosenColour; }

    QStringList messages;
    QStringList errors;
    QStringList questions;
    bool answer = true;
    QStringList foldersShown; // the folder each folder chooser started in
    QString chosenFolder;     // empty: the player cancels
    QColor chosenColour;      // invalid: the player cancels
};

class FakeSound : public SoundOutput {
public:
    void play(const QString& name) override { played << name; }
    void stop() override {}
    bool isPlaying() const override { return false; }
    QString currentSound() const override { return {}; }

    QStringList played; // every sound handed to the output, in order
};

struct FakeSurroundings {
    FakeDesktop desktop;
    FakePrompts prompts;
    FakeSound sound;

    operator Surroundings() { return {desktop, prompts, sound}; }
};
