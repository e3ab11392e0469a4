#include "windows/spylistwindow.h"

#include "board/background.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString entryText(int slot, const QString& name)
{
    return QString::number(slot) + ": " + name;
}
} // namespace

SpyListWindow::SpyListWindow(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("HangMan - Spys");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    applyGameBackground(this);

    auto* title = new QLabel("Spy List");
    title->setFont(QFont("Arial", 12, QFont::Bold));
    title->setStyleSheet("color: rgb(73,73,73);");

    m_list = new QListWidget;
    m_list->setObjectName("listbox_spys");
    m_list->setAccessibleName("Spy List");
    m_list->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
    m_list->setFont(QFont("Comic Sans MS", 11));

    m_popup = new QMenu(this);
    m_kick = m_popup->addAction("Remove From Game", this, &SpyListWindow::kickHoveredSpy);
    m_kick->setObjectName("popup_kickhim");
    m_kick->setEnabled(false);

    auto* done = new QPushButton("Done");
    done->setObjectName("button_done");
    connect(done, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_list);
    layout->addWidget(done, 0, Qt::AlignRight);
    setFixedSize(240, 230);
}

void SpyListWindow::addSpy(int slot, const QString& name)
{
    m_list->addItem(entryText(slot, name));
}

bool SpyListWindow::removeSpy(int slot, const QString& name)
{
    const auto found = m_list->findItems(entryText(slot, name), Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    delete found.first();
    return true;
}

void SpyListWindow::setRemoveEnabled(bool on)
{
    m_kick->setEnabled(on);
}

QStringList SpyListWindow::entries() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        out << m_list->item(i)->text();
    return out;
}

void SpyListWindow::kickHoveredSpy()
{
    if (m_hoverIndex < 0 || m_hoverIndex >= m_list->count())
        return;
    bool ok = false;
    const int slot = m_list->item(m_hoverIndex)->text().section(':', 0, 0).toInt(&ok);
    if (ok)
        emit kickRequested(slot);
}

void SpyListWindow::hoverEntry(const QPoint& pos)
{
    QListWidgetItem* item = m_list->itemAt(pos);
    m_hoverIndex = item ? m_list->row(item) : -1;
}

bool SpyListWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport()) {
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
