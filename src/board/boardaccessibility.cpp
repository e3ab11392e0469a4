#include "board/boardaccessibility.h"

#include "board/art.h"
#include "board/board.h"
#include "board/animatedimage.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <limits>

namespace {

QHash<QObject*, BoardAccessibility*>& owners()
{
    static QHash<QObject*, BoardAccessibility*> registry;
    return registry;
}

QString spokenCharacter(QChar c)
{
    if (c == QLatin1Char('*'))
        return QStringLiteral("blank");
    if (c == QLatin1Char('\''))
        return QStringLiteral("apostrophe");
    if (c == QLatin1Char('-'))
        return QStringLiteral("dash");
    return QString(c);
}

using Kind = BoardAccessibility::Kind;

QString labelTitle(BoardAccessibility::Part part)
{
    switch (part.kind) {
    case Kind::Word:
        return QStringLiteral("Word");
    case Kind::Status:
        return QStringLiteral("Status line");
    case Kind::Seat:
        return QStringLiteral("Seat %1").arg(part.index);
    case Kind::Clock:
        return QStringLiteral("Turn clock");
    case Kind::Figure:
        return QStringLiteral("Hangman");
    case Kind::Winner:
        return QStringLiteral("Winner");
    case Kind::Decoration:
        return QStringLiteral("Decoration");
    default:
        return {};
    }
}

class BoardPartInterface : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    BoardPartInterface(QWidget* widget, BoardAccessibility* owner, BoardAccessibility::Part part)
        : QAccessibleWidget(widget), m_owner(owner), m_part(part)
    {
    }

    QAccessible::Role role() const override
    {
        return m_owner ? reading().role : QAccessibleWidget::role();
    }

    QString text(QAccessible::Text type) const override
    {
        if (!m_owner)
            return QAccessibleWidget::text(type);
        const BoardAccessibility::Reading now = reading();
        switch (type) {
        case QAccessible::Name:
            return now.name;
        case QAccessible::Description:
            return now.description;
        case QAccessible::Value:
            return now.range ? QString::number(now.range->current) : QString();
        default:
            return QAccessibleWidget::text(type);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (m_owner) {
            const BoardAccessibility::Reading now = reading();
            state.disabled = state.disabled || now.unavailable;
            state.animated = now.running;
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface && m_owner && reading().range)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QStringList actionNames() const override
    {
        if (m_owner && reading().pressable)
            return {pressAction()};
        return QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (m_owner && reading().pressable && action == pressAction())
            m_owner->press(m_part);
        else
            QAccessibleWidget::doAction(action);
    }

    int childCount() const override { return int(keptChildren().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> kept = keptChildren();
        return index >= 0 && index < kept.size() ? QAccessible::queryAccessibleInterface(kept[index]) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(keptChildren().indexOf(child->object())) : -1;
    }

    QVariant currentValue() const override { return rangeValue(&BoardAccessibility::Range::current); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return rangeValue(&BoardAccessibility::Range::maximum); }
    QVariant minimumValue() const override { return rangeValue(&BoardAccessibility::Range::minimum); }
    QVariant minimumStepSize() const override { return 1; }

private:
    BoardAccessibility::Reading reading() const { return m_owner->read(m_part); }

    // The child widgets an assistive tool meets: every one but the decoration.
    QList<QWidget*> keptChildren() const
    {
        QList<QWidget*> kept;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && !(m_owner && m_owner->isDecoration(child)))
                kept << child;
        }
        return kept;
    }

    QVariant rangeValue(int BoardAccessibility::Range::*field) const
    {
        if (!m_owner)
            return {};
        const std::optional<BoardAccessibility::Range> range = reading().range;
        return range ? QVariant((*range).*field) : QVariant();
    }

    QPointer<BoardAccessibility> m_owner;
    BoardAccessibility::Part m_part;
};

QAccessibleInterface* boardPartFactory(const QString&, QObject* object)
{
    BoardAccessibility* owner = owners().value(object);
    auto* widget = qobject_cast<QWidget*>(object);
    if (!owner || !widget)
        return nullptr;
    return new BoardPartInterface(widget, owner, owner->partOf(object));
}

} // namespace

BoardAccessibility::BoardAccessibility(Board& board) : m_board(board), m_game(board.game())
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(boardPartFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    add(&board, Kind::Board);
    add(board.m_letterPanel, Kind::Letters);
    for (int tile = 1; tile <= kLetterCount; ++tile)
        add(board.m_tiles[tile], Kind::Tile, tile);
    add(board.m_word, Kind::Word);
    add(board.m_status, Kind::Status);
    for (int seat = 1; seat <= kSeatCount; ++seat)
        add(board.m_seats[seat].name, Kind::Seat, seat);
    add(board.m_timerLabel, Kind::Clock);
    add(board.m_hang, Kind::Figure);
    add(board.m_hanged, Kind::Figure);
    add(board.m_winnerPanel, Kind::Winner);
    add(board.m_choosePanel, Kind::Chooser);
    add(board.m_start, Kind::Start);
    add(board.m_chatArea, Kind::Chat);
    addPictures();
    addDecoration();

    for (int category = 0; category < kCategoryCount; ++category) {
        QPushButton* button = board.m_categoryButtons[category];
        button->setAccessibleName(Art::categoryName(category));
        button->setFocusPolicy(Qt::TabFocus);
    }
    tellChanges();
    connect(&m_game, &ClientGame::updated, this, &BoardAccessibility::tellChanges);
}

BoardAccessibility::~BoardAccessibility()
{
    for (auto part = m_parts.cbegin(); part != m_parts.cend(); ++part)
        owners().remove(part.key());
}

void BoardAccessibility::add(QWidget* widget, Kind kind, int index)
{
    const Part part{kind, index};
    m_parts.insert(widget, part);
    owners().insert(widget, this);
    // An interface made for the widget before it was registered here is dropped.
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(widget)));
    // With a fixed name of its own a label no longer announces each text change by
    // itself: the changes are told here, once per board update.
    const QString title = labelTitle(part);
    if (!title.isEmpty())
        widget->setAccessibleName(title);
}

void BoardAccessibility::addPictures()
{
    add(m_board.m_turnPointer, Kind::Pointer);
    for (int seat = 1; seat <= kSeatCount; ++seat)
        add(m_board.m_seats[seat].eyes, Kind::Eyes, seat);
    add(m_board.m_tag, Kind::Category);
    add(m_board.m_thePlayers, Kind::Heading);
    add(m_board.m_team, Kind::Team);
}

// Scores and bonuses are read with their seat, the timer bar with the clock, the
// winner's shadow text with the winner panel; the rest is ornament.
void BoardAccessibility::addDecoration()
{
    const Board& board = m_board;
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        add(board.m_seats[seat].score, Kind::Decoration);
        add(board.m_seats[seat].bonus, Kind::Decoration);
    }
    add(board.m_winnerText, Kind::Decoration);
    add(board.m_winnerShadow, Kind::Decoration);
    for (QLabel* title : board.m_choosePanel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        add(title, Kind::Decoration);
    add(board.m_usedLetters, Kind::Decoration);
    add(board.m_timerBar, Kind::Decoration);
    for (const char* name : {"image_chatbanner", "image_wordbox", "image_timerframe"})
        if (auto* ornament = board.findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
            add(ornament, Kind::Decoration);
}

BoardAccessibility::Part BoardAccessibility::partOf(QObject* object) const
{
    return m_parts.value(object);
}

bool BoardAccessibility::isDecoration(QObject* object) const
{
    const auto part = m_parts.constFind(object);
    return part != m_parts.cend() && part->kind == Kind::Decoration;
}

BoardAccessibility::Reading BoardAccessibility::read(Part part) const
{
    const ClientGame& game = m_game;
    Reading reading;
    switch (part.kind) {
    case Kind::Tile:
        reading.role = QAccessible::Button;
        reading.name = QString(QLatin1Char(char('A' + part.index - 1)));
        reading.unavailable = !tileAvailable(part.index);
        reading.pressable = true;
        break;
    case Kind::Word: {
        const QString& mask = game.word();
        reading.name = mask.isEmpty() ? QStringLiteral("No word yet")
                                      : Art::categoryName(game.category().value_or(0)) + QStringLiteral(", ") + spokenWord(mask);
        reading.description = labelTitle(part);
        break;
    }
    case Kind::Status:
        reading.name = game.statusText();
        reading.description = labelTitle(part);
        break;
    case Kind::Seat:
        reading.name = QStringLiteral("Seat %1: %2").arg(part.index).arg(game.seatCaption(part.index));
        reading.description = seatDescription(part.index);
        reading.range = Range{game.seat(part.index).score, 0, std::numeric_limits<int>::max()};
        break;
    case Kind::Clock:
        reading.role = QAccessible::Clock;
        reading.running = game.clockRunning();
        reading.name = reading.running ? QStringLiteral("Turn clock: %1 seconds left").arg(game.secondsLeft())
                                       : QStringLiteral("Turn clock: stopped");
        reading.range = Range{game.secondsLeft(), 0, game.timePerTurn()};
        break;
    case Kind::Winner:
        reading.name = game.winnerText();
        reading.description = labelTitle(part);
        break;
    case Kind::Start:
        reading.role = QAccessible::Button;
        reading.name = QStringLiteral("START GAME");
        reading.pressable = true;
        break;
    default:
        return readContainerOrPicture(part);
    }
    return reading;
}

BoardAccessibility::Reading BoardAccessibility::readContainerOrPicture(Part part) const
{
    Reading reading;
    reading.role = QAccessible::Grouping;
    switch (part.kind) {
    case Kind::Board:
        reading.role = QAccessible::Client;
        reading.name = QStringLiteral("Game board");
        reading.description = QStringLiteral("Type a letter to pick it on your turn, Escape to go back to the chat");
        break;
    case Kind::Letters:
        reading.name = QStringLiteral("Letters");
        break;
    case Kind::Chooser:
        reading.name = QStringLiteral("Choose a category");
        break;
    case Kind::Chat:
        reading.name = QStringLiteral("Chat");
        break;
    default:
        return readPicture(part);
    }
    return reading;
}

BoardAccessibility::Reading BoardAccessibility::readPicture(Part part) const
{
    const ClientGame& game = m_game;
    Reading reading;
    reading.role = QAccessible::Graphic;
    switch (part.kind) {
    case Kind::Figure:
        reading.name = game.misses() >= kHangingMisses
            ? QStringLiteral("Hangman: hanged, %1 of %1 misses").arg(kHangingMisses)
            : QStringLiteral("Hangman: %1 of %2 misses").arg(game.misses()).arg(kHangingMisses);
        reading.range = Range{game.misses(), 0, kHangingMisses};
        break;
    case Kind::Pointer:
        reading.name = game.pointerSeat() ? QStringLiteral("Turn: seat %1").arg(*game.pointerSeat())
                                          : QStringLiteral("Turn: nobody yet");
        break;
    case Kind::Eyes:
        reading.name = QStringLiteral("Seat %1: just watching").arg(part.index);
        break;
    case Kind::Category:
        reading.name = game.category() ? QStringLiteral("Category: ") + Art::categoryName(*game.category())
                                       : QStringLiteral("Category: none yet");
        break;
    case Kind::Heading:
        reading.name = QStringLiteral("The players");
        break;
    case Kind::Team:
        reading.name = QStringLiteral("Team game: yellow team seats 1, 3 and 5, gray team seats 2, 4 and 6");
        break;
    default:
        break;
    }
    return reading;
}

void BoardAccessibility::press(Part part)
{
    if (part.kind == Kind::Tile)
        m_game.pickLetter(part.index);
    else if (part.kind == Kind::Start && m_game.isStartOffered())
        m_game.askToStartGame();
}

QString BoardAccessibility::seatDescription(int seat) const
{
    const ClientGame::Seat& place = m_game.seat(seat);
    QStringList facts{QStringLiteral("score %1").arg(place.score)};
    if (place.lastFind)
        facts << QStringLiteral("last find +%1").arg(*place.lastFind);
    if (m_game.turnSeat() == seat)
        facts << QStringLiteral("has the turn");
    if (!place.occupied)
        facts << (place.computer ? QStringLiteral("computer player") : QStringLiteral("empty seat"));
    if (place.watching)
        facts << QStringLiteral("just watching");
    return facts.join(QStringLiteral(", "));
}

bool BoardAccessibility::tileAvailable(int tile) const
{
    return m_game.isOwnTurn() && !m_game.isJustWatching() && m_game.tileState(tile) == ClientGame::TileState::Open;
}

BoardAccessibility::Told BoardAccessibility::toldOf(Part part) const
{
    const Reading reading = read(part);
    Told told;
    told.name = reading.name;
    told.description = reading.description;
    if (reading.range)
        told.value = reading.range->current;
    told.unavailable = reading.unavailable;
    told.running = reading.running;
    return told;
}

void BoardAccessibility::tellChanges()
{
    for (auto part = m_parts.cbegin(); part != m_parts.cend(); ++part) {
        QObject* object = part.key();
        const Kind kind = part->kind;
        const Told now = toldOf(*part);
        const auto previous = m_told.constFind(object);
        if (previous == m_told.cend()) {
            m_told.insert(object, now);
            continue;
        }
        const Told before = *previous;
        m_told.insert(object, now);
        // The still figure and the hanged animation take turns: only the one on show speaks.
        if (kind == Kind::Figure && static_cast<QWidget*>(object)->isHidden())
            continue;
        // The clock's name and value change every second: only its start and stop are told.
        if (kind == Kind::Clock) {
            if (now.running != before.running) {
                QAccessible::State changed;
                changed.animated = true;
                QAccessibleStateChangeEvent event(object, changed);
                QAccessible::updateAccessibility(&event);
            }
            continue;
        }
        if (now.name != before.name && !(kind == Kind::Status && now.name.isEmpty())) {
            QAccessibleEvent event(object, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
        if (now.description != before.description) {
            QAccessibleEvent event(object, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&event);
        }
        if (now.value != before.value && now.value) {
            QAccessibleValueChangeEvent event(object, *now.value);
            QAccessible::updateAccessibility(&event);
        }
        if (now.unavailable != before.unavailable) {
            QAccessible::State changed;
            changed.disabled = true;
            QAccessibleStateChangeEvent event(object, changed);
            QAccessible::updateAccessibility(&event);
        }
    }
}

QString BoardAccessibility::spokenWord(const QString& mask)
{
    QStringList words;
    const QStringList parts = mask.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        QStringList characters;
        int letters = 0;
        for (QChar c : part) {
            characters << spokenCharacter(c);
            if (c == QLatin1Char('*') || c.isLetter())
                ++letters;
        }
        const QString count = letters == 1 ? QStringLiteral("1 letter") : QStringLiteral("%1 letters").arg(letters);
        words << count + QStringLiteral(": ") + characters.join(QStringLiteral(", "));
    }
    if (words.size() == 1)
        return words.first();
    return QStringLiteral("%1 words: ").arg(words.size()) + words.join(QStringLiteral("; "));
}
