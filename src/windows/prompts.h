#pragma once
// The boxes the game puts in front of the player and waits for: messages, errors,
// Yes/No questions and the folder and colour choosers. DialogPrompts is the real
// one; tests hand the windows a fake that records the texts and answers as told.
// `over` is the window a box belongs to (none: the box stands alone).

#include <QColor>
#include <QString>

class QWidget;

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box titled "Hangman" with the text and an OK button.
    virtual void showMessage(QWidget* over, const QString& text) = 0;
    // An error box titled "Hangman" with the text and an OK button.
    virtual void showError(QWidget* over, const QString& text) = 0;
    // A box titled "Confirm" asking the question with Yes and No; true for Yes.
    virtual bool confirm(QWidget* over, const QString& question) = 0;
    // Lets the player choose a folder, starting in `current`; empty when he cancels.
    virtual QString chooseFolder(QWidget* over, const QString& title, const QString& current) = 0;
    // Lets the player choose a colour, starting at `current`; an invalid colour when he cancels.
    virtual QColor chooseColour(QWidget* over, const QString& title, const QColor& current) = 0;
};

// Qt's dialogs: QMessageBox, QFileDialog and QColorDialog.
class DialogPrompts final : public Prompts {
public:
    void showMessage(QWidget* over, const QString& text) override;
    void showError(QWidget* over, const QString& text) override;
    bool confirm(QWidget* over, const QString& question) override;
    QString chooseFolder(QWidget* over, const QString& title, const QString& current) override;
    QColor chooseColour(QWidget* over, const QString& title, const QColor& current) override;
};
