#pragma once
// The game start window: the host picks the options of a new game and starts it.
// The options live here from start-up on; the window's controls are made when it
// is first shown.

#include "windows/deferredwindow.h"

class QLabel;
class PictureButton;
class QSpinBox;

class GameOptionsDialog : public DeferredDialog {
    Q_OBJECT
public:
    // Creates the hidden window; it is centred on mainWindow whenever it is shown.
    explicit GameOptionsDialog(QWidget* mainWindow = nullptr);

    // The score that wins, 50..500 in steps of 20 (values outside are clamped).
    void setPlayTo(int score);
    int playTo() const;
    // Seconds per turn, 10..60 in steps of 5 (values outside are clamped).
    void setTimeLimit(int seconds);
    int timeLimit() const;
    // The "Choose Category:" switch.
    void setChooseCategory(bool on);
    bool chooseCategory() const;
    // The "Team Game:" switch.
    bool teamGame() const;

    // Sets the switch picture named name ("m_chooseSwitch" or "m_teamSwitch") on for
    // state 1, else off; other names are ignored.
    void setSwitch(const QString& name, int state);
    // Emits the chosen options and hides the window.
    void onStartClicked();

signals:
    // The player pressed start with these options.
    void startPressed(int playTo, int turnTime, bool team, bool choose);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildContents() override;
    QLabel* makeSwitch(const char* name, int y);
    QSpinBox* makeSpinBox(const char* name, const char* editName, int y, int minimum, int maximum, int step, int* value);
    void addCaption(const char* text, int y);
    void showSwitch(QLabel* picture, bool on);
    bool* switchValue(const QString& name);

    int m_playTo = 200;
    int m_timeLimit = 20;
    bool m_chooseCategory = false;
    bool m_teamGame = false;

    QSpinBox* m_playToBox = nullptr;
    QSpinBox* m_timeLimitBox = nullptr;
    QLabel* m_chooseSwitch = nullptr;
    QLabel* m_teamSwitch = nullptr;
    PictureButton* m_startButton = nullptr;
};
