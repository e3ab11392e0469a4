#include "tally/tallytable.h"

#include "tally/tallycoder.h"

#include <QFile>
#include <QList>
#include <QSaveFile>

TallyError::TallyError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QString TallyError::message() const
{
    return QString::fromStdString(what());
}

TallyTable::TallyTable()
{
    std::array<QString, columnCount> own;
    own.fill(QStringLiteral("0"));
    rows.append(own);
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

void TallyTable::appendRow(const QString& name)
{
    std::array<QString, columnCount> row;
    row.fill(QStringLiteral("0"));
    row[0] = cleanName(name);
    rows.append(row);
}

void TallyTable::truncate(int count)
{
    rows.resize(std::max(1, std::min(count, rowCount())));
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
            const bool counter = column > 0 || row == 0;
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

TallyTable readTallyFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TallyCoderError(QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + path);
    TallyCoder coder;
    return TallyTable::fromText(coder.decompress(file.readAll(), path));
}

void writeTallyFile(const QString& path, const TallyTable& table)
{
    TallyCoder coder;
    const QByteArray packed = coder.compress(table.toText(), CompressionMode::Fast);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(packed) != packed.size() || !file.commit())
        throw TallyError(QStringLiteral("The tally could not be saved to ") + path + QStringLiteral(": ")
                          + file.errorString());
}
