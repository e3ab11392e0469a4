#include "tally/tallytable.h"

#include <QList>

#include <limits>

TallyError::TallyError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString TallyError::message() const
{
    return QString::fromStdString(what());
}

TallyTable::Row TallyTable::zeroes()
{
    Row row;
    row.fill(QStringLiteral("0"));
    return row;
}

bool TallyTable::isOwnCounter(int column)
{
    return column >= TallyTable::column(Own::TotalGames) && column <= TallyTable::column(Own::Spare);
}

TallyTable::TallyTable()
{
    rows.append(zeroes());
}

int TallyTable::rowCount() const
{
    return int(rows.size());
}

QString TallyTable::cell(int column, int row) const
{
    if (column < 0 || column >= columnCount || row < 0 || row >= rows.size())
        return {};
    return rows[row][size_t(column)];
}

void TallyTable::setCell(int column, int row, const QString& text)
{
    if (column < 0 || column >= columnCount || row < 0 || row >= rows.size())
        return;
    rows[row][size_t(column)] = text;
}

QString TallyTable::count(int position, Count counter, Span span) const
{
    return cell(column(counter, span), position + 1);
}

int TallyTable::followedPosition(const QString& name) const
{
    for (int row = 1; row < rowCount(); ++row)
        if (rows[row][nameColumn] == name)
            return row - 1;
    return -1;
}

void TallyTable::follow(const QString& name)
{
    Row row = zeroes();
    row[nameColumn] = cleanName(name);
    rows.append(row);
}

void TallyTable::unfollow(int position)
{
    if (position >= 0 && position < followedCount())
        rows.remove(position + 1);
}

void TallyTable::reset()
{
    for (int counter = column(Own::TotalGames); counter <= column(Own::Spare); ++counter)
        rows[ownRow][size_t(counter)] = QStringLiteral("0");
    rows.resize(1);
}

void TallyTable::startRun()
{
    for (int row = 1; row < rowCount(); ++row)
        for (Count counter : counts)
            rows[row][size_t(column(counter, Span::ThisRun))] = QStringLiteral("0");
}

qint64 TallyTable::increase(int column, int row)
{
    const QString text = cell(column, row);
    bool ok = false;
    qint64 value = text.toLongLong(&ok);
    if (!ok)
        throw TallyError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    if (value < std::numeric_limits<qint64>::max())
        ++value;
    setCell(column, row, QString::number(value));
    return value;
}

void TallyTable::countGame(const QStringList& namesInGame, const QString& winner, bool localUserWon)
{
    increase(column(Own::TotalGames), ownRow);
    if (localUserWon)
        increase(column(Own::Wins), ownRow);
    const QString winnerName = cleanName(winner);
    for (const QString& name : namesInGame) {
        const int position = followedPosition(name);
        if (position >= 0)
            countGameFor(position + 1, winnerName, localUserWon);
    }
}

void TallyTable::countGameFor(int row, const QString& winner, bool localUserWon)
{
    for (QString& cell : rows[row])
        if (cell.isEmpty())
            cell = QStringLiteral("0");
    Count outcome = Count::NeitherWon;
    if (localUserWon)
        outcome = Count::YourWins;
    else if (rows[row][nameColumn] == winner)
        outcome = Count::TheirWins;
    for (Count counter : {Count::Games, outcome})
        for (Span span : spans)
            increase(column(counter, span), row);
}

void TallyTable::countCompletedPuzzle()
{
    increase(column(Own::CompletedPuzzles), ownRow);
}

QByteArray TallyTable::toText() const
{
    QByteArray text;
    text += QByteArray::number(columnCount) + "\r\n";
    text += QByteArray::number(rowCount()) + "\r\n";
    for (int column = 0; column < columnCount; ++column)
        for (const auto& row : rows)
            text += row[size_t(column)].toLatin1() + "\r\n";
    return text;
}

namespace {

int leadingNumber(const QByteArray& line)
{
    const QByteArray trimmed = line.trimmed();
    int end = 0;
    if (end < trimmed.size() && (trimmed[end] == '-' || trimmed[end] == '+'))
        ++end;
    while (end < trimmed.size() && end < 10 && trimmed[end] >= '0' && trimmed[end] <= '9')
        ++end;
    bool ok = false;
    const int value = trimmed.left(end).toInt(&ok);
    if (!ok)
        throw TallyError(QStringLiteral("The tally file is damaged: no number in '%1'").arg(QString::fromLatin1(line.left(40))));
    return value;
}

QList<QByteArray> splitLines(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

} // namespace

TallyTable TallyTable::fromText(const QByteArray& text)
{
    const QList<QByteArray> lines = splitLines(text);
    if (lines.size() < 2)
        throw TallyError(QStringLiteral("The tally file is damaged: it has no table"));
    const int columns = leadingNumber(lines[0]);
    const int rowTotal = leadingNumber(lines[1]);
    if (columns != columnCount || rowTotal < 1 || rowTotal > maxRows)
        throw TallyError(QStringLiteral("The tally file is damaged: a table of %1 columns and %2 rows")
                              .arg(columns)
                              .arg(rowTotal));
    if (lines.size() < 2 + columns * rowTotal)
        throw TallyError(QStringLiteral("The tally file is damaged: it is cut short"));
    TallyTable table;
    table.rows.resize(rowTotal);
    int next = 2;
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rowTotal; ++row) {
            QString value = QString::fromLatin1(lines[next++]);
            const bool ownRecord = row == 0;
            if (ownRecord && !isOwnCounter(column)) {
                table.rows[row][size_t(column)] = value;
                continue;
            }
            const bool counter = column > 0 || ownRecord;
            if (counter && value.isEmpty())
                value = QStringLiteral("0");
            bool ok = true;
            if (counter)
                value.toLongLong(&ok);
            if (!ok)
                throw TallyError(QStringLiteral("The tally file is damaged: '%1' is not a number").arg(value.left(40)));
            table.rows[row][size_t(column)] = counter ? value : cleanName(value);
        }
    }
    return table;
}

QString TallyTable::cleanName(const QString& name)
{
    QString clean = name;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return clean;
}
