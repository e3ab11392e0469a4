#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class Tabout;

// The help window: topic buttons on the left, the chosen page and its caption on the right.
class Thelp : public QDialog {
    Q_OBJECT
public:
    // Creates the hidden window with "Overview" in front; "About" shows aboutWindow.
    explicit Thelp(QWidget* mainWindow = nullptr, Tabout* aboutWindow = nullptr);

    // The caption line above the pages.
    QString caption() const;
    // The page in front ("memo" + topic number as its object name).
    QPlainTextEdit* currentPage() const;
    // The topic button whose tag is the given page number, or nullptr.
    QPushButton* topicButton(int tag) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SelButton1Click();
    void button_aboutClick();
    void button_doneClick();
    QWidget* buildSidePanel();
    QWidget* buildPages();

    QWidget* mainWindow_;
    Tabout* aboutWindow_;
    QLabel* label_caption;
    QStackedWidget* pages;
    QList<QPushButton*> topicButtons;
};
