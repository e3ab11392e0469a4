#pragma once
// A spin box that moves by one step at a time, whatever asks for more: Page Up and
// Page Down, and the wheel with or without Ctrl, go one step like the arrows.

#include <QSpinBox>

class SingleStepSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

    // Moves one step up for any positive count and one down for any negative count.
    void stepBy(int steps) override { QSpinBox::stepBy(steps > 0 ? 1 : (steps < 0 ? -1 : 0)); }
};
