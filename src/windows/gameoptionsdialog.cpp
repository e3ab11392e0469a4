#include "windows/gameoptionsdialog.h"

#include "board/art.h"
#include "board/art_draw.h"
#include "board/background.h"
#include "board/picturebutton.h"
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
constexpr int kPlayToLeast = 50, kPlayToMost = 500, kPlayToStep = 20;
constexpr int kTimeLeast = 10, kTimeMost = 60, kTimeStep = 5;

} // namespace

GameOptionsDialog::GameOptionsDialog(QWidget* mainWindow)
    : DeferredDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("HangMan - Game Start"));
    setFixedSize(kWidth, kHeight);
}

void GameOptionsDialog::buildContents()
{
    applyGameBackground(this);

    auto* heading = new QLabel(QStringLiteral("Game Options"), this);
    heading->setGeometry(0, 12, kWidth, 30);
    heading->setAlignment(Qt::AlignCenter);
    heading->setFont(QFont(QStringLiteral("Arial"), 16, QFont::Bold));
    setTextColour(heading, kDarkGrey);

    addCaption("Play to Score:", 58);
    m_playToBox = makeSpinBox("updown_playtoscore", "edit_playtoscore", 58, kPlayToLeast, kPlayToMost, kPlayToStep, &m_playTo);
    addCaption("Time Limit:", 94);
    m_timeLimitBox = makeSpinBox("updown_time", "edit_time", 94, kTimeLeast, kTimeMost, kTimeStep, &m_timeLimit);
    addCaption("Choose Category:", 130);
    m_chooseSwitch = makeSwitch("image_choose", 130);
    addCaption("Team Game:", 170);
    m_teamSwitch = makeSwitch("image_team", 170);
    m_playToBox->setAccessibleName(QStringLiteral("Play to Score"));
    m_timeLimitBox->setAccessibleName(QStringLiteral("Time Limit"));
    for (QLabel* picture : {m_chooseSwitch, m_teamSwitch})
        SwitchAccessibility::makeSwitch(
            picture, picture == m_chooseSwitch ? QStringLiteral("Choose Category") : QStringLiteral("Team Game"),
            [this, picture] { return *switchValue(picture->objectName()); },
            [this, picture] { setSwitch(picture->objectName(), *switchValue(picture->objectName()) ? 0 : 1); });

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
                                         int* value)
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
    upDown->setValue(*value);
    upDown->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    connect(upDown, &QSpinBox::valueChanged, this, [value](int now) { *value = now; });
    return upDown;
}

QLabel* GameOptionsDialog::makeSwitch(const char* name, int y)
{
    auto* picture = new QLabel(this);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setGeometry(kControlX, y, 56, 32);
    picture->setCursor(Qt::PointingHandCursor);
    picture->installEventFilter(this);
    showSwitch(picture, *switchValue(picture->objectName()));
    return picture;
}

void GameOptionsDialog::setPlayTo(int score)
{
    m_playTo = qBound(kPlayToLeast, score, kPlayToMost);
    if (m_playToBox)
        m_playToBox->setValue(m_playTo);
}

int GameOptionsDialog::playTo() const
{
    return m_playTo;
}

void GameOptionsDialog::setTimeLimit(int seconds)
{
    m_timeLimit = qBound(kTimeLeast, seconds, kTimeMost);
    if (m_timeLimitBox)
        m_timeLimitBox->setValue(m_timeLimit);
}

int GameOptionsDialog::timeLimit() const
{
    return m_timeLimit;
}

void GameOptionsDialog::setChooseCategory(bool on)
{
    setSwitch(QStringLiteral("image_choose"), on ? 1 : 0);
}

bool GameOptionsDialog::chooseCategory() const
{
    return m_chooseCategory;
}

bool GameOptionsDialog::teamGame() const
{
    return m_teamGame;
}

bool* GameOptionsDialog::switchValue(const QString& name)
{
    if (name == QLatin1String("image_choose"))
        return &m_chooseCategory;
    if (name == QLatin1String("image_team"))
        return &m_teamGame;
    return nullptr;
}

void GameOptionsDialog::setSwitch(const QString& name, int state)
{
    bool* value = switchValue(name);
    if (!value)
        return;
    *value = state == 1;
    if (QLabel* picture = value == &m_chooseCategory ? m_chooseSwitch : m_teamSwitch)
        showSwitch(picture, *value);
}

void GameOptionsDialog::showSwitch(QLabel* picture, bool on)
{
    picture->clear();
    picture->setPixmap(Art::switchPicture(on));
    SwitchAccessibility::tellToggled(picture);
}

void GameOptionsDialog::onStartClicked()
{
    emit startPressed(playTo(), timeLimit(), teamGame(), chooseCategory());
    accept();
}

bool GameOptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (const bool* value = switchValue(watched->objectName()))
            setSwitch(watched->objectName(), *value ? 0 : 1);
    }
    return QDialog::eventFilter(watched, event);
}
