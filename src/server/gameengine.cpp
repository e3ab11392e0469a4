// The game and turn engine and the computer player's turns, part of GameServer.
#include "server/gameserver.h"
#include "server/wordfolder.h"

#include <algorithm>

using namespace proto;

namespace {

constexpr char kYellowTeam[] = "The Yellow Team";
constexpr char kGrayTeam[] = "The Gray Team";

} // namespace

std::array<int, 2> GameServer::teamMates(int seat)
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

bool GameServer::isComputerPlayed(int seat) const
{
    if (!isSeat(seat))
        return false;
    if (inGame(seat))
        return m_slots[seat].player.watching;
    return seat == 2 || m_teamGame;
}

bool GameServer::isRotationSeat(int seat) const
{
    return inGame(seat) || seat == 2 || m_teamGame;
}

void GameServer::enterBusy()
{
    m_computerTimer.stop();
    m_pauseTimer.stop();
    m_state = EngineState::Busy;
}

void GameServer::startPause(EngineState state, int seconds)
{
    m_computerTimer.stop();
    m_pauseTimer.stop();
    m_state = state;
    m_pauseCount = seconds;
    m_pauseTimer.start();
}

void GameServer::startGame(int sender, const read::StartGame& start)
{
    if (sender != 1)
        return;
    enterBusy();
    m_turnTimer.stop();
    m_gameRunning = true;
    const std::optional<int>& turnTime = start.turnTime;
    m_playTo = std::max(kMinPlayTo, start.playTo.value_or(kDefaultPlayTo));
    m_turnTime = (turnTime && *turnTime >= 1) ? std::min(*turnTime, kMaxTurnTime) : kDefaultTurnTime;
    m_teamGame = start.team();
    m_chooseCategory = start.choose;
    broadcast(msg::startGameAnnounce(start.starter, m_playTo, m_turnTime, start.teamField));
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_slots[seat].player.score = 0;
        m_slots[seat].player.watching = false;
    }
    std::uniform_int_distribution<int> anySeat(1, kSeatCount);
    do
        m_currentSeat = anySeat(m_rng);
    while (!inGame(m_currentSeat) && m_currentSeat != 2);
    m_category = 0;
    loadWordFolder();
    startRound();
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

void GameServer::startRound()
{
    enterBusy();
    if (checkForWin())
        return;
    m_used.fill(false);
    if (!m_chooseCategory) {
        beginRound(std::uniform_int_distribution<int>(0, kCategoryCount - 1)(m_rng));
        return;
    }
    broadcast(msg::chooseCatAnnounce(m_currentSeat));
    startPause(EngineState::AwaitingCategory, kCategoryPause);
    if (isComputerPlayed(m_currentSeat))
        armComputer();
}

void GameServer::chooseCat(int sender, const read::ChooseCat& choice)
{
    if (choice.sender != sender)
        return;
    if (m_state != EngineState::AwaitingCategory || sender != m_currentSeat)
        return;
    const std::optional<int>& category = choice.category;
    enterBusy();
    beginRound(category && isCategory(*category) ? *category : 0);
}

void GameServer::chooseCategoryAutomatically()
{
    enterBusy();
    beginRound(std::uniform_int_distribution<int>(0, kCategoryCount - 1)(m_rng));
}

void GameServer::beginRound(int category)
{
    m_category = category;
    m_misses = 0;
    drawWord();
    findNextPlayer();
}

void GameServer::drawWord()
{
    enterBusy();
    m_word.clear();
    WordLists::Drawn drawn = m_words.draw(m_category, m_rng);
    m_word = std::move(drawn.word);
    m_mask = std::move(drawn.mask);
    m_category = drawn.category;
    broadcast(msg::loadWord(m_mask, m_category));
}

void GameServer::findNextPlayer()
{
    enterBusy();
    do
        m_currentSeat = m_currentSeat % kSeatCount + 1;
    while (!isRotationSeat(m_currentSeat));
    m_state = EngineState::AwaitingLetter;
    broadcast(msg::nextPlayer(m_currentSeat));
    m_turnCount = m_turnTime + kTurnGraceSeconds;
    m_turnTimer.start();
    if (isComputerPlayed(m_currentSeat))
        armComputer();
}

void GameServer::passTurnOf(int seat)
{
    if (m_gameRunning && m_state == EngineState::AwaitingLetter && m_currentSeat == seat)
        findNextPlayer();
}

void GameServer::selectLetter(int sender, const read::SelectLetter& pick)
{
    if (pick.sender == sender)
        judgeLetter(sender, pick.letter);
}

void GameServer::judgeLetter(int seat, int letter)
{
    if (m_state != EngineState::AwaitingLetter || seat != m_currentSeat)
        return;
    if (!isLetter(letter))
        return;
    const char c = letterOf(letter);
    m_used[letter] = true;
    int finds = 0;
    for (qsizetype i = 0; i < m_word.size(); ++i) {
        if (m_word[i] != c)
            continue;
        if (m_mask[i] == c) {
            sendTo(seat, msg::error(seat));
            return;
        }
        m_mask[i] = c;
        ++finds;
    }
    if (finds == 0) {
        missLetter(seat, letter);
    } else if (m_mask.contains('*')) {
        scoreFind(seat, letter, finds, 0);
        if (isComputerPlayed(seat))
            armComputer();
    } else {
        m_computerTimer.stop();
        m_turnTimer.stop();
        scoreFind(seat, letter, finds, kCompletionBonus);
        startPause(EngineState::PauseBeforeRound, kCompletedPause);
    }
}

void GameServer::scoreFind(int seat, int letter, int finds, int bonus)
{
    int& score = m_slots[seat].player.score;
    score += finds + bonus;
    std::array<int, 2> mates = {seat, seat};
    if (m_teamGame) {
        mates = teamMates(seat);
        for (int mate : mates)
            m_slots[mate].player.score = score;
    }
    msg::Found found;
    found.seat = seat;
    found.letter = letter;
    found.letterChar = letterOf(letter);
    found.count = finds;
    found.bonus = bonus;
    found.score = score;
    found.mate1 = mates[0];
    found.mate1Score = m_slots[mates[0]].player.score;
    found.mate2 = mates[1];
    found.mate2Score = m_slots[mates[1]].player.score;
    found.mask = m_mask;
    broadcast(msg::foundLetter(found));
}

void GameServer::missLetter(int seat, int letter)
{
    m_turnTimer.stop();
    m_computerTimer.stop();
    ++m_misses;
    const char c = letterOf(letter);
    if (m_misses >= kHangingMisses) {
        broadcast(msg::addMan(seat, letter, c, m_misses, m_word));
        startPause(EngineState::PauseBeforeRound, kHangedPause);
    } else {
        broadcast(msg::addMan(seat, letter, c, m_misses, "*"));
        findNextPlayer();
    }
}

bool GameServer::checkForWin()
{
    int candidate = 0;
    for (int seat = kSeatCount; seat >= 1 && candidate == 0; --seat)
        if (inGame(seat) && m_slots[seat].player.score > m_playTo)
            candidate = seat;
    if (candidate == 0)
        return false;
    for (int seat = 1; seat <= kSeatCount; ++seat)
        if (inGame(seat) && m_slots[seat].player.score > m_slots[candidate].player.score)
            candidate = seat;
    QByteArray winner;
    if (m_teamGame) {
        winner = candidate % 2 == 0 ? kGrayTeam : kYellowTeam;
    } else {
        const int best = m_slots[candidate].player.score;
        for (int seat = 1; seat <= kSeatCount; ++seat)
            if (seat != candidate && inGame(seat) && m_slots[seat].player.score == best)
                return false;
        const PlayerSlot& player = m_slots[candidate].player;
        winner = player.name.isEmpty() ? player.computerName : player.name;
    }
    broadcast(msg::winner(winner));
    m_gameRunning = false;
    return true;
}

void GameServer::pauseEnded()
{
    if (--m_pauseCount >= 1)
        return;
    m_pauseTimer.stop();
    switch (m_state) {
    case EngineState::PauseBeforeRound: startRound(); break;
    case EngineState::PauseBeforeNextSeat: findNextPlayer(); break;
    case EngineState::AwaitingCategory: chooseCategoryAutomatically(); break;
    default: break;
    }
}

void GameServer::turnClockTick()
{
    if (m_state != EngineState::AwaitingLetter) {
        m_turnTimer.stop();
        return;
    }
    if (--m_turnCount > 0)
        return;
    m_turnTimer.stop();
    startPause(EngineState::PauseBeforeNextSeat, kOutOfTimePause);
    broadcast(msg::outOfTime(m_currentSeat));
}

// ---- Computer player ----

void GameServer::armComputer()
{
    const int interval = botSpeedSource ? botSpeedSource() : m_botSpeedSetting;
    m_computerTimer.setInterval(std::max(1, interval));
    m_computerTimer.start();
}

void GameServer::computerTurn()
{
    if (!isComputerPlayed(m_currentSeat))
        return;
    if (m_state == EngineState::AwaitingCategory)
        chooseCategoryAutomatically();
    else
        computerPlay(m_currentSeat);
}

void GameServer::computerPlay(int seat)
{
    if (computerCheckForWord(seat))
        return;
    if (const auto letter = m_computer.guessLetter(m_used))
        judgeLetter(seat, *letter);
}

bool GameServer::computerCheckForWord(int seat)
{
    const auto letter = m_computer.readWord(m_word, m_mask, m_used);
    if (!letter)
        return false;
    judgeLetter(seat, *letter);
    return true;
}
