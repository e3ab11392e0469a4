#pragma once
// What a screen reader could not name in a window: the controls Tab can reach,
// and the pictures anywhere in its accessibility tree.

#include <QAccessible>
#include <QStringList>
#include <QWidget>

inline QString describedWidget(QObject* object)
{
    return object ? object->metaObject()->className() + QStringLiteral(" ") + object->objectName() : QStringLiteral("?");
}

inline QStringList unnamedControls(QWidget* window)
{
    QStringList unnamed;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy())
            continue;
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
        if (!control || control->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << describedWidget(widget);
    }
    return unnamed;
}

// Pictures are never Tab stops, so they are looked for in the whole tree, hidden
// parts too (a screen reader meets them once they show).
inline void collectUnnamedPictures(QAccessibleInterface* node, QStringList& unnamed, int depth = 0)
{
    if (!node || depth > 50)
        return;
    const QAccessible::Role role = node->role();
    const bool picture = role == QAccessible::Graphic || role == QAccessible::Animation;
    if (picture && node->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << describedWidget(node->object());
    for (int i = 0; i < node->childCount(); ++i)
        collectUnnamedPictures(node->child(i), unnamed, depth + 1);
}

inline QStringList unnamedPictures(QWidget* window)
{
    QStringList unnamed;
    collectUnnamedPictures(QAccessible::queryAccessibleInterface(window), unnamed);
    return unnamed;
}
