#include "board/board.h"

#include "board/art.h"
#include "board/art_draw.h"
#include "board/background.h"
#include "board/boardaccessibility.h"
#include "board/animatedimage.h"
#include "board/picturebutton.h"
#include "net/protocol.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <optional>

namespace {

using Art::Draw::kDarkGrey;

const QColor kGolden(231, 185, 78);
const QColor kShadowGrey(74, 74, 74);
const QColor kWindowColour(190, 155, 99);
const QColor kFocusMark(0, 70, 160);
constexpr int kTimerBarWidth = 185;
constexpr int kWordTop = 183;
constexpr int kWordHeight = 41;
constexpr int kLongWordLength = 36;

struct SeatPlace {
    int nameX, scoreX, bonusX, eyesX, rowY, eyesY;
};
constexpr SeatPlace kSeatPlaces[Board::kSeats + 1] = {
    {}, {297, 416, 449, 286, 55, 56}, {510, 628, 661, 498, 54, 56}, {297, 416, 449, 286, 78, 79},
    {510, 628, 661, 498, 77, 79}, {297, 416, 449, 286, 101, 102}, {510, 628, 661, 498, 101, 102},
};

void paintTexture(QWidget* widget, QPainter& painter)
{
    const QPoint origin = widget->mapTo(widget->window(), QPoint(0, 0));
    painter.drawTiledPixmap(widget->rect(), Art::backgroundTexture(), origin);
}

// A flat panel: the window's texture (or nothing) inside a one-pixel border.
class FramedPanel : public QWidget {
public:
    FramedPanel(QWidget* parent, QColor border, bool textured) : QWidget(parent), m_border(border), m_textured(textured) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (m_textured)
            paintTexture(this, painter);
        painter.setPen(m_border);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_border;
    bool m_textured;
};

// The tan box behind the banner, the word and the status line, painted each time
// rather than kept as a 233 KB picture.
class WordBox : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Art::paintWordBox(painter);
    }
};

QFont boardFont(const char* family, int points, bool bold = false)
{
    QFont font(QString::fromLatin1(family), points);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& name, QRect place, const QFont& font, QColor colour,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(alignment);
    setTextColour(label, colour);
    return label;
}

QLabel* makePicture(QWidget* parent, const QString& name, QRect place, const QPixmap& picture)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setPixmap(picture);
    return label;
}

QString elided(const QLabel* label, const QString& text)
{
    return label->fontMetrics().elidedText(text, Qt::ElideRight, label->width());
}

// Sets a label that is as wide as its text, never wider than maxWidth.
void setFittedText(QLabel* label, const QString& text, int maxWidth)
{
    label->setText(text);
    label->resize(std::min(maxWidth, label->sizeHint().width()), label->height());
}

QString upper(const QByteArray& field)
{
    return proto::fromWire(field).toUpper();
}

} // namespace

Board::Board(BoardHost& host, Clock& clock, QWidget* parent)
    : QWidget(parent), m_host(host), m_clock(clock), m_turnClock(clock, 1000)
{
    Art::substituteMissingFaces();
    setObjectName(QStringLiteral("panel_board"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    m_turnClock.onTimer = [this] { countDownOneSecond(); };
    buildBoard();
    m_accessibility = std::make_unique<BoardAccessibility>(*this);
    clearBoard();
}

Board::~Board() = default;

void Board::buildBoard()
{
    m_chatArea = new QWidget(this);
    m_chatArea->setObjectName(QStringLiteral("chat_area"));
    m_chatArea->setGeometry(262, 272, 435, 199);
    m_chatArea->setFocusPolicy(Qt::ClickFocus);
    makePicture(this, QStringLiteral("image_chatbanner"), QRect(528, 252, 164, 19), Art::chatBanner());
    buildHeading();
    buildSeats();
    buildWordArea();
    buildTimer();
    m_start = makePicture(this, QStringLiteral("button_start"), QRect(226, 5, 102, 28), Art::startGameButton(false));
    m_start->setCursor(Qt::PointingHandCursor);
    m_start->installEventFilter(this);
    buildWinnerPanel();
    buildLetterPanel();
    buildChoosePanel();
}

void Board::buildHeading()
{
    m_team = makePicture(this, QStringLiteral("image_team"), QRect(260, 10, 429, 123), QPixmap());
    m_team->hide();
    auto* wordBox = new WordBox(this);
    wordBox->setObjectName(QStringLiteral("image_wordbox"));
    wordBox->setGeometry(4, 146, 693, 86);
    m_status = makeLabel(this, "label_status", QRect(263, 230, 429, 23), boardFont("Comic Sans MS", 12, true),
                         kDarkGrey, Qt::AlignCenter);
}

void Board::buildSeats()
{
    const QFont font = boardFont("Comic Sans MS", 12);
    for (int seat = 1; seat <= kSeats; ++seat) {
        const SeatPlace& place = kSeatPlaces[seat];
        QLabel* name = makeLabel(this, QStringLiteral("label_playername%1").arg(seat),
                                 QRect(place.nameX, place.rowY, 118, 23), font, Qt::black);
        name->installEventFilter(this);
        m_seats[seat].name = name;
        setCaption(seat, Board::kWaitingCaption);
    }
    for (int seat = 1; seat <= kSeats; ++seat) {
        const SeatPlace& place = kSeatPlaces[seat];
        m_seats[seat].score = makeLabel(this, QStringLiteral("label_score%1").arg(seat),
                                        QRect(place.scoreX, place.rowY, 10, 23), font, Qt::black);
    }
    for (int seat = 1; seat <= kSeats; ++seat) {
        const SeatPlace& place = kSeatPlaces[seat];
        m_seats[seat].bonus = makeLabel(this, QStringLiteral("label_bonus%1").arg(seat),
                                        QRect(place.bonusX, place.rowY, 10, 23), font, Qt::black);
    }
    m_turnPointer = makePicture(this, QStringLiteral("image_Turn"), QRect(266, 49, 32, 27), Art::turnPointer());
}

void Board::buildWordArea()
{
    m_hang = makePicture(this, QStringLiteral("image_hang"), QRect(48, 4, 164, 140), Art::hangStage(0));
    m_hanged = new AnimatedImage(m_clock, this);
    m_hanged->setObjectName(QStringLiteral("animated_hanged"));
    m_hanged->setGeometry(48, 1, 164, 140);
    m_hanged->setFrameCount(8);
    m_hanged->setInterval(500);
    m_hanged->hide();
    m_word = makeLabel(this, "label_theword", QRect(8, kWordTop, 683, kWordHeight), boardFont("Comic Sans MS", 22, true),
                       kDarkGrey, Qt::AlignCenter);
    m_word->setWordWrap(true);
    const int density = Art::density();
    const QPixmap eyes = Art::eyes().scaled(21 * density, 11 * density, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int seat = 1; seat <= kSeats; ++seat) {
        const SeatPlace& place = kSeatPlaces[seat];
        QPixmap scaled = eyes;
        scaled.setDevicePixelRatio(density);
        m_seats[seat].eyes = makePicture(this, QStringLiteral("image_eyes%1").arg(seat),
                                         QRect(place.eyesX, place.eyesY, 21, 11), scaled);
        m_seats[seat].eyes->hide();
    }
    m_tag = makePicture(this, QStringLiteral("label_tag"), QRect(216, 146, 250, 30), QPixmap());
    m_thePlayers = makePicture(this, QStringLiteral("image_theplayers"), QRect(360, 14, 207, 31),
                               Art::thePlayersHeading());
}

void Board::buildTimer()
{
    makePicture(this, QStringLiteral("image_timerframe"), QRect(45, 236, 191, 31), Art::timerFrame());
    m_timerBar = makePicture(this, QStringLiteral("image_timer"), QRect(48, 239, kTimerBarWidth, 25), Art::timerBar());
    m_timerLabel = makeLabel(this, "label_timer", QRect(53, 241, 103, 19), boardFont("Arial", 14, true), Qt::black,
                             Qt::AlignCenter);
    m_timerLabel->setText(QStringLiteral("Time: 0:00"));
}

void Board::buildWinnerPanel()
{
    m_winnerPanel = new FramedPanel(this, kDarkGrey, true);
    m_winnerPanel->setObjectName(QStringLiteral("panel_winner"));
    m_winnerPanel->setGeometry(3, 146, 694, 87);
    const QFont font = boardFont("Arial", 18, true);
    m_winner2 = makeLabel(m_winnerPanel, "label_winner2", QRect(-1, 31, 691, 28), font, kShadowGrey, Qt::AlignCenter);
    m_winner1 = makeLabel(m_winnerPanel, "label_winner1", QRect(1, 29, 691, 28), font, kGolden, Qt::AlignCenter);
    m_winner2->setText(QStringLiteral("Winner!"));
    m_winner1->setText(QStringLiteral("Winner!"));
    m_winnerPanel->hide();
}

void Board::buildLetterPanel()
{
    m_letterPanel = new FramedPanel(this, kWindowColour, false);
    m_letterPanel->setObjectName(QStringLiteral("panel_letters"));
    m_letterPanel->setGeometry(5, 267, 253, 204);
    m_letterPanel->setMouseTracking(true);
    m_letterPanel->installEventFilter(this);
    m_usedLetters = makePicture(m_letterPanel, QStringLiteral("image_usedletters"), QRect(8, 4, 241, 199), QPixmap());
    m_usedLetters->setMouseTracking(true);
    m_usedLetters->installEventFilter(this);
    for (int tile = 1; tile <= kTiles; ++tile) {
        const QRect place(8 + 40 * ((tile - 1) % 6), 4 + 40 * ((tile - 1) / 6), 38, 38);
        QLabel* picture = makePicture(m_letterPanel, QStringLiteral("image_letter%1").arg(tile), place, QPixmap());
        picture->setMouseTracking(true);
        picture->setCursor(Qt::PointingHandCursor);
        picture->installEventFilter(this);
        m_tiles[tile] = picture;
    }
    const QFont font = boardFont("Arial", 8, true);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    m_playTo = makeLabel(m_letterPanel, "label_playtoscore", QRect(117, 164, 129, 14), font, kDarkGrey, right);
    m_teamLabel = makeLabel(m_letterPanel, "label_teamgame", QRect(117, 176, 129, 14), font, kDarkGrey, right);
    m_timePerTurnLabel = makeLabel(m_letterPanel, "label_timeperturn", QRect(117, 188, 129, 14), font, kDarkGrey, right);
    m_playTo->setText(QStringLiteral("Play To Score:"));
    m_teamLabel->setText(QStringLiteral("Team Game: NO"));
    m_timePerTurnLabel->setText(QStringLiteral("Time Per Turn: 20"));
    for (QLabel* label : {m_playTo, m_teamLabel, m_timePerTurnLabel}) {
        label->setMouseTracking(true);
        label->installEventFilter(this);
    }
}

void Board::buildChoosePanel()
{
    m_choosePanel = new FramedPanel(this, kDarkGrey, true);
    m_choosePanel->setObjectName(QStringLiteral("panel_choose"));
    m_choosePanel->setGeometry(208, 96, 305, 257);
    QFont titleFont = boardFont("Arial", 18, true);
    titleFont.setUnderline(true);
    makeLabel(m_choosePanel, "label_choosegolden", QRect(3, 8, 298, 29), titleFont, kGolden, Qt::AlignCenter)
        ->setText(QStringLiteral("CHOOSE A CATEGORY"));
    makeLabel(m_choosePanel, "label_choosegrey", QRect(2, 10, 298, 29), titleFont, kDarkGrey, Qt::AlignCenter)
        ->setText(QStringLiteral("CHOOSE A CATEGORY"));
    for (int category = 0; category < kCategories; ++category) {
        auto* button = new PictureButton(m_choosePanel);
        button->setFrameColour(kDarkGrey);
        button->setFillColours(QColor(204, 177, 132), QColor(224, 208, 182));
        button->setObjectName(QStringLiteral("button_cat%1").arg(category));
        button->setGeometry(19, 48 + 40 * category, 270, 33);
        button->setIconSize(QSize(250, 30));
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, category] { pickCategory(category); });
        m_categoryButtons[category] = button;
    }
    m_choosePanel->hide();
}

void Board::drawCategoryButtons()
{
    for (int category = 0; category < kCategories; ++category)
        if (m_categoryButtons[category]->icon().isNull())
            m_categoryButtons[category]->setIcon(QIcon(Art::categoryGlyph(category)));
}

// ---- server messages -------------------------------------------------------

void Board::startGame(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto start = proto::read::startGameAnnounce(args);
    if (!start)
        return;
    endChoosing();
    m_turnClock.stop();
    m_start->hide();
    m_host.setJustWatching(false);
    m_winnerPanel->hide();
    clearBoard();
    setTimePerTurn(start->turnTime);
    applyTeamSetting(start->team);
    m_host.addSystemLine(proto::fromWire(start->starter) + QStringLiteral(" has started a game."));
    setPlayTo(proto::fromWire(start->playTo));
}

void Board::loadWord(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto word = proto::read::loadWord(args);
    if (!word)
        return;
    endChoosing();
    setWord(upper(word->mask));
    for (int tile = 1; tile <= kTiles; ++tile) {
        drawTile(tile, 'n');
        m_tiles[tile]->show();
    }
    setCategory(word->category);
    showFigure(0);
}

void Board::markLetters(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto marks = proto::read::markLetters(args);
    if (!marks || marks->addressee != m_host.ownSlot())
        return;
    for (int tile : marks->letters)
        markUsed(tile);
}

void Board::foundLetter(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto found = proto::read::foundLetter(args);
    if (!found)
        return;
    const int finder = found->seat;
    setWord(upper(found->mask));
    markUsed(found->letter);
    setBonus(finder, QStringLiteral("+%1").arg(qint64(found->count) + found->bonus));
    setScore(finder, QString::number(found->score));
    for (const auto& mate : found->mates)
        if (mate)
            setScore(mate->seat, QString::number(mate->score));

    const bool ownFind = finder == m_host.ownSlot();
    const QString letter = upper(found->letterText);
    if (found->bonus <= 0) {
        m_turnSeat = finder;
        if (ownFind)
            setStatus(QStringLiteral("Choose another Letter."));
        else if (found->count <= 1)
            setStatus(QStringLiteral("1 ") + letter + QStringLiteral(" found."));
        else
            setStatus(QString::number(found->count) + QLatin1Char(' ') + letter + QStringLiteral("'s found."));
        m_host.playSound(QStringLiteral("inword"));
        return;
    }
    m_turnClock.stop();
    setStatus(QStringLiteral("Puzzle is Complete!"));
    m_host.playSound(QStringLiteral("puzzlecomplete"));
    if (ownFind)
        m_host.recordCompletedPuzzle();
}

void Board::nextPlayer(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto next = proto::read::nextPlayer(args);
    if (!next)
        return;
    endChoosing();
    m_turnClock.stop();
    m_turnSeat = next->seat;
    pointAtSeat(next->seat);
    for (int other = 1; other <= kSeats; ++other)
        setBonus(other, QString());
    announceTurn(next->seat);
    startCountdown();
}

void Board::chooseCat(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto chooser = proto::read::chooseCatAnnounce(args);
    if (!chooser)
        return;
    const int seat = chooser->seat;
    m_turnClock.stop();
    m_chooserSeat = seat;
    if (seat != m_host.ownSlot()) {
        setStatus(m_seats[seat].caption + QStringLiteral(" is choosing a category."));
        m_choosePanel->hide();
    } else if (!m_host.isJustWatching()) {
        setStatus(QStringLiteral("Choose a category"));
        drawCategoryButtons();
        m_choosePanel->show();
        m_choosePanel->raise();
    }
}

void Board::outOfTime(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto late = proto::read::outOfTime(args);
    if (!late)
        return;
    m_turnClock.stop();
    setStatus(late->seat == m_host.ownSlot() ? QStringLiteral("You are out of time.") : QStringLiteral("Out of Time."));
}

void Board::addMan(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto miss = proto::read::addMan(args);
    if (!miss)
        return;
    m_turnClock.stop();
    setStatus(QString());
    showFigure(miss->misses);
    if (miss->misses >= kHangedMisses) {
        if (miss->word != "*")
            setWord(upper(miss->word));
        m_host.playSound(QStringLiteral("lose"));
    } else {
        m_host.playSound(QStringLiteral("notinword"));
    }
    markUsed(miss->letter);
}

void Board::winner(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    endChoosing();
    const QString name = proto::fromWire(proto::read::winner(args)->name);
    m_host.playSound(QStringLiteral("gameover"));
    const int own = m_host.ownSlot();
    const bool seated = isSeat(own);
    const bool won = seated && m_seats[own].caption == name;
    const QString text = won ? QStringLiteral("You have Won the Game!") : name + QStringLiteral(" has Won the Game!");
    m_winner1->setText(elided(m_winner1, text));
    m_winner2->setText(elided(m_winner2, text));
    m_winnerText = text;
    setStatus(QStringLiteral("Game Over!"));
    m_host.addSystemLine(text);
    m_winnerPanel->show();
    m_winnerPanel->raise();
    if (m_host.isHost())
        m_start->show();
    if (seated)
        m_host.recordGame(name, won);
}

void Board::gameStats(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto stats = proto::read::gameStats(args);
    if (!stats || stats->addressee != m_host.ownSlot())
        return;
    const int seat = stats->currentSeat;
    m_turnSeat = seat;
    setTimePerTurn(stats->turnTime);
    setWord(upper(stats->mask));
    setCategory(stats->category);
    showFigure(stats->misses);
    for (int other = 1; other <= kSeats; ++other)
        setScore(other, QString::number(stats->scores[other - 1]));
    applyTeamSetting(stats->team);
    setPlayTo(proto::fromWire(stats->playTo));
    pointAtSeat(seat);
    announceTurn(seat);
    m_turnClock.stop();
    startCountdown();
}

void Board::justWatching(const QByteArray& args)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    const auto watch = proto::read::justWatching(args);
    if (!watch)
        return;
    const bool watching = watch->watching;
    if (watch->seat == m_host.ownSlot())
        m_host.setJustWatching(watching);
    const QString& name = m_seats[watch->seat].caption;
    m_host.addSystemLine(name + (watching ? QStringLiteral(" is just watching") : QStringLiteral(" is now playing again")));
    m_seats[watch->seat].eyes->setVisible(watching);
}

// ---- board procedures ------------------------------------------------------

void Board::clearBoard()
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    endChoosing();
    for (int seat = 1; seat <= kSeats; ++seat) {
        setScore(seat, QStringLiteral("0"));
        setBonus(seat, QString());
        m_seats[seat].eyes->hide();
    }
    setWord(QString());
    showFigure(0);
    for (int tile = 1; tile <= kTiles; ++tile)
        drawTile(tile, 'n');
}

void Board::fitWordFont()
{
    const QString& text = m_word->text();
    QFont font = m_word->font();
    font.setPointSize(text.size() > kLongWordLength ? 18 : 22);
    m_word->setFont(font);
    // Under the banner and above the status line a wrapped phrase gets the whole free height.
    if (m_word->heightForWidth(m_word->width()) > kWordHeight)
        m_word->setGeometry(8, 174, 683, 56);
    else
        m_word->setGeometry(8, kWordTop, 683, kWordHeight);
}

void Board::unlightTiles()
{
    for (int tile = 1; tile <= kTiles; ++tile)
        if (m_tileStates[tile] == 'y')
            drawTile(tile, 'n');
}

void Board::countDownOneSecond()
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    --m_secondsLeft;
    if (m_secondsLeft < 1) {
        m_secondsLeft = 0;
        m_timerLabel->setText(QStringLiteral("Time: 0:00"));
        m_timerBar->resize(0, m_timerBar->height());
        m_turnSeat = 0;
        return;
    }
    showCountdown();
    if (m_secondsLeft == 20 || m_secondsLeft == 15 || m_secondsLeft <= 10)
        m_host.playSound(QStringLiteral("tick"));
}

void Board::hoverTile(int tile)
{
    if (!isLetter(tile))
        return;
    unlightTiles();
    if (ownTurn() && m_tileStates[tile] != 'u')
        drawTile(tile, 'y');
}

void Board::leaveTiles()
{
    unlightTiles();
}

void Board::pickLetter(int tile)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    if (!isLetter(tile) || !ownTurn() || m_tileStates[tile] == 'u')
        return;
    if (m_host.isJustWatching()) {
        m_host.showMessage(QStringLiteral("You must first turn off just watch before you can play."));
        return;
    }
    hideTile(tile);
    m_turnSeat = 0;
    if (m_host.isLoggedIn())
        m_host.send(proto::msg::selectLetter(m_host.ownSlot(), tile));
}

void Board::pickCategory(int category)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    if (!isCategory(category))
        return;
    if (m_chooserSeat >= 1 && m_chooserSeat == m_host.ownSlot() && m_host.isLoggedIn())
        m_host.send(proto::msg::chooseCat(m_host.ownSlot(), category));
    endChoosing();
}

void Board::onStartClicked()
{
    if (m_host.isLoggedIn())
        m_host.showGameStart();
    else
        m_host.showMessage(QStringLiteral("You are not connected"));
}

// ---- seats -----------------------------------------------------------------

void Board::seatTaken(int seat, const QString& name)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    if (!isSeat(seat))
        return;
    m_seats[seat].occupied = true;
    setCaption(seat, name);
    m_seats[seat].name->show();
    m_seats[seat].score->show();
}

void Board::seatFreed(int seat)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    if (!isSeat(seat))
        return;
    m_seats[seat].occupied = false;
    const bool computerPlayed = (seat == 2 || m_teamGame) && !computerName(seat).isEmpty();
    setCaption(seat, computerPlayed ? computerName(seat) : Board::kWaitingCaption);
    m_seats[seat].eyes->hide();
}

bool Board::seatOccupied(int seat) const
{
    return isSeat(seat) && m_seats[seat].occupied;
}

QString Board::seatCaption(int seat) const
{
    return isSeat(seat) ? m_seats[seat].caption : QString();
}

QString Board::computerName(int seat)
{
    return isSeat(seat) ? QString::fromLatin1(kComputerSeatCaptions[seat]) : QString();
}

void Board::setStartButtonVisible(bool visible)
{
    const BoardAccessibility::Batch told(m_accessibility.get());
    m_start->setVisible(visible);
}

char Board::tileState(int tile) const
{
    return isLetter(tile) ? m_tileStates[tile] : '\0';
}

// ---- helpers ---------------------------------------------------------------

void Board::endChoosing()
{
    m_chooserSeat = 0;
    m_choosePanel->hide();
    setStatus(QString());
}

void Board::setStatus(const QString& text)
{
    m_statusText = text;
    m_status->setText(elided(m_status, text));
}

void Board::setWord(const QString& mask)
{
    m_word->setText(mask);
    fitWordFont();
}

void Board::setCategory(int category)
{
    m_category = category;
    m_tag->setPixmap(Art::categoryBanner(category));
}

void Board::showFigure(int misses)
{
    m_figureStage = std::min(misses, kHangedMisses);
    if (m_figureStage == kHangedMisses) {
        m_hang->clear();
        m_hang->hide();
        if (m_hanged->strip().isNull())
            m_hanged->setStrip(Art::hangedStrip());
        m_hanged->show();
        m_hanged->setPlay(true);
        return;
    }
    m_hanged->hide();
    m_hanged->setPlay(false);
    m_hang->setPixmap(Art::hangStage(m_figureStage));
    m_hang->show();
}

void Board::drawTile(int tile, char state)
{
    m_tileStates[tile] = state;
    m_tiles[tile]->setPixmap(state == 'y' ? Art::litLetterTile(tile) : Art::letterTile(tile));
}

void Board::markUsed(int tile)
{
    m_tileStates[tile] = 'u';
    hideTile(tile);
}

// The greyed letters show only where a tile has gone, so they are drawn then.
void Board::hideTile(int tile)
{
    if (m_usedLetters->pixmap().isNull())
        m_usedLetters->setPixmap(Art::usedLetterBoard());
    m_tiles[tile]->hide();
}

void Board::applyTeamSetting(bool team)
{
    m_teamGame = team;
    m_teamLabel->setText(team ? QStringLiteral("Team Game: YES") : QStringLiteral("Team Game: NO"));
    if (team && m_team->pixmap().isNull())
        m_team->setPixmap(Art::teamArt());
    m_team->setVisible(team);
    m_thePlayers->setVisible(!team);
    for (int seat = 2; seat <= kSeats; ++seat)
        if (!m_seats[seat].occupied)
            setCaption(seat, team || seat == 2 ? computerName(seat) : Board::kWaitingCaption);
}

void Board::setTimePerTurn(int seconds)
{
    m_timePerTurn = seconds < 1 ? 30 : seconds;
    m_pixelsPerSecond = m_timePerTurn < kTimerBarWidth ? kTimerBarWidth / m_timePerTurn : 1;
    m_timePerTurnLabel->setText(QStringLiteral("Time Per Turn: %1").arg(m_timePerTurn));
}

void Board::setPlayTo(const QString& text)
{
    m_playTo->setText(elided(m_playTo, QStringLiteral("Play To Score: ") + text));
}

void Board::setCaption(int seat, const QString& caption)
{
    m_seats[seat].caption = caption;
    m_seats[seat].name->setText(elided(m_seats[seat].name, caption));
}

void Board::setScore(int seat, const QString& text)
{
    setFittedText(m_seats[seat].score, text, kSeatPlaces[seat].bonusX - kSeatPlaces[seat].scoreX);
}

void Board::setBonus(int seat, const QString& text)
{
    setFittedText(m_seats[seat].bonus, text, kWidth - 1 - kSeatPlaces[2].bonusX);
}

void Board::pointAtSeat(int seat)
{
    const QLabel* name = m_seats[seat].name;
    m_turnPointer->move(name->x() - 32, name->y());
    m_pointerSeat = seat;
}

void Board::announceTurn(int seat)
{
    if (seat == m_host.ownSlot()) {
        setStatus(QStringLiteral("Your Turn."));
        m_host.playSound(m_host.turnSound() == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"));
    } else {
        setStatus(m_seats[seat].caption + QStringLiteral("'s turn."));
    }
}

void Board::startCountdown()
{
    m_secondsLeft = m_timePerTurn;
    showCountdown();
    m_turnClock.start();
}

void Board::showCountdown()
{
    m_timerBar->resize(std::min(kTimerBarWidth, m_pixelsPerSecond * m_secondsLeft), m_timerBar->height());
    setTextColour(m_timerLabel, m_secondsLeft < 20 ? Qt::red : Qt::black);
    m_timerLabel->setText(QStringLiteral("Time: %1:%2").arg(m_secondsLeft / 60).arg(m_secondsLeft % 60, 2, 10, QLatin1Char('0')));
}

bool Board::ownTurn() const
{
    return m_turnSeat >= 1 && m_turnSeat == m_host.ownSlot();
}

int Board::tileAt(QObject* object) const
{
    const auto found = std::find(m_tiles.begin() + 1, m_tiles.end(), object);
    return found == m_tiles.end() ? 0 : int(found - m_tiles.begin());
}

int Board::seatLabelAt(QObject* object) const
{
    for (int seat = 1; seat <= kSeats; ++seat)
        if (m_seats[seat].name == object)
            return seat;
    return 0;
}

// ---- events ----------------------------------------------------------------

void Board::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintTexture(this, painter);
    painter.setPen(kDarkGrey);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        painter.setPen(QPen(kFocusMark, 2, Qt::DashLine));
        painter.drawRect(QRectF(rect()).adjusted(2, 2, -2, -2));
    }
}

void Board::keyPressEvent(QKeyEvent* event)
{
    if (hasFocus() && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_chatArea->setFocus(Qt::OtherFocusReason);
        return;
    }
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (hasFocus() && plain && text.size() == 1) {
        const char letter = text.at(0).toLower().toLatin1();
        const int tile = letter - 'a' + 1;
        if (isLetter(tile)) {
            if (!m_tiles[tile]->isHidden())
                pickLetter(tile);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

bool Board::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (const int tile = tileAt(watched)) {
        if (type == QEvent::MouseMove) {
            hoverTile(tile);
            return true;
        }
        if (type == QEvent::Leave)
            leaveTiles();
        if (type == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && m_tiles[tile]->rect().contains(mouse->position().toPoint()))
                pickLetter(tile);
        }
        return false;
    }
    if (const int seat = seatLabelAt(watched)) {
        if (type == QEvent::ContextMenu) {
            emit seatContextMenuRequested(seat, static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        return false;
    }
    if (watched == m_start) {
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            m_chatArea->setFocus(Qt::MouseFocusReason);
            m_start->setPixmap(Art::startGameButton(true));
        }
        else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            m_start->setPixmap(Art::startGameButton(false));
            if (m_start->rect().contains(mouse->position().toPoint()))
                onStartClicked();
        }
        return false;
    }
    if (type == QEvent::MouseMove)
        leaveTiles();
    return false;
}
