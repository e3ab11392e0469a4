#include "windows/gamestartform.h"

#include "board/art.h"
#include "board/background.h"
#include "windows/placement.h"
#include "windows/switchaccessibility.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr int kWidth = 270;
constexpr int kHeight = 256;
constexpr int kControlX = 160;
const QColor kDarkGrey(73, 73, 73);

void setTextColour(QWidget* widget, QColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

Tgamestart::Tgamestart(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("HangMan - Game Start"));
    setFixedSize(kWidth, kHeight);
    applyGameBackground(this);

    auto* heading = new QLabel(QStringLiteral("Game Options"), this);
    heading->setGeometry(0, 12, kWidth, 30);
    heading->setAlignment(Qt::AlignCenter);
    heading->setFont(QFont(QStringLiteral("Arial"), 16, QFont::Bold));
    setTextColour(heading, kDarkGrey);

    addCaption("Play to Score:", 58);
    UpDown1 = makeUpDown("UpDown1", "edit_playtoscore", 58, 50, 500, 20, 200);
    addCaption("Time Limit:", 94);
    UpDown2 = makeUpDown("UpDown2", "edit_time", 94, 10, 60, 5, 20);
    addCaption("Choose Category:", 130);
    image_choose = makeSwitch("image_choose", 130);
    addCaption("Team Game:", 170);
    image_team = makeSwitch("image_team", 170);
    UpDown1->setAccessibleName(QStringLiteral("Play to Score"));
    UpDown2->setAccessibleName(QStringLiteral("Time Limit"));
    for (QLabel* picture : {image_choose, image_team})
        SwitchAccessibility::makeSwitch(
            picture, picture == image_choose ? QStringLiteral("Choose Category") : QStringLiteral("Team Game"),
            [this, picture] { return switchOn(picture); },
            [this, picture] { changebox(picture->objectName(), switchOn(picture) ? 0 : 1); });

    button_start = new QPushButton(this);
    button_start->setObjectName(QStringLiteral("button_start"));
    button_start->setAccessibleName(QStringLiteral("START GAME"));
    button_start->setGeometry((kWidth - 110) / 2, 212, 110, 34);
    button_start->setIcon(QIcon(Art::startGameButton(false)));
    button_start->setIconSize(QSize(102, 28));
    button_start->setFlat(true);
    button_start->setCursor(Qt::PointingHandCursor);
    button_start->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"
                                               "QPushButton:focus { border: 1px dotted rgb(73,73,73); }"));
    button_start->setDefault(true);
    connect(button_start, &QPushButton::clicked, this, &Tgamestart::button_startClick);
}

void Tgamestart::addCaption(const char* text, int y)
{
    auto* caption = new QLabel(QString::fromLatin1(text), this);
    caption->setGeometry(16, y, kControlX - 20, 32);
    caption->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    setTextColour(caption, kDarkGrey);
}

QSpinBox* Tgamestart::makeUpDown(const char* name, const char* editName, int y, int minimum, int maximum, int step,
                                 int value)
{
    auto* upDown = new QSpinBox(this);
    upDown->setObjectName(QString::fromLatin1(name));
    auto* edit = upDown->findChild<QLineEdit*>();
    edit->setObjectName(QString::fromLatin1(editName));
    edit->setReadOnly(true);
    upDown->setGeometry(kControlX, y + 3, 70, 26);
    upDown->setRange(minimum, maximum);
    upDown->setSingleStep(step);
    upDown->setWrapping(false);
    upDown->setValue(value);
    upDown->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    return upDown;
}

QLabel* Tgamestart::makeSwitch(const char* name, int y)
{
    auto* picture = new QLabel(this);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setGeometry(kControlX, y, 56, 32);
    picture->setCursor(Qt::PointingHandCursor);
    picture->installEventFilter(this);
    changebox(picture->objectName(), 0);
    return picture;
}

void Tgamestart::setPlayTo(int score)
{
    UpDown1->setValue(score);
}

int Tgamestart::playTo() const
{
    return UpDown1->value();
}

void Tgamestart::setTimeLimit(int seconds)
{
    UpDown2->setValue(seconds);
}

int Tgamestart::timeLimit() const
{
    return UpDown2->value();
}

void Tgamestart::setChooseCategory(bool on)
{
    changebox(QStringLiteral("image_choose"), on ? 1 : 0);
}

bool Tgamestart::chooseCategory() const
{
    return switchOn(image_choose);
}

bool Tgamestart::teamGame() const
{
    return switchOn(image_team);
}

void Tgamestart::changebox(const QString& name, int state)
{
    auto* picture = findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
    if (!picture || (name != QLatin1String("image_choose") && name != QLatin1String("image_team")))
        return;
    picture->clear();
    picture->setPixmap(Art::switchPicture(state == 1));
    picture->setProperty("Tag", state == 1 ? 1 : 0);
    SwitchAccessibility::tellToggled(picture);
}

bool Tgamestart::switchOn(const QLabel* picture) const
{
    return picture->property("Tag").toInt() == 1;
}

void Tgamestart::button_startClick()
{
    emit startPressed(playTo(), timeLimit(), teamGame(), chooseCategory());
    accept();
}

bool Tgamestart::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (auto* picture = qobject_cast<QLabel*>(watched))
            changebox(picture->objectName(), switchOn(picture) ? 0 : 1);
    }
    return QDialog::eventFilter(watched, event);
}

void Tgamestart::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOn(this, m_mainWindow);
}
