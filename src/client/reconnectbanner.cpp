#include "client/reconnectbanner.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ReconnectBanner::ReconnectBanner(QWidget* covered) : QFrame(covered->parentWidget()), m_covered(covered)
{
    setObjectName("ReconnectBanner");
    setAccessibleName(kText);
    setFrameShape(QFrame::Box);
    setLineWidth(2);
    setAutoFillBackground(true);
    setStyleSheet("#ReconnectBanner { background: #fff8dc; border: 2px solid #8b0000; }");
    auto* text = new QLabel(kText);
    text->setObjectName("ReconnectText");
    text->setAlignment(Qt::AlignCenter);
    QFont font = text->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + 2);
    text->setFont(font);
    m_giveUp = new QPushButton("&Give Up");
    m_giveUp->setObjectName("GiveUp");
    m_giveUp->setAccessibleName("Give Up");
    m_giveUp->setAccessibleDescription("Stop trying to reach the host and end the game.");
    text->setBuddy(m_giveUp);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(12);
    layout->addWidget(text);
    layout->addWidget(m_giveUp, 0, Qt::AlignCenter);
    connect(m_giveUp, &QPushButton::clicked, this, &ReconnectBanner::giveUpPressed);
    covered->installEventFilter(this);
    hide();
}

void ReconnectBanner::setShownOver(bool shown)
{
    m_covered->setEnabled(!shown);
    setVisible(shown);
    if (!shown)
        return;
    placeOverCovered();
    raise();
    m_giveUp->setFocus(Qt::OtherFocusReason);
}

bool ReconnectBanner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_covered && (event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible())
        placeOverCovered();
    return QFrame::eventFilter(watched, event);
}

void ReconnectBanner::placeOverCovered()
{
    adjustSize();
    QRect area(QPoint(), sizeHint());
    area.moveCenter(m_covered->geometry().center());
    setGeometry(area);
}
