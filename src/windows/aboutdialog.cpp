#include "windows/aboutdialog.h"

#include "board/art.h"
#include "board/background.h"
#include "net/gamerules.h"
#include "windows/creditlines.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const webAddress = "www.vorlix.example";

const char* const credits[] = {
    "HangMan for The Vorlix Lobby",
    "Programming and art: Vorlix Games",
    "Word lists: the HangMan players",
    "Copyright (c) 2008-2010 Vorlix Games",
};

QLabel* boldLabel(const QString& text, int pointSize)
{
    auto* label = new QLabel(text);
    QFont font("Comic Sans MS", pointSize, QFont::Bold);
    label->setFont(font);
    return label;
}

} // namespace

AboutDialog::AboutDialog(Desktop& desktop, QWidget* mainWindow)
    : DeferredDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , m_desktop(desktop)
    , m_link(webAddress)
{
    setWindowTitle("HangMan - About");
}

void AboutDialog::buildContents()
{
    applyGameBackground(this);

    m_logo = new QLabel;
    m_logo->setObjectName("image_logo");
    m_logo->setPixmap(Art::gameLogo(128));
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->installEventFilter(this);

    m_doneButton = new QPushButton("Done");
    m_doneButton->setObjectName("button_done");
    m_doneButton->setDefault(true);
    connect(m_doneButton, &QPushButton::clicked, this, &AboutDialog::onDoneClicked);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(m_logo);
    layout->addLayout(buildVersionRow());
    layout->addSpacing(6);
    layout->addWidget(buildWebAddress());
    layout->addSpacing(6);
    layout->addLayout(buildCredits());
    layout->addSpacing(8);
    layout->addWidget(m_doneButton, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QHBoxLayout* AboutDialog::buildVersionRow()
{
    m_picture = new QLabel;
    m_picture->setObjectName("image_icon");
    m_picture->setPixmap(Art::gameLogo(32));

    auto* title = boldLabel("HangMan", 20);
    auto* versionRow = new QHBoxLayout;
    versionRow->setSpacing(0);
    versionRow->addWidget(m_picture);
    versionRow->addSpacing(10);
    versionRow->addWidget(title);
    versionRow->addSpacing(14);
    versionRow->addWidget(boldLabel("Version", 10));
    versionRow->addSpacing(6);
    m_version = boldLabel(QString::fromLatin1(kVersion), 10);
    m_version->setObjectName("version");
    m_build = boldLabel(QString::fromLatin1(kBuild), 10);
    m_build->setObjectName("build");
    versionRow->addWidget(m_version);
    versionRow->addWidget(m_build);
    versionRow->addStretch();
    return versionRow;
}

QLabel* AboutDialog::buildWebAddress()
{
    m_webAddress = new QLabel(QString("<u>%1</u>").arg(webAddress));
    m_webAddress->setObjectName("label_webaddress");
    m_webAddress->setFont(QFont("Arial", 10, QFont::Bold));
    setTextColour(m_webAddress, QColor(0x10, 0x2a, 0x8c));
    m_webAddress->setAlignment(Qt::AlignCenter);
    m_webAddress->setCursor(Qt::PointingHandCursor);
    m_webAddress->installEventFilter(this);
    return m_webAddress;
}

QVBoxLayout* AboutDialog::buildCredits()
{
    auto* creditBox = new QVBoxLayout;
    creditBox->setSpacing(1);
    addCreditLines(creditBox, credits, 9);
    return creditBox;
}

QString AboutDialog::versionText() const
{
    return QString::fromLatin1(kVersion);
}

QString AboutDialog::fullVersion() const
{
    return QString::fromLatin1(kVersion) + QString::fromLatin1(kBuild);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_webAddress)
            openWebAddress();
        else if (watched == m_logo)
            openLogoLink();
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::openWebAddress()
{
    m_link.open(m_desktop);
}

void AboutDialog::openLogoLink()
{
    hide();
}

void AboutDialog::onDoneClicked()
{
    hide();
}
