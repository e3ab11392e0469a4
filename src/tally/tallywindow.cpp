#include "tally/tallywindow.h"

#include "board/art.h"
#include "tally/datafolder.h"
#include "tally/tallycoder.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <limits>

namespace {

const QColor textColour(73, 73, 73);

TallyWindow::ErrorHook& errorHook()
{
    static TallyWindow::ErrorHook hook;
    return hook;
}

TallyWindow::ConfirmHook& confirmHook()
{
    static TallyWindow::ConfirmHook hook;
    return hook;
}

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
    auto* m_playerLabels = new QLabel(text);
    m_playerLabels->setFont(font);
    if (!name.isEmpty())
        m_playerLabels->setObjectName(name);
    return m_playerLabels;
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

TallyWindow::TallyWindow(const QString& tallyPath, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_path(tallyPath)
{
    setWindowTitle(QStringLiteral("HangMan - Tally List"));
    loadFile();
    startSession();
}

TallyWindow::~TallyWindow()
{
    save();
}

QString TallyWindow::defaultTallyPath()
{
    return dataFolder() + QStringLiteral("/hangmantally.tld");
}

void TallyWindow::setErrorHook(ErrorHook hook)
{
    errorHook() = std::move(hook);
}

void TallyWindow::setConfirmHook(ConfirmHook hook)
{
    confirmHook() = std::move(hook);
}

void TallyWindow::reportError(const QString& message)
{
    if (errorHook())
        errorHook()(message);
    else
        QMessageBox::critical(nullptr, QStringLiteral("Hangman"), message);
}

bool TallyWindow::confirm(const QString& question)
{
    if (confirmHook())
        return confirmHook()(question);
    return QMessageBox::question(nullptr, QStringLiteral("Confirm"), question, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void TallyWindow::setVisible(bool visible)
{
    if (visible)
        ensureBuilt();
    QWidget::setVisible(visible);
}

// The widgets are made when the window is first shown: most games never open it,
// and everything it counts lives in the table and the names in the game.
void TallyWindow::ensureBuilt()
{
    if (m_built)
        return;
    m_built = true;
    buildWindow();
    showOwnRecord();
    for (int row = 1; row < m_table.rowCount(); ++row)
        addListItem(m_followedPlayers, m_table.cell(0, row), Qt::Checked);
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
    const QString captions[] = { {}, QStringLiteral("Total Games:"), QStringLiteral("Your Wins:"),
                                 QStringLiteral("Completed Puzzles:"), QStringLiteral("Var4:") };
    for (int i = 1; i <= 4; ++i) {
        QLabel* caption = textLabel(captions[i], headingFont(10));
        m_ownLabels[i] = textLabel(QStringLiteral("0"), valueFont(11), QStringLiteral("mylabel_%1").arg(i));
        m_ownLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, i, 0);
        grid->addWidget(m_ownLabels[i], i, 1);
        if (i == 4) {
            caption->hide();
            m_ownLabels[i]->hide();
        }
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
    for (int i = 1; i <= 8; ++i) {
        m_playerLabels[i] = textLabel(QStringLiteral("0"), valueFont(11), QStringLiteral("label_%1").arg(i));
        m_playerLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int line = 0; line < 4; ++line) {
        grid->addWidget(captions[line], line + 2, 0);
        grid->addWidget(m_playerLabels[line + 1], line + 2, 1);
        grid->addWidget(m_playerLabels[line + 5], line + 2, 2);
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

void TallyWindow::clearPlayerPanel()
{
    m_playerHeading->setText(QStringLiteral("Player's Tally"));
    m_playerName->setText(QStringLiteral("Player Wins:"));
}

void TallyWindow::loadFile()
{
    if (!QFile::exists(m_path))
        return;
    try {
        m_table = readTallyFile(m_path);
    } catch (const std::exception& error) {
        m_table = TallyTable();
        const QString badCopy = m_path + QStringLiteral(".bad");
        QFile::remove(badCopy);
        QString message = QString::fromStdString(error.what());
        if (!QFile::copy(m_path, badCopy)) {
            m_savingBlocked = true;
            message += QStringLiteral("\n\nThe tally could not be copied to %1, so it will not be saved in this game.")
                           .arg(badCopy);
        }
        reportError(message);
    }
}

void TallyWindow::showOwnRecord()
{
    if (!m_built)
        return;
    for (int i = 1; i <= 4; ++i)
        m_ownLabels[i]->setText(m_table.cell(i, 0));
}

void TallyWindow::startSession()
{
    for (int row = 1; row < m_table.rowCount(); ++row)
        for (int column = 5; column <= 8; ++column)
            m_table.setCell(column, row, QStringLiteral("0"));
}

// Followed players are the table's rows from 1 on, in the order of the "Players Being Tallied" list.
int TallyWindow::followedIndex(const QString& name) const
{
    for (int row = 1; row < m_table.rowCount(); ++row)
        if (m_table.cell(0, row) == name)
            return row - 1;
    return -1;
}

void TallyWindow::fillPlayersInGame(const QStringList& namesAtTable)
{
    m_namesInGame.clear();
    for (const QString& seated : namesAtTable) {
        const QString name = TallyTable::cleanName(seated);
        if (!name.isEmpty() && name != QStringLiteral("<Waiting>"))
            m_namesInGame << name;
    }
    showPlayersInGame();
}

void TallyWindow::showPlayersInGame()
{
    if (!m_built)
        return;
    {
        const QSignalBlocker blocker(m_playersInGame);
        m_playersInGame->clear();
    }
    for (const QString& name : m_namesInGame)
        addListItem(m_playersInGame, name, followedIndex(name) >= 0 ? Qt::Checked : Qt::Unchecked);
}

qint64 TallyWindow::increaseCounter(int column, int row)
{
    const QString text = m_table.cell(column, row);
    bool ok = false;
    qint64 value = text.toLongLong(&ok);
    if (!ok)
        throw TallyError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    if (value < std::numeric_limits<qint64>::max())
        ++value;
    m_table.setCell(column, row, QString::number(value));
    return value;
}

void TallyWindow::increaseOwnCounter(int column)
{
    const qint64 value = increaseCounter(column, 0);
    if (m_built && column >= 1 && column <= 4)
        m_ownLabels[column]->setText(QString::number(value));
}

void TallyWindow::countGameFor(int row, const QString& name, const QString& winner, bool localUserWon)
{
    for (int column = 1; column <= 8; ++column)
        if (m_table.cell(column, row).isEmpty())
            m_table.setCell(column, row, QStringLiteral("0"));
    increaseCounter(1, row);
    increaseCounter(5, row);
    if (!localUserWon && name == winner) {
        increaseCounter(2, row);
        increaseCounter(6, row);
    } else if (localUserWon) {
        increaseCounter(3, row);
        increaseCounter(7, row);
    } else {
        increaseCounter(4, row);
        increaseCounter(8, row);
    }
}

void TallyWindow::addGame(const QString& winner, bool localUserWon)
{
    const QString winnerName = TallyTable::cleanName(winner);
    try {
        increaseOwnCounter(1);
        if (localUserWon)
            increaseOwnCounter(2);
        for (const QString& name : m_namesInGame) {
            const int followed = followedIndex(name);
            if (followed >= 0)
                countGameFor(followed + 1, name, winnerName, localUserWon);
        }
    } catch (const TallyError& error) {
        reportError(error.message());
    }
    if (m_built && m_followedPlayers->currentRow() >= 0)
        showPlayer(m_followedPlayers->currentRow() + 1);
    save();
}

void TallyWindow::removeRow(int row)
{
    const int rows = m_table.rowCount();
    if (row < 1 || row >= rows)
        return;
    for (int from = row + 1; from < rows; ++from)
        for (int column = 0; column < TallyTable::columnCount; ++column)
            m_table.setCell(column, from - 1, m_table.cell(column, from));
    m_table.truncate(rows - 1);
}

bool TallyWindow::save()
{
    if (m_savingBlocked)
        return false;
    try {
        writeTallyFile(m_path, m_table);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TallyWindow::showPlayer(int row)
{
    const QString name = m_table.cell(0, row);
    for (int i = 1; i <= 8; ++i)
        m_playerLabels[i]->setText(m_table.cell(i, row));
    m_playerName->setText(name + QStringLiteral(" Wins:"));
    m_playerHeading->setText(name + QStringLiteral("'s Tally"));
}

void TallyWindow::followPlayer(const QString& name)
{
    m_table.appendRow(name);
    addListItem(m_followedPlayers, m_table.cell(0, m_table.rowCount() - 1), Qt::Checked);
}

void TallyWindow::playerInGameChecked(QListWidgetItem* item)
{
    if (followedIndex(item->text()) < 0)
        followPlayer(item->text());
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
    if (confirm(QStringLiteral("This will delete ") + item->text()
                + QStringLiteral("'s Tally, Are you want to delete it?"))) {
        removeRow(position + 1);
        delete m_followedPlayers->takeItem(position);
    } else {
        item->setCheckState(Qt::Checked);
    }
}

void TallyWindow::followedPlayerSelected()
{
    const int position = m_followedPlayers->currentRow();
    if (position >= 0)
        showPlayer(position + 1);
}

void TallyWindow::onResetClicked()
{
    if (!confirm(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    for (int column = 1; column <= 4; ++column)
        m_table.setCell(column, 0, QStringLiteral("0"));
    showOwnRecord();
    {
        const QSignalBlocker blocker(m_followedPlayers);
        m_followedPlayers->clear();
    }
    m_table.truncate(1);
    for (int i = 1; i <= 8; ++i)
        m_playerLabels[i]->setText(QStringLiteral("0"));
}

void TallyWindow::onDoneClicked()
{
    hide();
}
