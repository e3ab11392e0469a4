#pragma once
// The controls of a window that Tab can reach but a screen reader could not name.

#include <QAccessible>
#include <QStringList>
#include <QWidget>

inline QStringList unnamedControls(QWidget* window)
{
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy())
            continue;
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
        if (!control || control->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << widget->metaObject()->className() + QStringLiteral(" ") + widget->objectName();
    }
    return unnamed;
}
