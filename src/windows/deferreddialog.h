#pragma once
// A side window whose contents are made the first time it is shown or asked
// about, not when it is created: the game creates all its windows at start-up,
// and most of them are never opened in a game.

#include <QDialog>

class DeferredDialog : public QDialog {
public:
    using QDialog::QDialog;

    void setVisible(bool visible) override
    {
        if (visible)
            ensureBuilt();
        QDialog::setVisible(visible);
    }

protected:
    // Makes the contents once; every public function that reads or changes them calls it first.
    void ensureBuilt() const
    {
        if (m_built)
            return;
        m_built = true;
        const_cast<DeferredDialog*>(this)->buildContents();
    }
    virtual void buildContents() = 0;

private:
    mutable bool m_built = false;
};
