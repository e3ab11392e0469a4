#include "windows/aboutform.h"

#include "board/art.h"
#include "board/background.h"
#include "windows/placement.h"

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

Tabout::Tabout(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
    , mainWindow_(mainWindow)
{
    setWindowTitle("HangMan - About");
    applyGameBackground(this);
    URL1.setAddress(webAddress);
    URL1.setKind(TURL::Kind::Http);

    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    Image1->setPixmap(Art::gameLogo(128));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->installEventFilter(this);

    Image2 = new QLabel;
    Image2->setObjectName("Image2");
    Image2->setPixmap(Art::gameLogo(32));

    auto* title = boldLabel("HangMan", 20);
    auto* versionRow = new QHBoxLayout;
    versionRow->setSpacing(0);
    versionRow->addWidget(Image2);
    versionRow->addSpacing(10);
    versionRow->addWidget(title);
    versionRow->addSpacing(14);
    versionRow->addWidget(boldLabel("Version", 10));
    versionRow->addSpacing(6);
    version = boldLabel("1.0.6", 10);
    version->setObjectName("version");
    build = boldLabel(".6", 10);
    build->setObjectName("build");
    versionRow->addWidget(version);
    versionRow->addWidget(build);
    versionRow->addStretch();

    Label7 = new QLabel(QString("<u>%1</u>").arg(webAddress));
    Label7->setObjectName("Label7");
    Label7->setFont(QFont("Arial", 10, QFont::Bold));
    Label7->setStyleSheet("color: #102a8c;");
    Label7->setAlignment(Qt::AlignCenter);
    Label7->setCursor(Qt::PointingHandCursor);
    Label7->installEventFilter(this);

    auto* creditBox = new QVBoxLayout;
    creditBox->setSpacing(1);
    for (const char* line : credits) {
        auto* label = new QLabel(line);
        label->setFont(QFont("Arial", 9));
        label->setAlignment(Qt::AlignCenter);
        creditBox->addWidget(label);
    }

    button_done = new QPushButton("Done");
    button_done->setObjectName("button_done");
    button_done->setDefault(true);
    connect(button_done, &QPushButton::clicked, this, &Tabout::button_doneClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(Image1);
    layout->addLayout(versionRow);
    layout->addSpacing(6);
    layout->addWidget(Label7);
    layout->addSpacing(6);
    layout->addLayout(creditBox);
    layout->addSpacing(8);
    layout->addWidget(button_done, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString Tabout::versionText() const
{
    return version->text();
}

QString Tabout::fullVersion() const
{
    return version->text() + build->text();
}

bool Tabout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label7)
            Label7Click();
        else if (watched == Image1)
            Image1Click();
    }
    return QDialog::eventFilter(watched, event);
}

void Tabout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOn(this, mainWindow_);
}

void Tabout::Label7Click()
{
    URL1.open();
}

void Tabout::Image1Click()
{
    hide();
}

void Tabout::button_doneClick()
{
    hide();
}
