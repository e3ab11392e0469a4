#include "inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include <vector>

namespace {

struct Line {
    qsizetype start;
    qsizetype contentEnd;
    qsizetype end;
};

struct Location {
    qsizetype section = -1;
    qsizetype key = -1;
    qsizetype lastEntry = -1;
};

std::vector<Line> splitLines(const QByteArray& data)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype newline = data.indexOf('\n', start);
        if (newline < 0) {
            lines.push_back({start, data.size(), data.size()});
            break;
        }
        const qsizetype contentEnd = (newline > start && data[newline - 1] == '\r') ? newline - 1 : newline;
        lines.push_back({start, contentEnd, newline + 1});
        start = newline + 1;
    }
    return lines;
}

QByteArray content(const QByteArray& data, const Line& line)
{
    QByteArray text = data.mid(line.start, line.contentEnd - line.start);
    if (line.start == 0 && text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    return text;
}

std::optional<QString> sectionName(const QByteArray& text)
{
    const QByteArray trimmed = text.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        close = trimmed.size();
    return QString::fromUtf8(trimmed.mid(1, close - 1)).trimmed();
}

std::optional<QString> keyName(const QByteArray& text)
{
    const qsizetype equals = text.indexOf('=');
    if (equals < 0 || text.trimmed().startsWith(';'))
        return std::nullopt;
    return QString::fromUtf8(text.left(equals)).trimmed();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

Location locate(const QByteArray& data, const std::vector<Line>& lines, const QString& section, const QString& key)
{
    Location found;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const QByteArray text = content(data, lines[size_t(i)]);
        if (const auto name = sectionName(text)) {
            if (found.section >= 0)
                break;
            if (sameName(*name, section))
                found.section = found.lastEntry = i;
            continue;
        }
        if (found.section < 0)
            continue;
        if (!text.trimmed().isEmpty())
            found.lastEntry = i;
        const auto name = keyName(text);
        if (name && sameName(*name, key)) {
            found.key = i;
            break;
        }
    }
    return found;
}

QByteArray lineEnding(const QByteArray& data)
{
    const qsizetype newline = data.indexOf('\n');
    if (newline > 0 && data[newline - 1] == '\r')
        return "\r\n";
    return "\n";
}

QByteArray singleLine(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    return bytes;
}

QByteArray withValueReplaced(const QByteArray& data, const Line& line, const QByteArray& value)
{
    qsizetype valueStart = data.indexOf('=', line.start) + 1;
    while (valueStart < line.contentEnd && (data[valueStart] == ' ' || data[valueStart] == '\t'))
        ++valueStart;
    QByteArray result = data;
    result.replace(valueStart, line.contentEnd - valueStart, value);
    return result;
}

QByteArray withLineInserted(const QByteArray& data, const Line& after, const QByteArray& newLine)
{
    const QByteArray eol = lineEnding(data);
    QByteArray result = data;
    if (after.contentEnd == after.end) {
        result.insert(after.end, eol + newLine + eol);
        return result;
    }
    result.insert(after.end, newLine + eol);
    return result;
}

QByteArray withSectionAppended(const QByteArray& data, const QByteArray& header, const QByteArray& entry)
{
    const QByteArray eol = lineEnding(data);
    QByteArray result = data;
    if (!result.isEmpty() && !result.endsWith('\n'))
        result += eol;
    result += header + eol + entry + eol;
    return result;
}

} // namespace

IniWriteError::IniWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(path).toStdString())
{
}

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

QByteArray IniFile::readContents(bool* ok) const
{
    *ok = true;
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxFileSize) {
        *ok = false;
        return {};
    }
    // Read piece by piece: asking for the largest size at once allocates a
    // megabyte on every call, and every key read opens the file anew.
    QByteArray data;
    char piece[4096];
    while (data.size() <= maxFileSize) {
        const qint64 count = file.read(piece, qint64(sizeof piece));
        if (count <= 0)
            break;
        data.append(piece, qsizetype(count));
    }
    *ok = data.size() <= maxFileSize && file.error() == QFileDevice::NoError;
    return *ok ? data : QByteArray();
}

void IniFile::saveContents(const QByteArray& contents) const
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        writeInPlace(contents);
        return;
    }
    if (file.write(contents) != contents.size() || !file.commit())
        throw IniWriteError(m_path);
}

void IniFile::writeInPlace(const QByteArray& contents) const
{
    QFile file(m_path);
    if (!file.exists() || !file.open(QIODevice::ReadWrite) || file.write(contents) != contents.size()
        || !file.resize(contents.size()) || !file.flush())
        throw IniWriteError(m_path);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& fallback) const
{
    bool ok = false;
    const QByteArray data = readContents(&ok);
    const std::vector<Line> lines = splitLines(data);
    const Location found = locate(data, lines, section, key);
    if (found.key < 0)
        return fallback;
    const QByteArray text = content(data, lines[size_t(found.key)]);
    return QString::fromUtf8(text.mid(text.indexOf('=') + 1)).trimmed();
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const
{
    bool ok = false;
    const int value = readString(section, key, QString()).toInt(&ok, 10);
    return ok ? value : fallback;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    bool ok = false;
    const QByteArray data = readContents(&ok);
    if (!ok)
        throw IniWriteError(m_path);
    const std::vector<Line> lines = splitLines(data);
    const Location found = locate(data, lines, section, key);
    const QByteArray entry = singleLine(key) + '=' + singleLine(value);
    if (found.key >= 0)
        saveContents(withValueReplaced(data, lines[size_t(found.key)], singleLine(value)));
    else if (found.section >= 0)
        saveContents(withLineInserted(data, lines[size_t(found.lastEntry)], entry));
    else
        saveContents(withSectionAppended(data, '[' + singleLine(section) + ']', entry));
}
