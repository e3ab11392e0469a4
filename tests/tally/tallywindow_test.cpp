#include "tally/datafolder.h"
#include "tally/tallycoder.h"
#include "tally/tallywindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>

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

    static QListWidget* list(TallyWindow& window, const char* name)
    {
        return window.findChild<QListWidget*>(name);
    }
    static QString text(TallyWindow& window, const QString& name)
    {
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

TEST_F(TallyWindowTest, ScreenshotWithTwoFollowedPlayers)
{
    TallyWindow window(path);
    window.fillPlayersInGame({ "Barbara", "Klot", "Marcus" });
    list(window, "checklist")->item(0)->setCheckState(Qt::Checked);
    list(window, "checklist")->item(2)->setCheckState(Qt::Checked);
    for (int game = 0; game < 7; ++game)
        window.addGame(game % 3 == 0 ? "Barbara" : "Klot", game == 4);
    window.fillPlayersInGame({ "Barbara", "Klot", "Marcus", "Gwen" });
    window.increaseOwnCounter(3);
    QListWidget* tallied = list(window, "listbox_tally");
    tallied->setCurrentRow(0);
    emit tallied->itemClicked(tallied->item(0));
    window.show();
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(600, 400));
    shot.save(QDir::tempPath() + "/tally.png");
}
