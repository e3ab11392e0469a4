// The tally table: how a finished game is counted for the local user and every
// followed player at the table, following and unfollowing, the reset, and the
// text dump the tally file holds.
#include "tally/tallytable.h"

#include <gtest/gtest.h>

namespace {

using Own = TallyTable::Own;

QStringList row(const TallyTable& table, int r)
{
    QStringList cells;
    for (int column = 0; column < TallyTable::columnCount; ++column)
        cells << table.cell(column, r);
    return cells;
}

} // namespace

TEST(TallyTable, CountsEachGameByWhoWon)
{
    TallyTable table;
    table.follow("Bob");
    table.follow("Ann");
    table.countGame({"Zed"}, "Zed", false);
    EXPECT_EQ(row(table, 1), QStringList({"Bob", "0", "0", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(table.own(Own::TotalGames), "1");

    table.countGame({"Bob", "Zed", "Ann"}, "Bob", false);
    EXPECT_EQ(row(table, 1), QStringList({"Bob", "1", "1", "0", "0", "1", "1", "0", "0"}));
    EXPECT_EQ(row(table, 2), QStringList({"Ann", "1", "0", "0", "1", "1", "0", "0", "1"}));

    table.countGame({"Bob", "Zed", "Ann"}, "You", true);
    EXPECT_EQ(row(table, 1), QStringList({"Bob", "2", "1", "1", "0", "2", "1", "1", "0"}));
    EXPECT_EQ(table.own(Own::TotalGames), "3");
    EXPECT_EQ(table.own(Own::Wins), "1");

    // A player named like the old magic word wins only for himself.
    table.countGame({"addtomine", "Bob"}, "addtomine", false);
    EXPECT_EQ(row(table, 1), QStringList({"Bob", "3", "1", "1", "1", "3", "1", "1", "1"}));
    EXPECT_EQ(table.own(Own::Wins), "1");

    table.countCompletedPuzzle();
    EXPECT_EQ(row(table, 0), QStringList({"0", "4", "1", "1", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(table.count(1, TallyTable::Count::NeitherWon, TallyTable::Span::AllTime), "1");
    EXPECT_EQ(table.count(1, TallyTable::Count::NeitherWon, TallyTable::Span::ThisRun), "1");

    // A new run counts from 0 again and keeps the all-time counters.
    table.startRun();
    EXPECT_EQ(row(table, 1), QStringList({"Bob", "3", "1", "1", "1", "0", "0", "0", "0"}));
    EXPECT_EQ(row(table, 0)[1], "4");
}

TEST(TallyTable, UnfollowingMovesTheLaterPlayersUpAndResetFollowsNobody)
{
    TallyTable table;
    for (const char* name : {"A", "B", "C"})
        table.follow(name);
    table.countGame({"B"}, "B", false);
    EXPECT_EQ(table.followedPosition("C"), 2);
    EXPECT_EQ(table.followedPosition("c"), -1) << "names are compared exactly";

    table.unfollow(0);
    ASSERT_EQ(table.followedCount(), 2);
    EXPECT_EQ(row(table, 1), QStringList({"B", "1", "1", "0", "0", "1", "1", "0", "0"}));
    EXPECT_EQ(table.followedName(1), "C");
    table.unfollow(1);
    EXPECT_EQ(table.followedCount(), 1);
    EXPECT_EQ(row(table, 1), QStringList({"B", "1", "1", "0", "0", "1", "1", "0", "0"}));
    table.unfollow(-1);
    table.unfollow(1);
    EXPECT_EQ(table.followedCount(), 1);

    table.setCell(6, 0, "a note");
    table.reset();
    EXPECT_EQ(table.followedCount(), 0);
    EXPECT_EQ(row(table, 0), QStringList({"0", "0", "0", "0", "0", "0", "a note", "0", "0"}));
    table.follow("B");
    table.countGame({"B"}, "B", false);
    EXPECT_EQ(row(table, 1), QStringList({"B", "1", "1", "0", "0", "1", "1", "0", "0"}));
}

TEST(TallyTable, ACounterThatIsNoNumberStopsTheCountingOfThatGame)
{
    TallyTable table;
    table.follow("Ann");
    table.follow("Bob");
    table.setCell(1, 2, "many");
    table.setCell(3, 1, "");
    EXPECT_THROW(table.countGame({"Ann", "Bob"}, "Ann", false), TallyError);
    EXPECT_EQ(row(table, 1), QStringList({"Ann", "1", "1", "0", "0", "1", "1", "0", "0"})) << "an empty counter is 0";
    EXPECT_EQ(row(table, 2)[1], "many");
    EXPECT_EQ(table.own(Own::TotalGames), "1");
}

TEST(TallyText, DumpLayoutAndDamagedTexts)
{
    TallyTable table;
    EXPECT_EQ(table.toText().count("\r\n"), 11);
    table.follow("Bob");
    table.setCell(3, 1, "7");
    const QByteArray text = table.toText();
    EXPECT_TRUE(text.startsWith("9\r\n2\r\n0\r\nBob\r\n0\r\n0\r\n"));
    EXPECT_EQ(TallyTable::fromText(text).cell(3, 1), "7");
    EXPECT_EQ(TallyTable::fromText("9 columns\r\n1 row\r\n\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8").cell(8, 0), "8");

    for (const QByteArray& damaged : {QByteArray(), QByteArray("9\r\n"), QByteArray("x\r\n1\r\n"),
                                      QByteArray("9\r\n0\r\n"), QByteArray("8\r\n1\r\n"),
                                      QByteArray("9\r\n2000000000\r\n"), QByteArray("9\r\n-5\r\n"),
                                      QByteArray("9\r\n1\r\n0\r\n1\r\n2\r\n")})
        EXPECT_THROW(TallyTable::fromText(damaged), TallyError) << damaged.constData();
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
