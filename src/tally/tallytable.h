#pragma once
// The tally table and its counting rules. Nine columns of text cells: row 0 is
// the local user's own record, every later row one followed player, in the order
// the players were followed (position 0 is row 1). A followed player's row holds
// his name and four counters for all time, then the same four for this run.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <stdexcept>

// A tally that cannot be read, or a counter cell that is not a number.
class TallyError : public std::runtime_error {
public:
    explicit TallyError(const QString& message);
    // The error text as a QString.
    QString message() const;
};

class TallyTable {
public:
    static constexpr int columnCount = 9;
    static constexpr int maxRows = 100000;
    static constexpr int ownRow = 0;
    static constexpr int nameColumn = 0;

    // The own record's counters; its other cells are free and may hold any text.
    enum class Own { TotalGames = 1, Wins = 2, CompletedPuzzles = 3, Spare = 4 };
    // A followed player's counters: games played together, and who won them.
    enum class Count { Games, TheirWins, YourWins, NeitherWon };
    // Counted over all time, or over this run of the program only.
    enum class Span { AllTime, ThisRun };

    static constexpr std::array<Own, 4> ownCounters{Own::TotalGames, Own::Wins, Own::CompletedPuzzles, Own::Spare};
    static constexpr std::array<Count, 4> counts{Count::Games, Count::TheirWins, Count::YourWins, Count::NeitherWon};
    static constexpr std::array<Span, 2> spans{Span::AllTime, Span::ThisRun};

    // The column of an own counter, or of a followed player's counter.
    static int column(Own counter) { return int(counter); }
    static int column(Count counter, Span span) { return 1 + int(counter) + (span == Span::ThisRun ? 4 : 0); }

    // One row: the own record with "0" in every cell.
    TallyTable();

    // Number of rows, the own record included.
    int rowCount() const;
    // The text of a cell; empty outside the table.
    QString cell(int column, int row) const;
    // Stores a cell; ignored outside the table.
    void setCell(int column, int row, const QString& text);

    // An own counter as text.
    QString own(Own counter) const { return cell(column(counter), ownRow); }
    // Number of followed players.
    int followedCount() const { return rowCount() - 1; }
    // The followed player at the position (0 onwards); empty outside the list.
    QString followedName(int position) const { return cell(nameColumn, position + 1); }
    // A followed player's counter as text.
    QString count(int position, Count counter, Span span) const;
    // The position of the followed player with exactly this name, -1 when not followed.
    int followedPosition(const QString& name) const;

    // Follows a player: the cleaned name with "0" in every counter, after the others.
    void follow(const QString& name);
    // Stops following the player at the position, moving the later ones up; ignored outside the list.
    void unfollow(int position);
    // Zeroes the own record's four counters and follows nobody.
    void reset();
    // Zeroes every followed player's counters of this run.
    void startRun();
    // Counts one finished game: the own games (and wins, when the local user won)
    // and, for every name in the game that is followed, the game and who won it.
    // Throws TallyError at a counter that is not a number; later counts are skipped.
    void countGame(const QStringList& namesInGame, const QString& winner, bool localUserWon);
    // Counts one puzzle the local user completed.
    void countCompletedPuzzle();
    // Adds one to a counter cell and returns the new value; throws TallyError when
    // the cell does not hold a decimal integer.
    qint64 increase(int column, int row);

    // The text dump: column count, row count, then every cell column by column, CR LF after each line.
    QByteArray toText() const;
    // Reads a text dump. Throws TallyError unless it has 9 columns, 1 to maxRows
    // rows, all its cell lines, and counters that are decimal integers or empty
    // (empty ones become "0"); the own record's free cells are kept as they are.
    static TallyTable fromText(const QByteArray& text);

    // A name as it may be stored: CR and LF replaced by blanks.
    static QString cleanName(const QString& name);

private:
    using Row = std::array<QString, columnCount>;
    static Row zeroes();
    static bool isOwnCounter(int column);
    void countGameFor(int row, const QString& winner, bool localUserWon);

    QVector<Row> rows;
};
