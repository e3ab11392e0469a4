#pragma once
// Records the accessibility events the program sends, as an assistive tool would
// get them: while a recorder lives, accessibility counts as active (it is not on
// a headless platform otherwise, and Qt then sends no events at all).

#include <QAccessible>
#include <QList>

class AccessibilityRecorder {
public:
    struct Told {
        QObject* object;
        QAccessible::Event type;
        QString text; // the new text of a text insertion or update, else empty
    };

    AccessibilityRecorder();
    ~AccessibilityRecorder();
    AccessibilityRecorder(const AccessibilityRecorder&) = delete;
    AccessibilityRecorder& operator=(const AccessibilityRecorder&) = delete;

    // Every event recorded since the last clear.
    const QList<Told>& events() const;
    // How many events of that type were sent for the object.
    int count(QObject* object, QAccessible::Event type) const;
    void clear();

private:
    QAccessible::UpdateHandler m_previous;
    bool m_wasActive;
};
