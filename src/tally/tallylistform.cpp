#include "tally/tallylistform.h"

#include "board/art.h"
#include "tally/datafolder.h"
#include "tally/lzrw1.h"

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

Ttallylist::ErrorHook& errorHook()
{
    static Ttallylist::ErrorHook hook;
    return hook;
}

Ttallylist::ConfirmHook& confirmHook()
{
    static Ttallylist::ConfirmHook hook;
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

QLabel* makeLabel(const QString& text, const QFont& font, const QString& name = {})
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

Ttallylist::Ttallylist(const QString& tallyPath, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , path(tallyPath)
{
    buildWindow();
    loadFile();
    loadtally();
}

Ttallylist::~Ttallylist()
{
    save();
}

QString Ttallylist::defaultTallyPath()
{
    return dataFolder() + QStringLiteral("/hangmantally.tld");
}

void Ttallylist::setErrorHook(ErrorHook hook)
{
    errorHook() = std::move(hook);
}

void Ttallylist::setConfirmHook(ConfirmHook hook)
{
    confirmHook() = std::move(hook);
}

void Ttallylist::reportError(const QString& message)
{
    if (errorHook())
        errorHook()(message);
    else
        QMessageBox::critical(nullptr, QStringLiteral("HangMan"), message);
}

bool Ttallylist::confirm(const QString& question)
{
    if (confirmHook())
        return confirmHook()(question);
    return QMessageBox::question(nullptr, QStringLiteral("Confirm"), question, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void Ttallylist::buildWindow()
{
    setWindowTitle(QStringLiteral("HangMan - Tally List"));
    QPalette background = palette();
    background.setBrush(QPalette::Window, QBrush(Art::backgroundTexture()));
    background.setColor(QPalette::WindowText, textColour);
    setPalette(background);
    setAutoFillBackground(true);
    setStyleSheet(QString::fromLatin1(tallyStyleSheet));

    auto* grid = new QGridLayout;
    grid->setSpacing(10);
    grid->addWidget(buildOwnPanel(), 0, 0);
    grid->addWidget(buildListPanel(QStringLiteral("Players In Current Game"), checklist), 0, 1);
    grid->addWidget(buildPlayerPanel(), 1, 0);
    grid->addWidget(buildListPanel(QStringLiteral("Players Being Tallied"), listbox_tally), 1, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(0, 2);
    grid->setRowStretch(1, 3);
    checklist->setObjectName(QStringLiteral("checklist"));
    listbox_tally->setObjectName(QStringLiteral("listbox_tally"));

    button_reset = new QPushButton(QStringLiteral("Reset Tally"));
    button_reset->setObjectName(QStringLiteral("button_reset"));
    button_done = new QPushButton(QStringLiteral("Done"));
    button_done->setObjectName(QStringLiteral("button_done"));
    for (QPushButton* button : { button_reset, button_done }) {
        button->setFont(headingFont(10));
        button->setCursor(Qt::PointingHandCursor);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button_reset);
    buttons->addWidget(button_done);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    setFixedSize(600, 400);

    connect(checklist, &QListWidget::itemChanged, this, &Ttallylist::checklistClickCheck);
    connect(listbox_tally, &QListWidget::itemChanged, this, &Ttallylist::listbox_tallyClickCheck);
    connect(listbox_tally, &QListWidget::itemClicked, this, &Ttallylist::listbox_tallyClick);
    connect(button_reset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);
    connect(button_done, &QPushButton::clicked, this, &Ttallylist::button_doneClick);
}

QWidget* Ttallylist::buildOwnPanel()
{
    QFrame* panel = makePanel();
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(14, 10, 14, 12);
    grid->setVerticalSpacing(6);
    grid->addWidget(makeLabel(QStringLiteral("Your Total Tally"), headingFont(12)), 0, 0, 1, 2);
    const QString captions[] = { {}, QStringLiteral("Total Games:"), QStringLiteral("Your Wins:"),
                                 QStringLiteral("Completed Puzzles:"), QStringLiteral("Var4:") };
    for (int i = 1; i <= 4; ++i) {
        QLabel* caption = makeLabel(captions[i], headingFont(10));
        mylabel[i] = makeLabel(QStringLiteral("0"), valueFont(11), QStringLiteral("mylabel_%1").arg(i));
        mylabel[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, i, 0);
        grid->addWidget(mylabel[i], i, 1);
        if (i == 4) {
            caption->hide();
            mylabel[i]->hide();
        }
    }
    grid->setRowStretch(5, 1);
    return panel;
}

QWidget* Ttallylist::buildPlayerPanel()
{
    QFrame* panel = makePanel();
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(14, 10, 14, 12);
    grid->setVerticalSpacing(9);
    grid->setHorizontalSpacing(18);
    label_hisnametop = makeLabel({}, headingFont(12), QStringLiteral("label_hisnametop"));
    grid->addWidget(label_hisnametop, 0, 0, 1, 3);
    QLabel* total = makeLabel(QStringLiteral("Total"), headingFont(10));
    QLabel* session = makeLabel(QStringLiteral("Session"), headingFont(10));
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    session->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(total, 1, 1);
    grid->addWidget(session, 1, 2);
    label_hisname = makeLabel({}, headingFont(10), QStringLiteral("label_hisname"));
    QLabel* captions[] = { makeLabel(QStringLiteral("Number of Games"), headingFont(10)), label_hisname,
                           makeLabel(QStringLiteral("Your Wins:"), headingFont(10)),
                           makeLabel(QStringLiteral("Neither Won:"), headingFont(10)) };
    for (int i = 1; i <= 8; ++i) {
        label[i] = makeLabel(QStringLiteral("0"), valueFont(11), QStringLiteral("label_%1").arg(i));
        label[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int line = 0; line < 4; ++line) {
        grid->addWidget(captions[line], line + 2, 0);
        grid->addWidget(label[line + 1], line + 2, 1);
        grid->addWidget(label[line + 5], line + 2, 2);
    }
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(6, 1);
    clearPlayerPanel();
    return panel;
}

QWidget* Ttallylist::buildListPanel(const QString& title, QListWidget*& list)
{
    QFrame* panel = makePanel();
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->addWidget(makeLabel(title, headingFont(11)));
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

void Ttallylist::clearPlayerPanel()
{
    label_hisnametop->setText(QStringLiteral("Player's Tally"));
    label_hisname->setText(QStringLiteral("Player Wins:"));
}

void Ttallylist::loadFile()
{
    if (!QFile::exists(path))
        return;
    try {
        stringgrid_scores = readTallyFile(path);
    } catch (const std::exception& error) {
        stringgrid_scores = TallyTable();
        const QString badCopy = path + QStringLiteral(".bad");
        QFile::remove(badCopy);
        QFile::copy(path, badCopy);
        reportError(QString::fromStdString(error.what()));
    }
}

void Ttallylist::showOwnRecord()
{
    for (int i = 1; i <= 4; ++i)
        mylabel[i]->setText(stringgrid_scores.cell(i, 0));
}

void Ttallylist::loadtally()
{
    showOwnRecord();
    const QSignalBlocker blocker(listbox_tally);
    listbox_tally->clear();
    for (int row = 1; row < stringgrid_scores.rowCount(); ++row) {
        auto* item = new QListWidgetItem(stringgrid_scores.cell(0, row), listbox_tally);
        item->setCheckState(Qt::Checked);
        for (int column = 5; column <= 8; ++column)
            stringgrid_scores.setCell(column, row, QStringLiteral("0"));
    }
}

int Ttallylist::followedIndex(const QString& name) const
{
    for (int i = 0; i < listbox_tally->count(); ++i)
        if (listbox_tally->item(i)->text() == name)
            return i;
    return -1;
}

void Ttallylist::loadchecklist(const QStringList& namesAtTable)
{
    const QSignalBlocker blocker(checklist);
    checklist->clear();
    for (const QString& seated : namesAtTable) {
        const QString name = TallyTable::cleanName(seated);
        if (name.isEmpty() || name == QStringLiteral("<Waiting>"))
            continue;
        auto* item = new QListWidgetItem(name, checklist);
        item->setCheckState(followedIndex(name) >= 0 ? Qt::Checked : Qt::Unchecked);
    }
}

qint64 Ttallylist::addit(int column, int row)
{
    const QString text = stringgrid_scores.cell(column, row);
    bool ok = false;
    qint64 value = text.toLongLong(&ok);
    if (!ok)
        throw ETallyError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    if (value < std::numeric_limits<qint64>::max())
        ++value;
    stringgrid_scores.setCell(column, row, QString::number(value));
    return value;
}

void Ttallylist::addtomineincrease(int column)
{
    const qint64 value = addit(column, 0);
    if (column >= 1 && column <= 4)
        mylabel[column]->setText(QString::number(value));
}

void Ttallylist::countGameFor(int row, const QString& name, const QString& winner, bool localUserWon)
{
    for (int column = 1; column <= 8; ++column)
        if (stringgrid_scores.cell(column, row).isEmpty())
            stringgrid_scores.setCell(column, row, QStringLiteral("0"));
    addit(1, row);
    addit(5, row);
    if (!localUserWon && name == winner) {
        addit(2, row);
        addit(6, row);
    } else if (localUserWon) {
        addit(3, row);
        addit(7, row);
    } else {
        addit(4, row);
        addit(8, row);
    }
}

void Ttallylist::addgame(const QString& winner, bool localUserWon)
{
    const QString winnerName = TallyTable::cleanName(winner);
    try {
        addtomineincrease(1);
        if (localUserWon)
            addtomineincrease(2);
        for (int i = 0; i < checklist->count(); ++i) {
            const QString name = checklist->item(i)->text();
            const int followed = followedIndex(name);
            if (followed >= 0)
                countGameFor(followed + 1, name, winnerName, localUserWon);
        }
    } catch (const ETallyError& error) {
        reportError(error.message());
    }
    if (listbox_tally->currentRow() >= 0)
        showPlayer(listbox_tally->currentRow() + 1);
    save();
}

void Ttallylist::moverow(int row)
{
    const int rows = stringgrid_scores.rowCount();
    if (row < 1 || row >= rows)
        return;
    for (int from = row + 1; from < rows; ++from)
        for (int column = 0; column < TallyTable::columnCount; ++column)
            stringgrid_scores.setCell(column, from - 1, stringgrid_scores.cell(column, from));
    stringgrid_scores.truncate(rows - 1);
}

bool Ttallylist::save()
{
    try {
        writeTallyFile(path, stringgrid_scores);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Ttallylist::showPlayer(int row)
{
    const QString name = stringgrid_scores.cell(0, row);
    for (int i = 1; i <= 8; ++i)
        label[i]->setText(stringgrid_scores.cell(i, row));
    label_hisname->setText(name + QStringLiteral(" Wins:"));
    label_hisnametop->setText(name + QStringLiteral("'s Tally"));
}

void Ttallylist::followPlayer(const QString& name)
{
    stringgrid_scores.appendRow(name);
    const QSignalBlocker blocker(listbox_tally);
    auto* item = new QListWidgetItem(stringgrid_scores.cell(0, stringgrid_scores.rowCount() - 1), listbox_tally);
    item->setCheckState(Qt::Checked);
}

void Ttallylist::checklistClickCheck(QListWidgetItem* item)
{
    if (followedIndex(item->text()) < 0)
        followPlayer(item->text());
}

void Ttallylist::listbox_tallyClickCheck(QListWidgetItem* item)
{
    if (item->checkState() == Qt::Checked)
        return;
    const QPersistentModelIndex entry(listbox_tally->model()->index(listbox_tally->row(item), 0));
    QMetaObject::invokeMethod(this, [this, entry] { confirmDelete(entry); }, Qt::QueuedConnection);
}

void Ttallylist::confirmDelete(const QPersistentModelIndex& entry)
{
    if (!entry.isValid())
        return;
    const int position = entry.row();
    QListWidgetItem* item = listbox_tally->item(position);
    if (item->checkState() == Qt::Checked)
        return;
    const QSignalBlocker blocker(listbox_tally);
    if (confirm(QStringLiteral("This will delete ") + item->text()
                + QStringLiteral("'s Tally, Are you want to delete it?"))) {
        moverow(position + 1);
        delete listbox_tally->takeItem(position);
    } else {
        item->setCheckState(Qt::Checked);
    }
}

void Ttallylist::listbox_tallyClick()
{
    const int position = listbox_tally->currentRow();
    if (position >= 0)
        showPlayer(position + 1);
}

void Ttallylist::button_resetClick()
{
    if (!confirm(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    for (int column = 1; column <= 4; ++column)
        stringgrid_scores.setCell(column, 0, QStringLiteral("0"));
    showOwnRecord();
    {
        const QSignalBlocker blocker(listbox_tally);
        listbox_tally->clear();
    }
    stringgrid_scores.truncate(1);
    for (int i = 1; i <= 8; ++i)
        label[i]->setText(QStringLiteral("0"));
}

void Ttallylist::button_doneClick()
{
    hide();
}
