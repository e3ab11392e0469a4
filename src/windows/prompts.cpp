#include "windows/prompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace {

const QString boxTitle = QStringLiteral("Hangman");

} // namespace

void DialogPrompts::showMessage(QWidget* over, const QString& text)
{
    QMessageBox::information(over, boxTitle, text);
}

void DialogPrompts::showError(QWidget* over, const QString& text)
{
    QMessageBox::critical(over, boxTitle, text);
}

bool DialogPrompts::confirm(QWidget* over, const QString& question)
{
    return QMessageBox::question(over, QStringLiteral("Confirm"), question, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

QString DialogPrompts::chooseFolder(QWidget* over, const QString& title, const QString& current)
{
    return QFileDialog::getExistingDirectory(over, title, current);
}

QColor DialogPrompts::chooseColour(QWidget* over, const QString& title, const QColor& current)
{
    return QColorDialog::getColor(current, over, title);
}
