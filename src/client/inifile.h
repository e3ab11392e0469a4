#pragma once
// A settings file in the initialisation-file format ("[section]" headers and
// key=value lines), shared with other programs. Every call reads the file anew;
// a write changes only the line of the key it writes and leaves every other
// byte of the file (sections, comments, spacing, line ends) as it was.

#include <QByteArray>
#include <QString>
#include <stdexcept>

// Thrown when the file cannot be updated; the text is "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString& path);
};

class IniFile {
public:
    // Files larger than this are treated as unreadable and are never rewritten.
    static constexpr qint64 maxFileSize = 1024 * 1024;

    explicit IniFile(QString path);
    virtual ~IniFile() = default;

    // The file this object reads and writes.
    const QString& path() const { return m_path; }
    // The key's value with surrounding blanks trimmed, or fallback when the file, section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    // The key's value as a decimal integer, or fallback when it is missing or not a number.
    int readInteger(const QString& section, const QString& key, int fallback) const;
    // Sets the key's value, creating the file, section and key as needed; throws IniWriteError on failure.
    virtual void writeString(const QString& section, const QString& key, const QString& value);

private:
    QByteArray readContents(bool* ok) const;
    void saveContents(const QByteArray& contents) const;
    void writeInPlace(const QByteArray& contents) const;

    QString m_path;
};
