#pragma once
// ReconnectBanner: the notice laid over the board while the connection to the
// host is tried again, with the button that gives up (and ends the game). While
// it shows, the board under it stays in sight but takes no input; the button
// has the keyboard focus and both carry names for screen readers.

#include <QFrame>

class QPushButton;

class ReconnectBanner : public QFrame {
    Q_OBJECT
public:
    // The notice, exactly as the player reads it.
    static inline const QString kText = QStringLiteral("Connection to the host lost. Reconnecting\u2026");

    // A hidden banner that will lie centred over covered (it becomes a child of covered's parent).
    explicit ReconnectBanner(QWidget* covered);

    // Shows the banner over the covered widget and shuts that off, or hides it and lets the widget work again.
    void setShownOver(bool shown);

signals:
    // The player chose to give up.
    void giveUpPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeOverCovered();

    QWidget* m_covered;
    QPushButton* m_giveUp;
};
