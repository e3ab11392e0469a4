#pragma once

#include "windows/deferredwindow.h"

#include <QMap>

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

    // The caption line above the pages.
    QString caption() const;
    // The page in front ("memo" + its number as its object name).
    QPlainTextEdit* currentPage() const;
    // The topic button of the page with the given number (1..6, 11), or nullptr.
    QPushButton* topicButton(int page) const;

protected:
    void buildContents() override;

private:
    void showTopic(int page, const char* caption);
    void showAbout();
    void onDoneClicked();
    QWidget* buildSidePanel();
    QWidget* buildPageArea();

    AboutDialog* m_aboutWindow;
    QLabel* m_caption = nullptr;
    QStackedWidget* m_pages = nullptr;
    QMap<int, QPushButton*> m_topicButtons; // by page number
};
