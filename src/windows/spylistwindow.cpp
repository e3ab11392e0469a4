#include "windows/spylistwindow.h"

#include "board/art_draw.h"
#include "board/background.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString entryText(const SpyListWindow::Spy& spy)
{
    return QString::number(spy.slot) + ": " + spy.name;
}
} // namespace

SpyListWindow::SpyListWindow(QWidget* parent) : DeferredDialog(parent)
{
    setWindowTitle("HangMan - Spys");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    setFixedSize(240, 230);
}

void SpyListWindow::buildContents()
{
    applyGameBackground(this);

    auto* title = new QLabel("Spy List");
    title->setFont(QFont("Arial", 12, QFont::Bold));
    setTextColour(title, Art::Draw::kDarkGrey);

    m_list = new QListWidget;
    m_list->setObjectName("listbox_spys");
    m_list->setAccessibleName("Spy List");
    m_list->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
    m_list->setFont(QFont("Comic Sans MS", 11));
    for (const Spy& spy : m_spies)
        m_list->addItem(entryText(spy));

    m_popup = new QMenu(this);
    m_kick = m_popup->addAction("Remove From Game", this, &SpyListWindow::kickHoveredSpy);
    m_kick->setObjectName("spy_menu_remove");
    m_kick->setEnabled(m_removeEnabled);

    auto* done = new QPushButton("Done");
    done->setObjectName("button_done");
    connect(done, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_list);
    layout->addWidget(done, 0, Qt::AlignRight);
}

QListWidget* SpyListWindow::spyList() const
{
    ensureBuilt();
    return m_list;
}

QAction* SpyListWindow::kickAction() const
{
    ensureBuilt();
    return m_kick;
}

void SpyListWindow::addSpy(int slot, const QString& name)
{
    m_spies << Spy{slot, name};
    if (m_list)
        m_list->addItem(entryText(m_spies.last()));
}

bool SpyListWindow::removeSpy(int slot, const QString& name)
{
    const qsizetype index = m_spies.indexOf(Spy{slot, name});
    if (index < 0)
        return false;
    m_spies.removeAt(index);
    if (m_list)
        delete m_list->takeItem(index);
    return true;
}

void SpyListWindow::setRemoveEnabled(bool on)
{
    m_removeEnabled = on;
    if (m_kick)
        m_kick->setEnabled(on);
}

void SpyListWindow::kickHoveredSpy()
{
    if (m_hoverIndex >= 0 && m_hoverIndex < m_spies.size())
        emit kickRequested(m_spies.at(m_hoverIndex).slot);
}

void SpyListWindow::hoverEntry(const QPoint& pos)
{
    QListWidgetItem* item = m_list->itemAt(pos);
    m_hoverIndex = item ? m_list->row(item) : -1;
}

bool SpyListWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (m_list && watched == m_list->viewport()) {
        if (event->type() == QEvent::MouseMove)
            hoverEntry(static_cast<QMouseEvent*>(event)->position().toPoint());
        else if (event->type() == QEvent::ContextMenu) {
            auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            hoverEntry(menuEvent->pos());
            m_popup->popup(menuEvent->globalPos());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
