#include "support/accessibilityrecorder.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <algorithm>

namespace {

QList<AccessibilityRecorder::Told>& recorded()
{
    static QList<AccessibilityRecorder::Told> events;
    return events;
}

void record(QAccessibleEvent* event)
{
    QString text;
    if (event->type() == QAccessible::TextInserted)
        text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
    else if (event->type() == QAccessible::TextUpdated)
        text = static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
    recorded() << AccessibilityRecorder::Told{event->object(), event->type(), text};
}

QPlatformAccessibility* platformAccessibility()
{
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    return integration ? integration->accessibility() : nullptr;
}

} // namespace

AccessibilityRecorder::AccessibilityRecorder()
    : m_previous(QAccessible::installUpdateHandler(record)), m_wasActive(QAccessible::isActive())
{
    recorded().clear();
    if (QPlatformAccessibility* accessibility = platformAccessibility())
        accessibility->setActive(true);
}

AccessibilityRecorder::~AccessibilityRecorder()
{
    if (QPlatformAccessibility* accessibility = platformAccessibility())
        accessibility->setActive(m_wasActive);
    QAccessible::installUpdateHandler(m_previous);
    recorded().clear();
}

const QList<AccessibilityRecorder::Told>& AccessibilityRecorder::events() const
{
    return recorded();
}

int AccessibilityRecorder::count(QObject* object, QAccessible::Event type) const
{
    return int(std::count_if(recorded().begin(), recorded().end(),
                             [&](const Told& told) { return told.object == object && told.type == type; }));
}

void AccessibilityRecorder::clear()
{
    recorded().clear();
}
