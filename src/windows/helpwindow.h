#pragma once

#include "windows/deferredwindow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class AboutDialog;

// The help window: topic buttons on the left, the chosen page and its caption on the right.
class HelpWindow : public DeferredDialog {
    Q_OBJECT
public:
    // Creates the hidden window with "Overview" in front; "About" shows aboutWindow.
    explicit HelpWindow(QWidget* mainWindow = nullptr, AboutDialog* aboutWindow = nullptr);

    // The caption line above the m_pages.
    QString caption() const;
    // The page in front ("memo" + topic number as its object name).
    QPlainTextEdit* currentPage() const;
    // The topic button whose tag is the given page number, or nullptr.
    QPushButton* topicButton(int tag) const;

protected:
    void buildContents() override;

private:
    void showTopic();
    void showAbout();
    void onDoneClicked();
    QWidget* buildSidePanel();
    QWidget* buildPageArea();

    AboutDialog* m_aboutWindow;
    QLabel* m_caption = nullptr;
    QStackedWidget* m_pages = nullptr;
    QList<QPushButton*> m_topicButtons;
};
