// The tally of a run of the game and its file: loaded at start, saved after every
// game and at the end, a new run's counters from 0, and a damaged file never lost.
#include "tally/datafolder.h"
#include "tally/tally.h"
#include "tally/tallycoder.h"
#include "tally/tallystore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TallyFile : public ::testing::Test {
protected:
    void SetUp() override { path = dir.filePath("hangmantally.tld"); }
    void writeRaw(const QByteArray& bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readRaw(const QString& name) const
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    static QStringList row(const Tally& tally, int r)
    {
        QStringList cells;
        for (int column = 0; column < TallyTable::columnCount; ++column)
            cells << tally.table().cell(column, r);
        return cells;
    }

    QTemporaryDir dir;
    QString path;
};

} // namespace

TEST_F(TallyFile, ARestartKeepsTheAllTimeCountersAndStartsTheRunsAtZero)
{
    {
        Tally tally(path);
        EXPECT_FALSE(QFile::exists(path)) << "no file before the first game";
        tally.follow("Bob\r\nEvil");
        tally.follow("Ann");
        tally.follow("Ann");
        tally.setPlayersInGame({"Bob\r\nEvil", "<Waiting>", "", "Ann"});
        EXPECT_EQ(tally.playersInGame(), QStringList({"Bob  Evil", "Ann"}));
        tally.addGame("Bob\r\nEvil", false);
        tally.addGame("Ann", false);
        EXPECT_EQ(row(tally, 1)[0], "Bob  Evil");
        EXPECT_EQ(tally.table().followedCount(), 2);
    }
    Tally tally(path);
    EXPECT_EQ(tally.loadError(), "");
    EXPECT_EQ(row(tally, 0), QStringList({"0", "2", "0", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(row(tally, 1), QStringList({"Bob  Evil", "2", "1", "0", "1", "0", "0", "0", "0"}));
    EXPECT_EQ(row(tally, 2), QStringList({"Ann", "2", "1", "0", "1", "0", "0", "0", "0"}));
}

TEST_F(TallyFile, SavesAfterEveryGameAndNeverLosesTheOldFile)
{
    auto tally = std::make_unique<Tally>(path);
    QSignalSpy counted(tally.get(), &Tally::countsChanged);
    tally->follow("Bob");
    tally->setPlayersInGame({"Bob"});
    tally->addGame("Bob", false);
    EXPECT_EQ(counted.count(), 1);
    EXPECT_EQ(readTallyFile(path).cell(1, 1), "1");
    tally->addCompletedPuzzle();

    // A save killed half way: the new file was never committed.
    {
        QSaveFile interrupted(path);
        ASSERT_TRUE(interrupted.open(QIODevice::WriteOnly));
        interrupted.write("WRZL garbage");
    }
    EXPECT_EQ(readTallyFile(path).cell(1, 1), "1");
    tally.reset();
    Tally again(path);
    EXPECT_EQ(again.table().cell(1, 1), "1");
    EXPECT_EQ(again.table().cell(3, 0), "1");
}

TEST_F(TallyFile, ADamagedFileIsReportedKeptAsBadAndReplacedByTheNewTally)
{
    writeRaw("NOPE this is not a tally");
    {
        Tally tally(path);
        EXPECT_EQ(tally.loadError(), path + " : Lzrw1 decompression : this file has no valid header !");
        EXPECT_EQ(tally.table().rowCount(), 1);
    }
    EXPECT_EQ(readRaw(path + ".bad"), "NOPE this is not a tally");
    EXPECT_NO_THROW(readTallyFile(path));

    writeRaw(TallyCoder().compress("9\r\n1\r\n0\r\nlots\r\n", CompressionMode::Fast));
    Tally cutShort(path);
    EXPECT_EQ(cutShort.loadError(), "The tally file is damaged: it is cut short");
}

TEST_F(TallyFile, AnUnreadableTallyThatCannotBeCopiedIsNeverOverwritten)
{
    writeRaw("WRZL broken");
    // A folder in the way of the copy (permissions do not stop root).
    ASSERT_TRUE(QDir().mkpath(path + ".bad/in the way"));
    {
        Tally tally(path);
        EXPECT_TRUE(tally.loadError().contains("could not be copied to " + path + ".bad"))
            << tally.loadError().toStdString();
        tally.setPlayersInGame({"Bob"});
        tally.addGame("Bob", false);
        EXPECT_FALSE(tally.save());
    }
    EXPECT_EQ(readRaw(path), "WRZL broken");
}

TEST_F(TallyFile, NotesInTheOwnRecordSurviveLoadingCountingAndSaving)
{
    TallyTable table;
    table.setCell(0, 0, "Ann");
    table.setCell(6, 0, "kept by hand");
    writeTallyFile(path, table);
    {
        Tally tally(path);
        tally.setPlayersInGame({"Bob"});
        tally.addGame("Ann", true);
        EXPECT_EQ(tally.loadError(), "");
    }
    EXPECT_FALSE(QFile::exists(path + ".bad"));
    const TallyTable saved = readTallyFile(path);
    EXPECT_EQ(saved.cell(0, 0), "Ann");
    EXPECT_EQ(saved.cell(6, 0), "kept by hand");
    EXPECT_EQ(saved.cell(2, 0), "1");
}

TEST(DataFolder, ProgramFolderWhenWritableAndOverride)
{
    EXPECT_EQ(dataFolder(), QCoreApplication::applicationDirPath());
    const QString fallback = chooseDataFolder("/nonexistent/program/folder");
    EXPECT_NE(fallback, "/nonexistent/program/folder");
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    setDataFolderForTesting("/somewhere/else");
    EXPECT_EQ(TallyStore::defaultPath(), "/somewhere/else/hangmantally.tld");
    setDataFolderForTesting({});
}
