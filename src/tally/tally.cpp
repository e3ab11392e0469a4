#include "tally/tally.h"

Tally::Tally(const QString& path, QObject* parent)
    : QObject(parent)
    , m_store(path)
    , m_table(m_store.load())
{
    m_table.startRun();
}

Tally::~Tally()
{
    save();
}

void Tally::setPlayersInGame(const QStringList& namesAtTable)
{
    m_playersInGame.clear();
    for (const QString& seated : namesAtTable) {
        const QString name = TallyTable::cleanName(seated);
        if (!name.isEmpty() && name != QStringLiteral("<Waiting>"))
            m_playersInGame << name;
    }
    emit playersInGameChanged();
}

void Tally::addGame(const QString& winner, bool localUserWon)
{
    try {
        m_table.countGame(m_playersInGame, winner, localUserWon);
    } catch (const TallyError& error) {
        emit countingFailed(error.message());
    }
    emit countsChanged();
    save();
}

void Tally::addCompletedPuzzle()
{
    m_table.countCompletedPuzzle();
    emit countsChanged();
}

void Tally::follow(const QString& name)
{
    const QString clean = TallyTable::cleanName(name);
    if (m_table.followedPosition(clean) < 0)
        m_table.follow(clean);
}

void Tally::unfollow(int position)
{
    m_table.unfollow(position);
}

void Tally::reset()
{
    m_table.reset();
    emit countsChanged();
}

bool Tally::save()
{
    return m_store.save(m_table);
}
