#pragma once
// TallyWindow: the "HangMan - Tally List" window. It shows the tally (the own
// record, the players in the current game and the followed players with the
// chosen one's record) and lets the player follow, unfollow and reset; the
// counting and the file belong to the Tally. Its widgets are made when it is
// first shown.

#include "tally/tallytable.h"
#include "windows/deferredwindow.h"

class Prompts;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPersistentModelIndex;
class QPushButton;
class Tally;

class TallyWindow : public DeferredWindow<QWidget> {
    Q_OBJECT

public:
    // The hidden window showing `tally`; it asks its questions through the prompts
    // and is centred on its parent whenever it is shown.
    TallyWindow(Tally& tally, Prompts& prompts, QWidget* parent = nullptr);

private slots:
    void playerInGameChecked(QListWidgetItem* item);
    void followedPlayerChecked(QListWidgetItem* item);
    void confirmDelete(const QPersistentModelIndex& entry);
    void followedPlayerSelected();
    void onResetClicked();
    void onDoneClicked();

private:
    void buildContents() override;
    static void addListItem(QListWidget* list, const QString& name, Qt::CheckState state);
    void buildWindow();
    QWidget* buildOwnPanel();
    QWidget* buildPlayerPanel();
    QWidget* buildListPanel(const QString& title, QListWidget*& list);
    void showCounts();
    void showOwnRecord();
    void showPlayersInGame();
    void showPlayer(int position);
    void clearPlayerPanel();
    QLabel*& ownLabel(TallyTable::Own counter);
    QLabel*& playerLabel(TallyTable::Count counter, TallyTable::Span span);

    Tally& m_tally;
    Prompts& m_prompts;

    QLabel* m_ownLabels[TallyTable::ownCounters.size()] {};                       // by TallyTable::Own - 1
    QLabel* m_playerLabels[TallyTable::counts.size()][TallyTable::spans.size()] {}; // by Count and Span
    QLabel* m_playerHeading = nullptr;
    QLabel* m_playerName = nullptr;
    QListWidget* m_playersInGame = nullptr;
    QListWidget* m_followedPlayers = nullptr;
    QPushButton* m_resetButton = nullptr;
    QPushButton* m_doneButton = nullptr;
};
