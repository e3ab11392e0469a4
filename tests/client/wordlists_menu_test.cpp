// The host's word folder: the Options menu entries, the "Wordfolder" setting,
// the command line winning over it, and a solo game drawing from the folder
// with the word-list lines in the host's chat.
#include "board/board.h"
#include "client/gamemenus.h"
#include "client/mainwindow.h"
#include "server/hostedserver.h"
#include "support/fakesurroundings.h"
#include "windows/gameoptionsdialog.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include "support/pump.h"

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<none>");
}

// A solo host with its own server, set up as the program does, on a free port.
class SoloHost {
public:
    SoloHost(VirtualClock& clock, const QString& settingsPath, const std::optional<QString>& override = {})
        : server(clock, 5, WordLists(builtIns())), chat(clock, outside)
    {
        chat.setArguments({});
        chat.setGamePort(0);
        chat.setSettingsPath(settingsPath);
        QObject::connect(&chat, &MainWindow::chatLineAdded, [this](int, const QString& text) { lines << text; });
        MainWindow::Windows windows;
        windows.server = &server;
        windows.gamestart = &gamestart;
        chat.setWindows(windows);
        if (override)
            chat.setWordFolderOverride(*override);
        chat.show();
    }
    static WordListSet builtIns()
    {
        WordListSet lists;
        for (WordList& list : lists)
            list = {"builtin word", "builtin word", "builtin word"};
        return lists;
    }
    void startGame()
    {
        QTest::mouseClick(chat.board()->findChild<QWidget*>("button_start"), Qt::LeftButton);
        gamestart.findChild<QPushButton*>("button_start")->click();
    }

    HostedServer server;
    GameOptionsDialog gamestart;
    FakeSurroundings outside;
    MainWindow chat;
    QStringList lines;
    const QStringList& boxes = outside.prompts.messages;
};

class WordListsMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"ours", "theirs", "cli"})
            ASSERT_TRUE(QDir(dir.path()).mkdir(name));
        for (const char* file : {"general.txt", "holiday.txt", "food.txt", "entertainment.txt", "phrases.txt"})
            writeFile(folder("ours") + "/" + file, "# one word each\nfolder word\n");
        writeFile(folder("ours") + "/food.txt", "folder word\nfish & chips\n");
        writeFile(settings(), "[lobby]\r\nname=Ann\r\n[hangman]\r\nWordfolder=" + folder("ours").toUtf8() +
                                  "\r\n[other]\r\nWordfolder=keep\r\n");
    }
    QString folder(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QString settings() const { return QDir(dir.path()).filePath("vorlixlobby.ini"); }

    QTemporaryDir dir;
    VirtualClock clock;
};

TEST_F(WordListsMenu, ASoloGameDrawsFromTheSavedFolderAndTellsTheHost)
{
    SoloHost host(clock, settings());
    ASSERT_TRUE(pump(clock, [&] { return host.lines.contains("You are Connected."); }));
    EXPECT_EQ(host.chat.wordFolder(), folder("ours"));
    EXPECT_EQ(host.server.server().wordFolder(), folder("ours"));

    host.startGame();
    ASSERT_TRUE(pump(clock, [&] { return host.server.server().gameRunning() && !host.server.server().word().isEmpty(); }));
    EXPECT_EQ(host.server.server().word(), "folder word");
    const QString folderLine = "Words from the folder " + QDir::toNativeSeparators(folder("ours")) + ":";
    ASSERT_TRUE(pump(clock, [&] {
        return host.lines.contains("You has started a game.") && host.lines.contains(folderLine);
    }));
    EXPECT_EQ(host.lines.indexOf(folderLine), host.lines.indexOf("You has started a game.") + 1)
        << "the folder's lines follow the host's own start line: " << host.lines.join(" | ").toStdString();
    EXPECT_EQ(host.lines.indexOf("General: 1 word from general.txt"), host.lines.indexOf(folderLine) + 1);
    EXPECT_TRUE(host.lines.contains(
        "Skipped food.txt line 2: \"&\" is not allowed (only the letters a to z, blanks and apostrophes)"));

    const QString shots = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        host.chat.resize(712, 524);
        QCoreApplication::processEvents();
        EXPECT_TRUE(host.chat.grab().save(shots + "/host_word_lists_chat.png"));
    }
}

TEST_F(WordListsMenu, TheMenuSavesTheFolderAndTheBuiltInWordsGoBack)
{
    SoloHost host(clock, settings());
    ASSERT_TRUE(pump(clock, [&] { return host.lines.contains("You are Connected."); }));
    QAction* choose = host.chat.menus().chooseWordLists;
    QAction* builtIn = host.chat.menus().useBuiltInWords;
    ASSERT_TRUE(choose && builtIn);
    EXPECT_EQ(choose->text(), "Word Lists…");
    EXPECT_EQ(builtIn->text(), "Built-in Words");

    choose->trigger(); // cancelled: nothing changes
    EXPECT_EQ(host.outside.prompts.foldersShown, QStringList{folder("ours")});
    EXPECT_EQ(host.chat.wordFolder(), folder("ours"));

    host.outside.prompts.chosenFolder = folder("theirs");
    choose->trigger();
    EXPECT_EQ(host.server.server().wordFolder(), folder("theirs"));
    EXPECT_EQ(host.lines.last(),
              "Word lists from " + QDir::toNativeSeparators(folder("theirs")) + " from the next game on.");
    EXPECT_EQ(readFile(settings()), "[lobby]\r\nname=Ann\r\n[hangman]\r\nWordfolder=" + folder("theirs").toUtf8() +
                                        "\r\n[other]\r\nWordfolder=keep\r\n");

    builtIn->trigger();
    EXPECT_EQ(host.server.server().wordFolder(), QString());
    EXPECT_EQ(host.lines.last(), "Built-in words from the next game on.");
    EXPECT_EQ(readFile(settings()), "[lobby]\r\nname=Ann\r\n[hangman]\r\nWordfolder=\r\n[other]\r\nWordfolder=keep\r\n");
    EXPECT_TRUE(host.boxes.isEmpty());

    host.startGame();
    ASSERT_TRUE(pump(clock, [&] { return !host.server.server().word().isEmpty(); }));
    EXPECT_EQ(host.server.server().word(), "builtin word");
    EXPECT_FALSE(host.lines.filter("Words from the folder").size() > 0);
}

TEST_F(WordListsMenu, TheCommandLineWinsOverTheSettingForThatRun)
{
    SoloHost host(clock, settings(), folder("cli"));
    ASSERT_TRUE(pump(clock, [&] { return host.lines.contains("You are Connected."); }));
    EXPECT_EQ(host.chat.wordFolder(), folder("cli"));
    EXPECT_EQ(host.server.server().wordFolder(), folder("cli"));
    host.startGame();
    ASSERT_TRUE(pump(clock, [&] { return !host.server.server().word().isEmpty(); }));
    EXPECT_EQ(host.server.server().word(), "builtin word"); // the folder has no files
    host.chat.close();
    EXPECT_TRUE(readFile(settings()).contains("Wordfolder=" + folder("ours").toUtf8() + "\r\n"));
}

} // namespace
