#include "windows/joinrequestwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

JoinRequestWindow::JoinRequestWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName("JoinRequests");
    setWindowTitle("HangMan - Wants to Join");
    setAccessibleName("Players asking to join");
    setModal(false);
    m_layout = new QVBoxLayout(this);
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
}

void JoinRequestWindow::addRequest(quint64 id, const QString& name, const QString& address)
{
    if (m_rows.count(id))
        return;
    const QString who = address.isEmpty() ? name : name + " (" + address + ")";
    QWidget* row = makeRow(id, name, who + " wants to join");
    m_rows[id] = row;
    m_layout->addWidget(row);
    row->show();
    show();
    raise();
    activateWindow();
    row->findChild<QPushButton*>("LetIn")->setFocus();
}

QWidget* JoinRequestWindow::makeRow(quint64 id, const QString& name, const QString& question)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* text = new QLabel(question);
    auto* letIn = new QPushButton("&Let In");
    letIn->setObjectName("LetIn");
    letIn->setAccessibleName("Let " + name + " in");
    letIn->setAccessibleDescription(question);
    auto* turnAway = new QPushButton("&Turn Away");
    turnAway->setObjectName("TurnAway");
    turnAway->setAccessibleName("Turn " + name + " away");
    turnAway->setAccessibleDescription(question);
    text->setBuddy(letIn);
    layout->addWidget(text, 1);
    layout->addWidget(letIn);
    layout->addWidget(turnAway);
    connect(letIn, &QPushButton::clicked, this, [this, id] { answer(id, true); });
    connect(turnAway, &QPushButton::clicked, this, [this, id] { answer(id, false); });
    return row;
}

void JoinRequestWindow::answer(quint64 id, bool admit)
{
    removeRequest(id);
    if (admit)
        emit letIn(id);
    else
        emit turnedAway(id);
}

void JoinRequestWindow::removeRequest(quint64 id)
{
    const auto row = m_rows.find(id);
    if (row == m_rows.end())
        return;
    row->second->deleteLater();
    row->second->hide();
    m_layout->removeWidget(row->second);
    m_rows.erase(row);
    if (m_rows.empty())
        hide();
}
