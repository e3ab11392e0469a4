#pragma once
// The spy list window: who is watching the game from the spy slots 7..9.

#include "windows/deferredwindow.h"

#include <QList>
#include <QString>

class QListWidget;
class QMenu;
class QAction;

class SpyListWindow : public DeferredDialog {
    Q_OBJECT
public:
    explicit SpyListWindow(QWidget* parent = nullptr);

    struct Spy {
        int slot = 0;
        QString name;
        bool operator==(const Spy&) const = default;
    };

    // Adds the spy, shown as "slot: name".
    void addSpy(int slot, const QString& name);
    // Removes the spy; false when it is not in the list.
    bool removeSpy(int slot, const QString& name);
    // Enables "Remove From Game" (this copy hosts the game).
    void setRemoveEnabled(bool on);
    // The spies, in the order they came.
    const QList<Spy>& spies() const { return m_spies; }
    QListWidget* spyList() const;
    QAction* kickAction() const;

signals:
    // The host asked to remove the spy in this slot.
    void kickRequested(int slot);

public slots:
    void kickHoveredSpy();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildContents() override;
    void hoverEntry(const QPoint& pos);

    QList<Spy> m_spies;
    bool m_removeEnabled = false;
    QListWidget* m_list = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_kick = nullptr;
    int m_hoverIndex = -1;
};
