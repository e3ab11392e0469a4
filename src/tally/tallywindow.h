#pragma once
// TallyWindow: the "HangMan - Tally List" window. It keeps the local user's own
// record and one record for every followed player, loads them from the tally
// file when created and saves them after every finished game and when destroyed.
// Its widgets are made when it is first shown; it counts without them.

#include "tally/tallytable.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPersistentModelIndex;
class QPushButton;

class TallyWindow : public QWidget {
    Q_OBJECT

public:
    using ErrorHook = std::function<void(const QString& message)>;
    using ConfirmHook = std::function<bool(const QString& question)>;

    // Loads the tally from `tallyPath`; a damaged file is reported through the
    // error hook, kept as tallyPath + ".bad", and the tally starts empty. When
    // that copy cannot be made, this run never writes the tally file.
    explicit TallyWindow(const QString& tallyPath = defaultTallyPath(), QWidget* parent = nullptr);
    // Saves the tally; errors are swallowed.
    ~TallyWindow() override;

    // dataFolder() + "/hangmantally.tld".
    static QString defaultTallyPath();
    // Replaces the error box (used for load and counter errors); an empty hook restores it.
    static void setErrorHook(ErrorHook hook);
    // Replaces the Yes/No confirmation box; an empty hook restores it.
    static void setConfirmHook(ConfirmHook hook);

    // Makes the widgets the first time the window is shown (see ensureBuilt).
    void setVisible(bool visible) override;
    // Fills "Players In Current Game" with the other seated players, ticking those followed.
    void fillPlayersInGame(const QStringList& namesAtTable);
    // Counts one finished game against the players now in the game (call
    // fillPlayersInGame first) who are followed; localUserWon says the local user won. Saves afterwards.
    void addGame(const QString& winner, bool localUserWon);
    // Adds one to a counter of the own record (3: a completed puzzle) and shows it.
    void increaseOwnCounter(int column);
    // Adds one to a counter cell and returns the new value; throws TallyError when
    // the cell does not hold a decimal integer.
    qint64 increaseCounter(int column, int row);
    // Deletes a followed player's row (1 onwards), moving later rows up.
    void removeRow(int row);
    // Writes the tally file now (atomically); false when it failed or saving is blocked.
    bool save();

    // The tally table, for reading.
    const TallyTable& table() const { return m_table; }
    // The file this window loads from and saves to.
    QString tallyPath() const { return m_path; }

private slots:
    void playerInGameChecked(QListWidgetItem* item);
    void followedPlayerChecked(QListWidgetItem* item);
    void confirmDelete(const QPersistentModelIndex& entry);
    void followedPlayerSelected();
    void onResetClicked();
    void onDoneClicked();

private:
    void ensureBuilt();
    void startSession();
    void showPlayersInGame();
    static void addListItem(QListWidget* list, const QString& name, Qt::CheckState state);
    void buildWindow();
    QWidget* buildOwnPanel();
    QWidget* buildPlayerPanel();
    QWidget* buildListPanel(const QString& title, QListWidget*& list);
    void loadFile();
    void showOwnRecord();
    void showPlayer(int row);
    void clearPlayerPanel();
    void followPlayer(const QString& name);
    int followedIndex(const QString& name) const;
    void countGameFor(int row, const QString& name, const QString& winner, bool localUserWon);
    static void reportError(const QString& message);
    static bool confirm(const QString& question);

    QString m_path;
    TallyTable m_table;
    bool m_savingBlocked = false; // the only copy of an unreadable tally must not be overwritten
    bool m_built = false;         // the widgets are made at the first showing
    QStringList m_namesInGame;    // "Players In Current Game", cleaned

    QLabel* m_ownLabels[5] {};
    QLabel* m_playerLabels[9] {};
    QLabel* m_playerHeading = nullptr;
    QLabel* m_playerName = nullptr;
    QListWidget* m_playersInGame = nullptr;
    QListWidget* m_followedPlayers = nullptr;
    QPushButton* m_resetButton = nullptr;
    QPushButton* m_doneButton = nullptr;
};
