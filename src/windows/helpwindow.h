#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class AboutDialog;

// The help window: topic buttons on the left, the chosen page and its caption on the right.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    // Creates the hidden window with "Overview" in front (its pages are laid out when it
    // is first shown); "About" shows aboutWindow.
    explicit HelpWindow(QWidget* mainWindow = nullptr, AboutDialog* aboutWindow = nullptr);

    // The caption line above the m_pages.
    QString caption() const;
    // The page in front ("memo" + topic number as its object name).
    QPlainTextEdit* currentPage();
    // The topic button whose tag is the given page number, or nullptr.
    QPushButton* topicButton(int tag) const;

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showTopic();
    void showAbout();
    void onDoneClicked();
    QWidget* buildSidePanel();
    QWidget* buildPageArea();
    void addPages();

    QWidget* m_mainWindow;
    AboutDialog* m_aboutWindow;
    QLabel* m_caption;
    QStackedWidget* m_pages;
    QList<QPushButton*> m_topicButtons;
};
