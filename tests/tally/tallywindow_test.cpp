#include "tally/datafolder.h"
#include "tally/tallycoder.h"
#include "tally/tallywindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class TallyWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.filePath("hangmantally.tld");
        TallyWindow::setErrorHook([this](const QString& message) { errors << message; });
        TallyWindow::setConfirmHook([this](const QString& question) {
            questions << question;
            return answer;
        });
    }
    void TearDown() override
    {
        TallyWindow::setErrorHook({});
        TallyWindow::setConfirmHook({});
    }

    // The window makes its widgets when it is first shown.
    static QListWidget* list(TallyWindow& window, const char* name)
    {
        window.show();
        return window.findChild<QListWidget*>(name);
    }
    static QString text(TallyWindow& window, const QString& name)
    {
        window.show();
        return window.findChild<QLabel*>(name)->text();
    }
    static void follow(TallyWindow& window, const QStringList& names)
    {
        window.fillPlayersInGame(names);
        QListWidget* m_playersInGame = list(window, "checklist");
        for (int i = 0; i < m_playersInGame->count(); ++i)
            m_playersInGame->item(i)->setCheckState(Qt::Checked);
    }
    static void untick(TallyWindow& window, int position)
    {
        list(window, "listbox_tally")->item(position)->setCheckState(Qt::Unchecked);
        QCoreApplication::processEvents();
    }
    static QStringList row(const TallyWindow& window, int r)
    {
        QStringList cells;
        for (int column = 0; column < TallyTable::columnCount; ++column)
            cells << window.table().cell(column, r);
        return cells;
    }

    QTemporaryDir dir;
    QString path;
    QStringList errors;
    QStringList questions;
    bool answer = true;
};

} // namespace

TEST_F(TallyWindowTest, CountsGamesByWhoWon)
{
    TallyWindow window(path);
    follow(window, { "Bob", "Ann" });
    window.fillPlayersInGame({ "Zed" });
    window.addGame("Zed", false);
    EXPECT_EQ(row(window, 1), QStringList({ "Bob", "0", "0", "0", "0", "0", "0", "0", "0" }));
    EXPECT_EQ(text(window, "mylabel_1"), "1");

    window.fillPlayersInGame({ "Bob", "Zed", "Ann" });
    window.addGame("Bob", false);
    EXPECT_EQ(row(window, 1), QStringList({ "Bob", "1", "1", "0", "0", "1", "1", "0", "0" }));
    EXPECT_EQ(row(window, 2), QStringList({ "Ann", "1", "0", "0", "1", "1", "0", "0", "1" }));

    window.addGame("You", true);
    EXPECT_EQ(row(window, 1), QStringList({ "Bob", "2", "1", "1", "0", "2", "1", "1", "0" }));
    EXPECT_EQ(text(window, "mylabel_1"), "3");
    EXPECT_EQ(text(window, "mylabel_2"), "1");

    // A player named like the old magic word wins only for himself.
    window.fillPlayersInGame({ "addtomine", "Bob" });
    window.addGame("addtomine", false);
    EXPECT_EQ(row(window, 1), QStringList({ "Bob", "3", "1", "1", "1", "3", "1", "1", "1" }));
    EXPECT_EQ(text(window, "mylabel_2"), "1");

    window.increaseOwnCounter(3);
    EXPECT_EQ(text(window, "mylabel_3"), "1");
    list(window, "listbox_tally")->setCurrentRow(1);
    emit list(window, "listbox_tally")->itemClicked(list(window, "listbox_tally")->item(1));
    EXPECT_EQ(text(window, "label_hisnametop"), "Ann's Tally");
    EXPECT_EQ(text(window, "label_hisname"), "Ann Wins:");
    EXPECT_EQ(text(window, "label_4"), "1");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(TallyWindowTest, FollowingAndDeletingKeepRowsAligned)
{
    TallyWindow window(path);
    follow(window, { "A", "B", "C" });
    QListWidget* m_playersInGame = list(window, "checklist");
    QListWidget* tallied = list(window, "listbox_tally");

    m_playersInGame->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(tallied->count(), 3);
    window.fillPlayersInGame({ "A", "D" });
    EXPECT_EQ(m_playersInGame->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(m_playersInGame->item(1)->checkState(), Qt::Unchecked);

    answer = false;
    untick(window, 1);
    EXPECT_EQ(questions.value(0), "This will delete B's Tally, Are you want to delete it?");
    EXPECT_EQ(tallied->count(), 3);
    EXPECT_EQ(tallied->item(1)->checkState(), Qt::Checked);

    window.fillPlayersInGame({ "B" });
    window.addGame("B", false);
    answer = true;
    untick(window, 0);
    ASSERT_EQ(tallied->count(), 2);
    EXPECT_EQ(row(window, 1), QStringList({ "B", "1", "1", "0", "0", "1", "1", "0", "0" }));
    EXPECT_EQ(row(window, 2)[0], "C");
    untick(window, 1);
    ASSERT_EQ(tallied->count(), 1);
    EXPECT_EQ(tallied->item(0)->text(), "B");
    EXPECT_EQ(window.table().rowCount(), 2);
    EXPECT_EQ(row(window, 1), QStringList({ "B", "1", "1", "0", "0", "1", "1", "0", "0" }));

    window.removeRow(0);
    window.removeRow(7);
    EXPECT_EQ(window.table().rowCount(), 2);
}

TEST_F(TallyWindowTest, ResetAsksAndCountsFromZeroAfterwards)
{
    TallyWindow window(path);
    follow(window, { "Bob" });
    window.addGame("Bob", false);
    QPushButton* reset = window.findChild<QPushButton*>("button_reset");

    answer = false;
    reset->click();
    EXPECT_EQ(questions.value(0), "Are you sure you want to reset the Tally?");
    EXPECT_EQ(window.table().rowCount(), 2);

    answer = true;
    reset->click();
    EXPECT_EQ(window.table().rowCount(), 1);
    EXPECT_EQ(text(window, "mylabel_1"), "0");
    EXPECT_EQ(list(window, "listbox_tally")->count(), 0);
    window.addGame("Bob", false);
    EXPECT_EQ(text(window, "mylabel_1"), "1");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(TallyWindowTest, RestartKeepsAllTimeCountersAndZeroesSession)
{
    {
        TallyWindow window(path);
        follow(window, { "Bob\r\nEvil", "Ann" });
        window.addGame("Bob\r\nEvil", false);
        window.addGame("Ann", false);
        EXPECT_EQ(row(window, 1)[0], "Bob  Evil");
    }
    TallyWindow window(path);
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(row(window, 0), QStringList({ "0", "2", "0", "0", "0", "0", "0", "0", "0" }));
    EXPECT_EQ(row(window, 1), QStringList({ "Bob  Evil", "2", "1", "0", "1", "0", "0", "0", "0" }));
    EXPECT_EQ(row(window, 2), QStringList({ "Ann", "2", "1", "0", "1", "0", "0", "0", "0" }));
    EXPECT_EQ(list(window, "listbox_tally")->item(0)->checkState(), Qt::Checked);
}

TEST_F(TallyWindowTest, SavesAfterEveryGameAndNeverLosesTheOldFile)
{
    auto window = std::make_unique<TallyWindow>(path);
    follow(*window, { "Bob" });
    window->addGame("Bob", false);
    EXPECT_EQ(readTallyFile(path).cell(1, 1), "1");

    // A save killed half way: the new file was never committed.
    {
        QSaveFile interrupted(path);
        ASSERT_TRUE(interrupted.open(QIODevice::WriteOnly));
        interrupted.write("WRZL garbage");
    }
    EXPECT_EQ(readTallyFile(path).cell(1, 1), "1");
    window.reset();
    TallyWindow again(path);
    EXPECT_EQ(again.table().cell(1, 1), "1");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(TallyWindowTest, DamagedFileIsReportedAndKeptAsBad)
{
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("NOPE this is not a tally");
    }
    {
        TallyWindow window(path);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_EQ(errors[0], path + " : Lzrw1 decompression : this file has no valid header !");
        EXPECT_EQ(window.table().rowCount(), 1);
    }
    QFile bad(path + ".bad");
    ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
    EXPECT_EQ(bad.readAll(), "NOPE this is not a tally");
    EXPECT_NO_THROW(readTallyFile(path));

    QFile text(path);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(TallyCoder().compress("9\r\n1\r\n0\r\nlots\r\n", CompressionMode::Fast));
    text.close();
    errors.clear();
    TallyWindow window(path);
    EXPECT_EQ(errors.size(), 1);
}

TEST(TallyText, DumpLayoutAndDamagedTexts)
{
    TallyTable table;
    EXPECT_EQ(table.toText().count("\r\n"), 11);
    table.appendRow("Bob");
    table.setCell(3, 1, "7");
    const QByteArray text = table.toText();
    EXPECT_TRUE(text.startsWith("9\r\n2\r\n0\r\nBob\r\n0\r\n0\r\n"));
    EXPECT_EQ(TallyTable::fromText(text).cell(3, 1), "7");
    EXPECT_EQ(TallyTable::fromText("9 columns\r\n1 row\r\n\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8").cell(8, 0), "8");

    for (const QByteArray& damaged : { QByteArray(), QByteArray("9\r\n"), QByteArray("x\r\n1\r\n"),
                                       QByteArray("9\r\n0\r\n"), QByteArray("8\r\n1\r\n"),
                                       QByteArray("9\r\n2000000000\r\n"), QByteArray("9\r\n-5\r\n"),
                                       QByteArray("9\r\n1\r\n0\r\n1\r\n2\r\n") })
        EXPECT_THROW(TallyTable::fromText(damaged), TallyError) << damaged.constData();
}

TEST(DataFolder, ProgramFolderWhenWritableAndOverride)
{
    EXPECT_EQ(dataFolder(), QCoreApplication::applicationDirPath());
    const QString fallback = chooseDataFolder("/nonexistent/program/folder");
    EXPECT_NE(fallback, "/nonexistent/program/folder");
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    setDataFolderForTesting("/somewhere/else");
    EXPECT_EQ(TallyWindow::defaultTallyPath(), "/somewhere/else/hangmantally.tld");
    setDataFolderForTesting({});
}

namespace {

// Two followed players (Barbara, Marcus) after seven games; Barbara's record shown.
void playSevenGames(TallyWindow& window)
{
    window.show(); // the player ticks the names in the open window
    window.fillPlayersInGame({ "Barbara", "Klot", "Marcus" });
    QListWidget* m_playersInGame = window.findChild<QListWidget*>("checklist");
    m_playersInGame->item(0)->setCheckState(Qt::Checked);
    m_playersInGame->item(2)->setCheckState(Qt::Checked);
    for (int game = 0; game < 7; ++game)
        window.addGame(game % 3 == 0 ? "Barbara" : "Klot", game == 4);
    window.fillPlayersInGame({ "Barbara", "Klot", "Marcus", "Gwen" });
    window.increaseOwnCounter(3);
    QListWidget* tallied = window.findChild<QListWidget*>("listbox_tally");
    tallied->setCurrentRow(0);
    emit tallied->itemClicked(tallied->item(0));
}

QStringList texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "-");
    return out;
}

} // namespace

// Most games never open the tally: it counts from the table and the names in the
// game, and its lists show the same when it is first opened afterwards.
TEST_F(TallyWindowTest, CountsWithoutEverBeingShownAndShowsItLater)
{
    {
        TallyWindow window(path);
        follow(window, { "Ann" });
    }
    TallyWindow window(path);
    window.fillPlayersInGame({ "Ann", "<Waiting>", "Bob", "" });
    window.addGame("Ann", false);
    window.addGame("Bob", true);
    window.increaseOwnCounter(3);
    EXPECT_TRUE(window.findChildren<QWidget*>().isEmpty()) << "nothing made before the first showing";
    EXPECT_EQ(row(window, 0), QStringList({ "0", "2", "1", "1", "0", "0", "0", "0", "0" }));
    EXPECT_EQ(row(window, 1), QStringList({ "Ann", "2", "1", "1", "0", "2", "1", "1", "0" }));
    EXPECT_EQ(window.table().rowCount(), 2) << "Bob is in the game but not followed";

    EXPECT_EQ(texts(list(window, "listbox_tally")), QStringList({ "Ann+" }));
    EXPECT_EQ(texts(list(window, "checklist")), QStringList({ "Ann+", "Bob-" }));
    EXPECT_EQ(text(window, "mylabel_1"), "2");
    EXPECT_EQ(text(window, "mylabel_3"), "1");
}

TEST_F(TallyWindowTest, ShowsTheOwnRecordTheListsAndTheChosenPlayersRecord)
{
    TallyWindow window(path);
    playSevenGames(window);
    window.show();
    EXPECT_EQ(window.size(), QSize(600, 400));
    QStringList own;
    for (int i = 1; i <= 4; ++i)
        own << text(window, QString("mylabel_%1").arg(i));
    EXPECT_EQ(own, QStringList({ "7", "1", "1", "0" }));
    QStringList shown;
    for (int i = 1; i <= 8; ++i)
        shown << text(window, QString("label_%1").arg(i));
    EXPECT_EQ(shown, QStringList({ "7", "3", "1", "3", "7", "3", "1", "3" }));
    EXPECT_EQ(row(window, 2), QStringList({ "Marcus", "7", "0", "1", "6", "7", "0", "1", "6" }));
    EXPECT_EQ(text(window, "label_hisnametop"), "Barbara's Tally");
    EXPECT_EQ(text(window, "label_hisname"), "Barbara Wins:");
    EXPECT_EQ(texts(list(window, "listbox_tally")), QStringList({ "Barbara+", "Marcus+" }));
    EXPECT_EQ(texts(list(window, "checklist")), QStringList({ "Barbara+", "Klot-", "Marcus+", "Gwen-" }));
}

// Writes a picture of the tally window to the folder named by HANGMAN_SCREENSHOTS, for
// looking at by eye. A tool, not a test: disabled, so it runs only when asked for (see README.md).
TEST_F(TallyWindowTest, DISABLED_PictureWriterToHangmanScreenshotsFolder)
{
    const QString folder = qEnvironmentVariable("HANGMAN_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "HANGMAN_SCREENSHOTS not set";
    QDir().mkpath(folder);
    TallyWindow window(path);
    playSevenGames(window);
    window.show();
    EXPECT_TRUE(window.grab().save(folder + "/tally.png"));
}

TEST(TallyText, OwnRecordFreeCellsHoldAnyTextButCountersMustBeNumbers)
{
    const QByteArray withNotes = "9\r\n2\r\nAnn's own record\r\nBob\r\n3\r\n1\r\n2\r\n1\r\n1\r\n0\r\n0\r\n0\r\n"
                                 "note: 5\r\n0\r\n\r\n0\r\nx y z\r\n0\r\n-\r\n0\r\n";
    const TallyTable table = TallyTable::fromText(withNotes);
    EXPECT_EQ(table.cell(0, 0), "Ann's own record");
    EXPECT_EQ(table.cell(5, 0), "note: 5");
    EXPECT_EQ(table.cell(6, 0), "");
    EXPECT_EQ(table.cell(7, 0), "x y z");
    EXPECT_EQ(table.cell(8, 0), "-");
    EXPECT_EQ(table.cell(1, 0), "3");
    EXPECT_EQ(table.toText(), withNotes);

    // A counter the program reads: columns 1 to 4 of the own record, 1 to 8 of a followed player.
    for (int column = 1; column <= 4; ++column) {
        TallyTable damaged = table;
        damaged.setCell(column, 0, "many");
        EXPECT_THROW(TallyTable::fromText(damaged.toText()), TallyError) << "own column " << column;
    }
    for (int column = 1; column <= 8; ++column) {
        TallyTable damaged = table;
        damaged.setCell(column, 1, "many");
        EXPECT_THROW(TallyTable::fromText(damaged.toText()), TallyError) << "followed column " << column;
    }
}

TEST_F(TallyWindowTest, NotesInTheOwnRecordSurviveLoadingCountingAndSaving)
{
    TallyTable table;
    table.setCell(0, 0, "Ann");
    table.setCell(6, 0, "kept by hand");
    writeTallyFile(path, table);
    {
        TallyWindow window(path);
        window.fillPlayersInGame({ "Bob" });
        window.addGame("Ann", true);
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(path + ".bad"));
    const TallyTable saved = readTallyFile(path);
    EXPECT_EQ(saved.cell(0, 0), "Ann");
    EXPECT_EQ(saved.cell(6, 0), "kept by hand");
    EXPECT_EQ(saved.cell(2, 0), "1");
}

TEST_F(TallyWindowTest, AnUnreadableTallyThatCannotBeCopiedIsNeverOverwritten)
{
    const QByteArray damaged = "WRZL broken";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    // A folder in the way of the copy (permissions do not stop root).
    ASSERT_TRUE(QDir().mkpath(path + ".bad/in the way"));
    {
        TallyWindow window(path);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains("could not be copied to " + path + ".bad")) << errors[0].toStdString();
        window.fillPlayersInGame({ "Bob" });
        window.addGame("Bob", false);
        EXPECT_FALSE(window.save());
    }
    EXPECT_EQ(errors.size(), 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
}

TEST_F(TallyWindowTest, ErrorBoxIsTitledHangman)
{
    TallyWindow::setErrorHook({});
    QString title;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&title] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            box->accept();
        }
    });
    closer.start(10);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a tally");
    }
    TallyWindow window(path);
    EXPECT_EQ(title, "Hangman");
}
