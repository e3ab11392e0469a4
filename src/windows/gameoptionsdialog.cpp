#include "windows/gameoptionsdialog.h"

#include "board/art.h"
#include "board/art_draw.h"
#include "board/background.h"
#include "board/picturebutton.h"
#include "windows/placement.h"
#include "windows/singlestepspinbox.h"
#include "windows/switchaccessibility.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

namespace {

using Art::Draw::kDarkGrey;

constexpr int kWidth = 270;
constexpr int kHeight = 256;
constexpr int kControlX = 160;

} // namespace

GameOptionsDialog::GameOptionsDialog(QWidget* mainWindow)
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
    m_playToBox = makeSpinBox("UpDown1", "edit_playtoscore", 58, 50, 500, 20, 200);
    addCaption("Time Limit:", 94);
    m_timeLimitBox = makeSpinBox("UpDown2", "edit_time", 94, 10, 60, 5, 20);
    addCaption("Choose Category:", 130);
    m_chooseSwitch = makeSwitch("image_choose", 130);
    addCaption("Team Game:", 170);
    m_teamSwitch = makeSwitch("image_team", 170);
    m_playToBox->setAccessibleName(QStringLiteral("Play to Score"));
    m_timeLimitBox->setAccessibleName(QStringLiteral("Time Limit"));
    for (QLabel* picture : {m_chooseSwitch, m_teamSwitch})
        SwitchAccessibility::makeSwitch(
            picture, picture == m_chooseSwitch ? QStringLiteral("Choose Category") : QStringLiteral("Team Game"),
            [this, picture] { return switchOn(picture); },
            [this, picture] { setSwitch(picture->objectName(), switchOn(picture) ? 0 : 1); });

    m_startButton = new PictureButton(this);
    m_startButton->setFocusFrameColour(kDarkGrey);
    m_startButton->setObjectName(QStringLiteral("button_start"));
    m_startButton->setAccessibleName(QStringLiteral("START GAME"));
    m_startButton->setGeometry((kWidth - 110) / 2, 212, 110, 34);
    m_startButton->setIcon(QIcon(Art::startGameButton(false)));
    m_startButton->setIconSize(QSize(102, 28));
    m_startButton->setCursor(Qt::PointingHandCursor);
    m_startButton->setDefault(true);
    connect(m_startButton, &QPushButton::clicked, this, &GameOptionsDialog::onStartClicked);
}

void GameOptionsDialog::addCaption(const char* text, int y)
{
    auto* caption = new QLabel(QString::fromLatin1(text), this);
    caption->setGeometry(16, y, kControlX - 20, 32);
    caption->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    setTextColour(caption, kDarkGrey);
}

QSpinBox* GameOptionsDialog::makeSpinBox(const char* name, const char* editName, int y, int minimum, int maximum, int step,
                                 int value)
{
    auto* upDown = new SingleStepSpinBox(this);
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

QLabel* GameOptionsDialog::makeSwitch(const char* name, int y)
{
    auto* picture = new QLabel(this);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setGeometry(kControlX, y, 56, 32);
    picture->setCursor(Qt::PointingHandCursor);
    picture->installEventFilter(this);
    setSwitch(picture->objectName(), 0);
    return picture;
}

void GameOptionsDialog::setPlayTo(int score)
{
    m_playToBox->setValue(score);
}

int GameOptionsDialog::playTo() const
{
    return m_playToBox->value();
}

void GameOptionsDialog::setTimeLimit(int seconds)
{
    m_timeLimitBox->setValue(seconds);
}

int GameOptionsDialog::timeLimit() const
{
    return m_timeLimitBox->value();
}

void GameOptionsDialog::setChooseCategory(bool on)
{
    setSwitch(QStringLiteral("image_choose"), on ? 1 : 0);
}

bool GameOptionsDialog::chooseCategory() const
{
    return switchOn(m_chooseSwitch);
}

bool GameOptionsDialog::teamGame() const
{
    return switchOn(m_teamSwitch);
}

void GameOptionsDialog::setSwitch(const QString& name, int state)
{
    auto* picture = findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
    if (!picture || (name != QLatin1String("image_choose") && name != QLatin1String("image_team")))
        return;
    picture->clear();
    picture->setPixmap(Art::switchPicture(state == 1));
    picture->setProperty("Tag", state == 1 ? 1 : 0);
    SwitchAccessibility::tellToggled(picture);
}

bool GameOptionsDialog::switchOn(const QLabel* picture) const
{
    return picture->property("Tag").toInt() == 1;
}

void GameOptionsDialog::onStartClicked()
{
    emit startPressed(playTo(), timeLimit(), teamGame(), chooseCategory());
    accept();
}

bool GameOptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (auto* picture = qobject_cast<QLabel*>(watched))
            setSwitch(picture->objectName(), switchOn(picture) ? 0 : 1);
    }
    return QDialog::eventFilter(watched, event);
}

void GameOptionsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOn(this, m_mainWindow);
}
