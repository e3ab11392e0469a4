#include "tally/tallystore.h"

#include "tally/datafolder.h"
#include "tally/tallycoder.h"

#include <QFile>
#include <QSaveFile>

TallyStore::TallyStore(const QString& path)
    : m_path(path)
{
}

QString TallyStore::defaultPath()
{
    return dataFolder() + QStringLiteral("/hangmantally.tld");
}

TallyTable TallyStore::load()
{
    m_loadError.clear();
    if (!QFile::exists(m_path))
        return {};
    try {
        return readTallyFile(m_path);
    } catch (const std::exception& error) {
        keepDamagedFile(QString::fromStdString(error.what()));
        return {};
    }
}

void TallyStore::keepDamagedFile(const QString& error)
{
    const QString badCopy = m_path + QStringLiteral(".bad");
    QFile::remove(badCopy);
    m_loadError = error;
    if (!QFile::copy(m_path, badCopy)) {
        m_savingBlocked = true;
        m_loadError += QStringLiteral("\n\nThe tally could not be copied to %1, so it will not be saved in this game.")
                           .arg(badCopy);
    }
}

bool TallyStore::save(const TallyTable& table)
{
    if (m_savingBlocked)
        return false;
    try {
        writeTallyFile(m_path, table);
        return true;
    } catch (const std::exception&) {
        return false;
    }
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
