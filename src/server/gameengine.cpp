// The game and turn engine and the computer player's turns, part of GameServer.
#include "server/gameserver.h"
#include "server/wordfolder.h"

#include <algorithm>

using namespace proto;

namespace {

constexpr char kYellowTeam[] = "The Yellow Team";
constexpr char kGrayTeam[] = "The Gray Team";

} // namespace

std::array<int, 2> GameServer::findteamie(int seat)
{
    switch (seat) {
    case 1: return {3, 5};
    case 2: return {4, 6};
    case 3: return {1, 5};
    case 4: return {2, 6};
    case 5: return {1, 3};
    case 6: return {2, 4};
    default: return {seat, seat};
    }
}

bool GameServer::computerplayed(int seat) const
{
    if (seat < 1 || seat > kSeatCount)
        return false;
    const PlayerSlot& player = m_slots[seat].player;
    if (player.connected)
        return player.watching;
    return seat == 2 || m_teamGame;
}

bool GameServer::rotationseat(int seat) const
{
    return m_slots[seat].player.connected || seat == 2 || m_teamGame;
}

void GameServer::enterbusy()
{
    m_computertimer.stop();
    m_timer1.stop();
    m_state = EngineState::Busy;
}

void GameServer::startpause(EngineState state, int seconds)
{
    m_computertimer.stop();
    m_timer1.stop();
    m_state = state;
    m_pauseCount = seconds;
    m_timer1.start();
}

void GameServer::startgame(int sender, const QByteArray& args)
{
    if (sender != 1)
        return;
    enterbusy();
    m_turntimer.stop();
    m_gameRunning = true;
    FieldReader fields(args);
    const QByteArray starter = fields.next();
    const auto playTo = fields.nextNumber();
    const auto turnTime = fields.nextNumber();
    const QByteArray teamField = fields.next();
    const QByteArray chooseField = fields.next();
    m_playTo = std::max(kMinPlayTo, playTo.value_or(kDefaultPlayTo));
    m_turnTime = (turnTime && *turnTime >= 1) ? std::min(*turnTime, kMaxTurnTime) : kDefaultTurnTime;
    m_teamGame = teamField == "t";
    m_chooseCategory = chooseField == "t";
    broadcast(msg::startgameAnnounce(starter, m_playTo, m_turnTime, teamField));
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_slots[seat].player.score = 0;
        m_slots[seat].player.watching = false;
    }
    std::uniform_int_distribution<int> anySeat(1, kSeatCount);
    do
        m_currentSeat = anySeat(m_rng);
    while (!m_slots[m_currentSeat].player.connected && m_currentSeat != 2);
    m_category = 0;
    loadWordFolder();
    startround();
}

void GameServer::loadWordFolder()
{
    if (m_wordFolder.isEmpty()) {
        m_words.useOwnLists({});
        return;
    }
    const WordFolder folder = readWordFolder(m_wordFolder);
    m_words.useOwnLists(folder.lists());
    if (wordFolderRead)
        wordFolderRead(folder.reportLines());
}

void GameServer::startround()
{
    enterbusy();
    if (checkforwin())
        return;
    m_used.fill(false);
    if (!m_chooseCategory) {
        beginround(std::uniform_int_distribution<int>(0, kCategoryCount - 1)(m_rng));
        return;
    }
    broadcast(msg::choosecatAnnounce(m_currentSeat));
    startpause(EngineState::AwaitingCategory, kCategoryPause);
    if (computerplayed(m_currentSeat))
        armcomputer();
}

void GameServer::choosecat(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (!fromslot(sender, fields.next()))
        return;
    if (m_state != EngineState::AwaitingCategory || sender != m_currentSeat)
        return;
    const auto category = fields.nextNumber();
    enterbusy();
    beginround((category && *category >= 0 && *category < kCategoryCount) ? *category : 0);
}

void GameServer::autochoose()
{
    enterbusy();
    beginround(std::uniform_int_distribution<int>(0, kCategoryCount - 1)(m_rng));
}

void GameServer::beginround(int category)
{
    m_category = category;
    m_misses = 0;
    getword();
    findplayer();
}

void GameServer::getword()
{
    enterbusy();
    m_word.clear();
    WordLists::Drawn drawn = m_words.draw(m_category, m_rng);
    m_word = std::move(drawn.word);
    m_mask = std::move(drawn.mask);
    m_category = drawn.category;
    broadcast(msg::loadword(m_mask, m_category));
}

void GameServer::findplayer()
{
    enterbusy();
    do
        m_currentSeat = m_currentSeat % kSeatCount + 1;
    while (!rotationseat(m_currentSeat));
    m_state = EngineState::AwaitingLetter;
    broadcast(msg::nextplayer(m_currentSeat));
    m_turnCount = m_turnTime + kTurnGraceSeconds;
    m_turntimer.start();
    if (computerplayed(m_currentSeat))
        armcomputer();
}

void GameServer::passturnof(int seat)
{
    if (m_gameRunning && m_state == EngineState::AwaitingLetter && m_currentSeat == seat)
        findplayer();
}

void GameServer::selectletter(int sender, const QByteArray& args)
{
    FieldReader fields(args);
    if (!fromslot(sender, fields.next()))
        return;
    if (const auto letter = fields.nextNumber())
        selectletter(sender, *letter);
}

void GameServer::selectletter(int seat, int letter)
{
    if (m_state != EngineState::AwaitingLetter || seat != m_currentSeat)
        return;
    if (letter < 1 || letter > kLetterCount)
        return;
    const char c = converttoletter(letter);
    m_used[letter] = true;
    int finds = 0;
    for (qsizetype i = 0; i < m_word.size(); ++i) {
        if (m_word[i] != c)
            continue;
        if (m_mask[i] == c) {
            sendto(seat, msg::error(seat));
            return;
        }
        m_mask[i] = c;
        ++finds;
    }
    if (finds == 0) {
        misletter(seat, letter);
    } else if (m_mask.contains('*')) {
        scorefind(seat, letter, finds, 0);
        if (computerplayed(seat))
            armcomputer();
    } else {
        m_computertimer.stop();
        m_turntimer.stop();
        scorefind(seat, letter, finds, kCompletionBonus);
        startpause(EngineState::PauseBeforeRound, kCompletedPause);
    }
}

void GameServer::scorefind(int seat, int letter, int finds, int bonus)
{
    int& score = m_slots[seat].player.score;
    score += finds + bonus;
    std::array<int, 2> mates = {seat, seat};
    if (m_teamGame) {
        mates = findteamie(seat);
        for (int mate : mates)
            m_slots[mate].player.score = score;
    }
    msg::Found found;
    found.seat = seat;
    found.letter = letter;
    found.letterChar = converttoletter(letter);
    found.count = finds;
    found.bonus = bonus;
    found.score = score;
    found.mate1 = mates[0];
    found.mate1Score = m_slots[mates[0]].player.score;
    found.mate2 = mates[1];
    found.mate2Score = m_slots[mates[1]].player.score;
    found.mask = m_mask;
    broadcast(msg::foundletter(found));
}

void GameServer::misletter(int seat, int letter)
{
    m_turntimer.stop();
    m_computertimer.stop();
    ++m_misses;
    const char c = converttoletter(letter);
    if (m_misses >= kHangingMisses) {
        broadcast(msg::addman(seat, letter, c, m_misses, m_word));
        startpause(EngineState::PauseBeforeRound, kHangedPause);
    } else {
        broadcast(msg::addman(seat, letter, c, m_misses, "*"));
        findplayer();
    }
}

bool GameServer::checkforwin()
{
    int candidate = 0;
    for (int seat = kSeatCount; seat >= 1 && candidate == 0; --seat)
        if (m_slots[seat].player.connected && m_slots[seat].player.score > m_playTo)
            candidate = seat;
    if (candidate == 0)
        return false;
    for (int seat = 1; seat <= kSeatCount; ++seat)
        if (m_slots[seat].player.connected && m_slots[seat].player.score > m_slots[candidate].player.score)
            candidate = seat;
    QByteArray winner;
    if (m_teamGame) {
        winner = candidate % 2 == 0 ? kGrayTeam : kYellowTeam;
    } else {
        const int best = m_slots[candidate].player.score;
        for (int seat = 1; seat <= kSeatCount; ++seat)
            if (seat != candidate && m_slots[seat].player.connected && m_slots[seat].player.score == best)
                return false;
        const PlayerSlot& player = m_slots[candidate].player;
        winner = player.name.isEmpty() ? player.computerName : player.name;
    }
    broadcast(msg::winner(winner));
    m_gameRunning = false;
    return true;
}

void GameServer::timer1Timer()
{
    if (--m_pauseCount >= 1)
        return;
    m_timer1.stop();
    switch (m_state) {
    case EngineState::PauseBeforeRound: startround(); break;
    case EngineState::PauseBeforeNextSeat: findplayer(); break;
    case EngineState::AwaitingCategory: autochoose(); break;
    default: break;
    }
}

void GameServer::turntimerTimer()
{
    if (m_state != EngineState::AwaitingLetter) {
        m_turntimer.stop();
        return;
    }
    if (--m_turnCount > 0)
        return;
    m_turntimer.stop();
    startpause(EngineState::PauseBeforeNextSeat, kOutOfTimePause);
    broadcast(msg::outoftime(m_currentSeat));
}

// ---- Computer player ----

void GameServer::armcomputer()
{
    const int interval = botSpeed ? botSpeed() : m_botSpeedSetting;
    m_computertimer.setInterval(std::max(1, interval));
    m_computertimer.start();
}

void GameServer::computertimerTimer()
{
    if (!computerplayed(m_currentSeat))
        return;
    if (m_state == EngineState::AwaitingCategory)
        autochoose();
    else
        computerplay(m_currentSeat);
}

void GameServer::computerplay(int seat)
{
    if (computercheckforword(seat))
        return;
    if (const auto letter = m_computer.guessletter(m_used))
        selectletter(seat, *letter);
}

bool GameServer::computercheckforword(int seat)
{
    const auto letter = m_computer.readword(m_word, m_mask, m_used);
    if (!letter)
        return false;
    selectletter(seat, *letter);
    return true;
}
