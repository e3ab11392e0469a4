#include "windows/switchaccessibility.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>

namespace {

struct Switch {
    std::function<bool()> isOn;
    std::function<void()> toggle;
};

QHash<QObject*, Switch>& switches()
{
    static QHash<QObject*, Switch> registry;
    return registry;
}

class SwitchInterface : public QAccessibleWidget {
public:
    explicit SwitchInterface(QWidget* widget) : QAccessibleWidget(widget, QAccessible::CheckBox) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        const auto found = switches().constFind(object());
        state.checked = found != switches().cend() && found->isOn();
        return state;
    }

    QStringList actionNames() const override { return {toggleAction(), pressAction()}; }

    void doAction(const QString& action) override
    {
        const auto found = switches().constFind(object());
        if (found != switches().cend() && (action == toggleAction() || action == pressAction()))
            found->toggle();
    }
};

QAccessibleInterface* switchFactory(const QString&, QObject* object)
{
    if (!switches().contains(object))
        return nullptr;
    return new SwitchInterface(static_cast<QWidget*>(object));
}

class SpaceToggles : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space)
            return false;
        const auto found = switches().constFind(watched);
        if (found == switches().cend())
            return false;
        found->toggle();
        return true;
    }
};

} // namespace

namespace SwitchAccessibility {

void makeSwitch(QLabel* picture, const QString& name, std::function<bool()> isOn, std::function<void()> toggle)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(switchFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    switches().insert(picture, Switch{std::move(isOn), std::move(toggle)});
    QObject::connect(picture, &QObject::destroyed, [picture] { switches().remove(picture); });
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(picture)));
    picture->setAccessibleName(name);
    picture->setFocusPolicy(Qt::TabFocus);
    picture->installEventFilter(new SpaceToggles(picture));
}

void tellToggled(QLabel* picture)
{
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(picture, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace SwitchAccessibility
