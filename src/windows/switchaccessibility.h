#pragma once
// Lets an on/off switch picture work as a check box for screen readers and the
// keyboard: it is named, says whether it is on, toggles through the
// accessibility layer's action and, with the focus, on the space bar.

#include <QString>
#include <functional>

class QLabel;

namespace SwitchAccessibility {

// Makes the picture such a switch; isOn reads it and toggle flips it.
void makeSwitch(QLabel* picture, const QString& name, std::function<bool()> isOn, std::function<void()> toggle);
// Tells assistive tools that the switch was turned on or off.
void tellToggled(QLabel* picture);

} // namespace SwitchAccessibility
