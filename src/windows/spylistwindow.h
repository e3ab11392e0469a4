#pragma once
// The spy list window: who is watching the game from the spy slots 7..9.

#include <QDialog>

class QListWidget;
class QMenu;
class QAction;

class SpyListWindow : public QDialog {
    Q_OBJECT
public:
    explicit SpyListWindow(QWidget* parent = nullptr);

    // Adds the entry "slot: name".
    void addSpy(int slot, const QString& name);
    // Removes the entry "slot: name"; false when it is not in the list.
    bool removeSpy(int slot, const QString& name);
    // Enables "Remove From Game" (this copy hosts the game).
    void setRemoveEnabled(bool on);
    QStringList entries() const;
    QListWidget* spyList() const { return m_list; }
    QAction* kickAction() const { return m_kick; }

signals:
    // The host asked to remove the spy in this slot.
    void kickRequested(int slot);

public slots:
    void kickHoveredSpy();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hoverEntry(const QPoint& pos);

    QListWidget* m_list;
    QMenu* m_popup;
    QAction* m_kick;
    int m_hoverIndex = -1;
};
