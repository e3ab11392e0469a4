#pragma once
// A side window whose contents are made the first time it is shown or asked
// about, not when it is created: the game creates all its windows at start-up,
// and most of them are never opened in a game. Each time it is shown it is
// centred on its parent (the main window; the screen when it has none), once its
// contents are made and laid out, so it is placed for the size it really has.

#include "windows/placement.h"

#include <QDialog>
#include <QShowEvent>
#include <QWidget>

template <class Base>
class DeferredWindow : public Base {
public:
    using Base::Base;

    // Makes the contents before the window is first shown.
    void setVisible(bool visible) override
    {
        if (visible)
            ensureBuilt();
        Base::setVisible(visible);
    }

protected:
    // Makes the contents once; every public function that reads or changes them calls it first.
    void ensureBuilt() const
    {
        if (m_built)
            return;
        m_built = true;
        const_cast<DeferredWindow*>(this)->buildContents();
    }
    // True once the contents are made.
    bool isBuilt() const { return m_built; }
    virtual void buildContents() = 0;

    void showEvent(QShowEvent* event) override
    {
        Base::showEvent(event);
        centreOn(this, this->parentWidget());
    }

private:
    mutable bool m_built = false;
};

using DeferredDialog = DeferredWindow<QDialog>;
