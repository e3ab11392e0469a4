#include "windows/tallywindow.h"

#include "board/art.h"
#include "tally/tally.h"
#include "windows/prompts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using Count = TallyTable::Count;
using Own = TallyTable::Own;
using Span = TallyTable::Span;

namespace {

const QColor textColour(73, 73, 73);

QFont headingFont(int points)
{
    QFont font(QStringLiteral("Comic Sans MS"), points);
    font.setBold(true);
    return font;
}

QFont valueFont(int points = 10)
{
    return QFont(QStringLiteral("Arial"), points);
}

QLabel* textLabel(const QString& text, const QFont& font, const QString& name = {})
{
    auto* label = new QLabel(text);
    label->setFont(font);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

QFrame* makePanel()
{
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("panel"));
    return panel;
}

const char* tallyStyleSheet = R"(
    QLabel { color: rgb(73, 73, 73); }
    QFrame#panel { background: rgba(255, 255, 255, 165); border: 1px solid rgba(73, 73, 73, 140);
                   border-radius: 8px; }
    QPushButton { color: rgb(73, 73, 73); background: rgba(255, 255, 255, 200);
                  border: 1px solid rgb(120, 100, 70); border-radius: 6px; padding: 4px 16px; }
    QPushButton:hover { background: white; }
    QPushButton:pressed { background: rgb(225, 205, 170); }
)";

} // namespace

TallyWindow::TallyWindow(Tally& tally, Prompts& prompts, QWidget* parent)
    : DeferredWindow(parent, Qt::Window)
    , m_tally(tally)
    , m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("HangMan - Tally List"));
    connect(&m_tally, &Tally::playersInGameChanged, this, &TallyWindow::showPlayersInGame);
    connect(&m_tally, &Tally::countsChanged, this, &TallyWindow::showCounts);
}

void TallyWindow::buildContents()
{
    buildWindow();
    showOwnRecord();
    for (int position = 0; position < m_tally.table().followedCount(); ++position)
        addListItem(m_followedPlayers, m_tally.table().followedName(position), Qt::Checked);
    showPlayersInGame();
}

void TallyWindow::addListItem(QListWidget* list, const QString& name, Qt::CheckState state)
{
    const QSignalBlocker blocker(list);
    auto* item = new QListWidgetItem(name, list);
    item->setCheckState(state);
}

void TallyWindow::buildWindow()
{
    QPalette background = palette();
    background.setBrush(QPalette::Window, QBrush(Art::backgroundTexture()));
    background.setColor(QPalette::WindowText, textColour);
    setPalette(background);
    setAutoFillBackground(true);
    setStyleSheet(QString::fromLatin1(tallyStyleSheet));

    auto* grid = new QGridLayout;
    grid->setSpacing(10);
    grid->addWidget(buildOwnPanel(), 0, 0);
    grid->addWidget(buildListPanel(QStringLiteral("Players In Current Game"), m_playersInGame), 0, 1);
    grid->addWidget(buildPlayerPanel(), 1, 0);
    grid->addWidget(buildListPanel(QStringLiteral("Players Being Tallied"), m_followedPlayers), 1, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(0, 2);
    grid->setRowStretch(1, 3);
    m_playersInGame->setObjectName(QStringLiteral("checklist"));
    m_followedPlayers->setObjectName(QStringLiteral("listbox_tally"));

    m_resetButton = new QPushButton(QStringLiteral("Reset Tally"));
    m_resetButton->setObjectName(QStringLiteral("button_reset"));
    m_doneButton = new QPushButton(QStringLiteral("Done"));
    m_doneButton->setObjectName(QStringLiteral("button_done"));
    for (QPushButton* button : { m_resetButton, m_doneButton }) {
        button->setFont(headingFont(10));
        button->setCursor(Qt::PointingHandCursor);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_resetButton);
    buttons->addWidget(m_doneButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    setFixedSize(600, 400);

    connect(m_playersInGame, &QListWidget::itemChanged, this, &TallyWindow::playerInGameChecked);
    connect(m_followedPlayers, &QListWidget::itemChanged, this, &TallyWindow::followedPlayerChecked);
    connect(m_followedPlayers, &QListWidget::itemClicked, this, &TallyWindow::followedPlayerSelected);
    connect(m_resetButton, &QPushButton::clicked, this, &TallyWindow::onResetClicked);
    connect(m_doneButton, &QPushButton::clicked, this, &TallyWindow::onDoneClicked);
}

QWidget* TallyWindow::buildOwnPanel()
{
    QFrame* panel = makePanel();
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(14, 10, 14, 12);
    grid->setVerticalSpacing(6);
    grid->addWidget(textLabel(QStringLiteral("Your Total Tally"), headingFont(12)), 0, 0, 1, 2);
    const QString captions[] = { QStringLiteral("Total Games:"), QStringLiteral("Your Wins:"),
                                 QStringLiteral("Completed Puzzles:"), QStringLiteral("Var4:") };
    for (Own counter : TallyTable::ownCounters) {
        const int line = TallyTable::column(counter);
        QLabel* caption = textLabel(captions[line - 1], headingFont(10));
        QLabel* value = textLabel(QStringLiteral("0"), valueFont(11), QStringLiteral("mylabel_%1").arg(line));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, line, 0);
        grid->addWidget(value, line, 1);
        if (counter == Own::Spare) {
            caption->hide();
            value->hide();
        }
        ownLabel(counter) = value;
    }
    grid->setRowStretch(5, 1);
    return panel;
}

QWidget* TallyWindow::buildPlayerPanel()
{
    QFrame* panel = makePanel();
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(14, 10, 14, 12);
    grid->setVerticalSpacing(9);
    grid->setHorizontalSpacing(18);
    m_playerHeading = textLabel({}, headingFont(12), QStringLiteral("label_hisnametop"));
    grid->addWidget(m_playerHeading, 0, 0, 1, 3);
    QLabel* total = textLabel(QStringLiteral("Total"), headingFont(10));
    QLabel* session = textLabel(QStringLiteral("Session"), headingFont(10));
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    session->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(total, 1, 1);
    grid->addWidget(session, 1, 2);
    m_playerName = textLabel({}, headingFont(10), QStringLiteral("label_hisname"));
    QLabel* captions[] = { textLabel(QStringLiteral("Number of Games"), headingFont(10)), m_playerName,
                           textLabel(QStringLiteral("Your Wins:"), headingFont(10)),
                           textLabel(QStringLiteral("Neither Won:"), headingFont(10)) };
    for (Count counter : TallyTable::counts) {
        const int line = 2 + int(counter);
        grid->addWidget(captions[int(counter)], line, 0);
        for (Span span : TallyTable::spans) {
            QLabel* value = textLabel(QStringLiteral("0"), valueFont(11),
                                      QStringLiteral("label_%1").arg(TallyTable::column(counter, span)));
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->addWidget(value, line, 1 + int(span));
            playerLabel(counter, span) = value;
        }
    }
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(6, 1);
    clearPlayerPanel();
    return panel;
}

QWidget* TallyWindow::buildListPanel(const QString& title, QListWidget*& list)
{
    QFrame* panel = makePanel();
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->addWidget(textLabel(title, headingFont(11)));
    list = new QListWidget;
    list->setFont(valueFont());
    list->setAccessibleName(title);
    QPalette colours = list->palette();
    colours.setColor(QPalette::Base, QColor(255, 255, 255, 225));
    colours.setColor(QPalette::Text, textColour);
    colours.setColor(QPalette::Highlight, QColor(176, 132, 74));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    list->setPalette(colours);
    layout->addWidget(list, 1);
    return panel;
}

QLabel*& TallyWindow::ownLabel(Own counter)
{
    return m_ownLabels[TallyTable::column(counter) - 1];
}

QLabel*& TallyWindow::playerLabel(Count counter, Span span)
{
    return m_playerLabels[int(counter)][int(span)];
}

void TallyWindow::clearPlayerPanel()
{
    m_playerHeading->setText(QStringLiteral("Player's Tally"));
    m_playerName->setText(QStringLiteral("Player Wins:"));
}

void TallyWindow::showCounts()
{
    if (!isBuilt())
        return;
    showOwnRecord();
    if (m_followedPlayers->currentRow() >= 0)
        showPlayer(m_followedPlayers->currentRow());
}

void TallyWindow::showOwnRecord()
{
    for (Own counter : TallyTable::ownCounters)
        ownLabel(counter)->setText(m_tally.table().own(counter));
}

void TallyWindow::showPlayersInGame()
{
    if (!isBuilt())
        return;
    {
        const QSignalBlocker blocker(m_playersInGame);
        m_playersInGame->clear();
    }
    for (const QString& name : m_tally.playersInGame())
        addListItem(m_playersInGame, name, m_tally.table().followedPosition(name) >= 0 ? Qt::Checked : Qt::Unchecked);
}

void TallyWindow::showPlayer(int position)
{
    const TallyTable& table = m_tally.table();
    const QString name = table.followedName(position);
    for (Count counter : TallyTable::counts)
        for (Span span : TallyTable::spans)
            playerLabel(counter, span)->setText(table.count(position, counter, span));
    m_playerName->setText(name + QStringLiteral(" Wins:"));
    m_playerHeading->setText(name + QStringLiteral("'s Tally"));
}

void TallyWindow::playerInGameChecked(QListWidgetItem* item)
{
    if (m_tally.table().followedPosition(item->text()) >= 0)
        return;
    m_tally.follow(item->text());
    addListItem(m_followedPlayers, item->text(), Qt::Checked);
}

void TallyWindow::followedPlayerChecked(QListWidgetItem* item)
{
    if (item->checkState() == Qt::Checked)
        return;
    const QPersistentModelIndex entry(m_followedPlayers->model()->index(m_followedPlayers->row(item), 0));
    QMetaObject::invokeMethod(this, [this, entry] { confirmDelete(entry); }, Qt::QueuedConnection);
}

void TallyWindow::confirmDelete(const QPersistentModelIndex& entry)
{
    if (!entry.isValid())
        return;
    const int position = entry.row();
    QListWidgetItem* item = m_followedPlayers->item(position);
    if (item->checkState() == Qt::Checked)
        return;
    const QSignalBlocker blocker(m_followedPlayers);
    if (m_prompts.confirm(this, QStringLiteral("This will delete ") + item->text()
                                    + QStringLiteral("'s Tally, Are you want to delete it?"))) {
        m_tally.unfollow(position);
        delete m_followedPlayers->takeItem(position);
    } else {
        item->setCheckState(Qt::Checked);
    }
}

void TallyWindow::followedPlayerSelected()
{
    const int position = m_followedPlayers->currentRow();
    if (position >= 0)
        showPlayer(position);
}

void TallyWindow::onResetClicked()
{
    if (!m_prompts.confirm(this, QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    {
        const QSignalBlocker blocker(m_followedPlayers);
        m_followedPlayers->clear();
    }
    m_tally.reset();
    for (Count counter : TallyTable::counts)
        for (Span span : TallyTable::spans)
            playerLabel(counter, span)->setText(QStringLiteral("0"));
}

void TallyWindow::onDoneClicked()
{
    hide();
}
