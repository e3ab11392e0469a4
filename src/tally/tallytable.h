#pragma once
// The tally table (nine columns of text cells, row 0 the local user's own record,
// one row per followed player), its text dump and the tally file that holds it.

#include <QByteArray>
#include <QString>
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

    // One row: the own record with "0" in every cell.
    TallyTable();

    // Number of rows, the own record included.
    int rowCount() const;
    // The text of a cell; empty outside the table.
    QString cell(int column, int row) const;
    // Stores a cell; ignored outside the table.
    void setCell(int column, int row, const QString& text);
    // Appends a followed player: the cleaned name in column 0, "0" in columns 1 to 8.
    void appendRow(const QString& name);
    // Drops rows from the end until `rows` remain (never fewer than one).
    void truncate(int rows);

    // The text dump: column count, row count, then every cell column by column, CR LF after each line.
    QByteArray toText() const;
    // Reads a text dump. Throws TallyError unless it has 9 columns, 1 to maxRows
    // rows, all its cell lines, and counters that are decimal integers or empty
    // (empty ones become "0").
    static TallyTable fromText(const QByteArray& text);

    // A name as it may be stored: CR and LF replaced by blanks.
    static QString cleanName(const QString& name);

private:
    QVector<std::array<QString, columnCount>> rows;
};

// Reads a tally file (a "WRZL" or "!HZL" container holding the text dump).
// Throws TallyCoderError or TallyError when it is damaged or unreadable.
TallyTable readTallyFile(const QString& path);

// Writes the tally file in Fast mode, atomically: on failure the old file stays
// as it was and TallyError is thrown.
void writeTallyFile(const QString& path, const TallyTable& table);
