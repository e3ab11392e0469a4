#include "board/board.h"

#include "board/art.h"
#include "board/art_draw.h"
#include "board/background.h"
#include "board/boardaccessibility.h"
#include "board/animatedimage.h"
#include "board/picturebutton.h"

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
constexpr SeatPlace kSeatPlaces[kSeatCount + 1] = {
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

} // namespace

Board::Board(ClientGame& game, Clock& clock, QWidget* parent)
    : QWidget(parent), m_game(game), m_clock(clock)
{
    Art::substituteMissingFaces();
    setObjectName(QStringLiteral("panel_board"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    buildBoard();
    observeGame();
    for (int seat = 1; seat <= kSeatCount; ++seat)
        showSeat(seat);
    showWord();
    showCategory();
    showFigure();
    showTiles();
    showStatus();
    showOptions();
    showChoosing();
    showWinner();
    showStartOffered();
    m_accessibility = std::make_unique<BoardAccessibility>(*this);
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
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const SeatPlace& place = kSeatPlaces[seat];
        QLabel* name = makeLabel(this, QStringLiteral("label_playername%1").arg(seat),
                                 QRect(place.nameX, place.rowY, 118, 23), font, Qt::black);
        name->installEventFilter(this);
        m_seats[seat].name = name;
    }
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const SeatPlace& place = kSeatPlaces[seat];
        m_seats[seat].score = makeLabel(this, QStringLiteral("label_score%1").arg(seat),
                                        QRect(place.scoreX, place.rowY, 10, 23), font, Qt::black);
    }
    for (int seat = 1; seat <= kSeatCount; ++seat) {
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
    for (int seat = 1; seat <= kSeatCount; ++seat) {
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
    m_winnerShadow = makeLabel(m_winnerPanel, "winner_shadow", QRect(-1, 31, 691, 28), font, kShadowGrey, Qt::AlignCenter);
    m_winnerText = makeLabel(m_winnerPanel, "winner_text", QRect(1, 29, 691, 28), font, kGolden, Qt::AlignCenter);
    m_winnerShadow->setText(QStringLiteral("Winner!"));
    m_winnerText->setText(QStringLiteral("Winner!"));
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
    for (int tile = 1; tile <= kLetterCount; ++tile) {
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
    for (int category = 0; category < kCategoryCount; ++category) {
        auto* button = new PictureButton(m_choosePanel);
        button->setFrameColour(kDarkGrey);
        button->setFillColours(QColor(204, 177, 132), QColor(224, 208, 182));
        button->setObjectName(QStringLiteral("button_cat%1").arg(category));
        button->setGeometry(19, 48 + 40 * category, 270, 33);
        button->setIconSize(QSize(250, 30));
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, category] { m_game.pickCategory(category); });
        m_categoryButtons[category] = button;
    }
    m_choosePanel->hide();
}

void Board::drawCategoryButtons()
{
    for (int category = 0; category < kCategoryCount; ++category)
        if (m_categoryButtons[category]->icon().isNull())
            m_categoryButtons[category]->setIcon(QIcon(Art::categoryGlyph(category)));
}

// ---- the game on show --------------------------------------------------------

void Board::observeGame()
{
    ClientGame* game = &m_game;
    connect(game, &ClientGame::seatChanged, this, &Board::showSeat);
    connect(game, &ClientGame::turnChanged, this, &Board::showTurn);
    connect(game, &ClientGame::clockChanged, this, &Board::showClock);
    connect(game, &ClientGame::wordChanged, this, &Board::showWord);
    connect(game, &ClientGame::categoryChanged, this, &Board::showCategory);
    connect(game, &ClientGame::figureChanged, this, &Board::showFigure);
    connect(game, &ClientGame::tileChanged, this, &Board::showTile);
    connect(game, &ClientGame::tilesReset, this, &Board::showTiles);
    connect(game, &ClientGame::statusChanged, this, &Board::showStatus);
    connect(game, &ClientGame::optionsChanged, this, &Board::showOptions);
    connect(game, &ClientGame::choosingChanged, this, &Board::showChoosing);
    connect(game, &ClientGame::winnerChanged, this, &Board::showWinner);
    connect(game, &ClientGame::startOfferedChanged, this, &Board::showStartOffered);
}

void Board::showSeat(int seat)
{
    const ClientGame::Seat& shown = m_game.seat(seat);
    const Seat& place = m_seats[seat];
    place.name->setText(elided(place.name, m_game.seatCaption(seat)));
    setFittedText(place.score, QString::number(shown.score), kSeatPlaces[seat].bonusX - kSeatPlaces[seat].scoreX);
    const QString find = shown.lastFind ? QStringLiteral("+%1").arg(*shown.lastFind) : QString();
    setFittedText(place.bonus, find, kWidth - 1 - kSeatPlaces[2].bonusX);
    place.eyes->setVisible(shown.watching);
}

void Board::showTurn()
{
    if (const auto seat = m_game.pointerSeat()) {
        const QLabel* name = m_seats[*seat].name;
        m_turnPointer->move(name->x() - 32, name->y());
    }
}

void Board::showClock()
{
    const int seconds = m_game.secondsLeft();
    if (seconds < 1) {
        m_timerLabel->setText(QStringLiteral("Time: 0:00"));
        m_timerBar->resize(0, m_timerBar->height());
        return;
    }
    m_timerBar->resize(std::min(kTimerBarWidth, pixelsPerSecond() * seconds), m_timerBar->height());
    setTextColour(m_timerLabel, seconds < 20 ? Qt::red : Qt::black);
    m_timerLabel->setText(QStringLiteral("Time: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

int Board::pixelsPerSecond() const
{
    const int seconds = m_game.timePerTurn();
    return seconds < kTimerBarWidth ? kTimerBarWidth / seconds : 1;
}

void Board::showWord()
{
    m_word->setText(m_game.word());
    fitWordFont();
}

void Board::fitWordFont()
{
    QFont font = m_word->font();
    font.setPointSize(m_word->text().size() > kLongWordLength ? 18 : 22);
    m_word->setFont(font);
    // Under the banner and above the status line a wrapped phrase gets the whole free height.
    if (m_word->heightForWidth(m_word->width()) > kWordHeight)
        m_word->setGeometry(8, 174, 683, 56);
    else
        m_word->setGeometry(8, kWordTop, 683, kWordHeight);
}

void Board::showCategory()
{
    if (const auto category = m_game.category())
        m_tag->setPixmap(Art::categoryBanner(*category));
}

void Board::showFigure()
{
    const int misses = m_game.misses();
    if (misses >= kHangingMisses) {
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
    m_hang->setPixmap(Art::hangStage(misses));
    m_hang->show();
}

void Board::showTile(int tile)
{
    if (m_game.tileState(tile) == ClientGame::TileState::Open) {
        m_tiles[tile]->setPixmap(m_litTile == tile ? Art::litLetterTile(tile) : Art::letterTile(tile));
        m_tiles[tile]->show();
        return;
    }
    if (m_litTile == tile)
        m_litTile.reset();
    hideTile(tile);
}

void Board::showTiles()
{
    m_litTile.reset();
    for (int tile = 1; tile <= kLetterCount; ++tile)
        showTile(tile);
}

// The greyed letters show only where a tile has gone, so they are drawn then.
void Board::hideTile(int tile)
{
    if (m_usedLetters->pixmap().isNull())
        m_usedLetters->setPixmap(Art::usedLetterBoard());
    m_tiles[tile]->hide();
}

void Board::lightTile(std::optional<int> tile)
{
    const std::optional<int> before = std::exchange(m_litTile, tile);
    if (before && before != tile)
        m_tiles[*before]->setPixmap(Art::letterTile(*before));
    if (tile && tile != before)
        m_tiles[*tile]->setPixmap(Art::litLetterTile(*tile));
}

void Board::showStatus()
{
    m_status->setText(elided(m_status, m_game.statusText()));
}

void Board::showOptions()
{
    const bool team = m_game.isTeamGame();
    m_teamLabel->setText(team ? QStringLiteral("Team Game: YES") : QStringLiteral("Team Game: NO"));
    if (team && m_team->pixmap().isNull())
        m_team->setPixmap(Art::teamArt());
    m_team->setVisible(team);
    m_thePlayers->setVisible(!team);
    m_timePerTurnLabel->setText(QStringLiteral("Time Per Turn: %1").arg(m_game.timePerTurn()));
    if (const auto& playTo = m_game.playTo())
        m_playTo->setText(elided(m_playTo, QStringLiteral("Play To Score: ") + *playTo));
}

void Board::showChoosing()
{
    if (!m_game.isChoosingCategory()) {
        m_choosePanel->hide();
        return;
    }
    drawCategoryButtons();
    m_choosePanel->show();
    m_choosePanel->raise();
}

void Board::showWinner()
{
    if (!m_game.isWinnerShown()) {
        m_winnerPanel->hide();
        return;
    }
    m_winnerText->setText(elided(m_winnerText, m_game.winnerText()));
    m_winnerShadow->setText(elided(m_winnerShadow, m_game.winnerText()));
    m_winnerPanel->show();
    m_winnerPanel->raise();
}

void Board::showStartOffered()
{
    m_start->setVisible(m_game.isStartOffered());
}

void Board::hoverTile(int tile)
{
    if (!isLetter(tile))
        return;
    const bool lit = m_game.isOwnTurn() && m_game.tileState(tile) != ClientGame::TileState::Used;
    lightTile(lit ? std::optional<int>(tile) : std::nullopt);
}

void Board::leaveTiles()
{
    lightTile(std::nullopt);
}

int Board::tileAt(QObject* object) const
{
    const auto found = std::find(m_tiles.begin() + 1, m_tiles.end(), object);
    return found == m_tiles.end() ? 0 : int(found - m_tiles.begin());
}

int Board::seatLabelAt(QObject* object) const
{
    for (int seat = 1; seat <= kSeatCount; ++seat)
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
                m_game.pickLetter(tile);
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
                m_game.pickLetter(tile);
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
                m_game.askToStartGame();
        }
        return false;
    }
    if (type == QEvent::MouseMove)
        leaveTiles();
    return false;
}
