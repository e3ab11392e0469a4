#include "windows/helpwindow.h"

#include "board/art.h"
#include "board/background.h"
#include "net/gamerules.h"
#include "windows/aboutdialog.h"
#include "windows/creditlines.h"
#include "windows/helppages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

struct Topic {
    const char* button;
    int page; // the number of its page (helpPageText)
    const char* caption;
};

const Topic topics[] = {
    {"button_overview", 1, "Overview"},
    {"button_connecting", 2, "Connecting"},
    {"button_gameplay", 3, "Game Play"},
    {"button_scoring", 4, "Scoring"},
    {"button_documentation", 5, "Documentation"},
    {"button_license", 6, "License"},
    {"button_lobby", 11, "The Lobby"},
};

const QByteArray creditTitle = QByteArray("HangMan ") + kVersion + kBuild;

const char* const credits[] = {
    creditTitle.constData(),
    "by Vorlix Games",
    "Made for",
    "The Vorlix Lobby",
};

QString pageName(int page)
{
    return "memo" + QString::number(page);
}

} // namespace

HelpWindow::HelpWindow(QWidget* mainWindow, AboutDialog* aboutWindow)
    : DeferredDialog(mainWindow, Qt::Window)
    , m_aboutWindow(aboutWindow)
{
    setWindowTitle("HangMan - Help File");
    resize(620, 440);
}

void HelpWindow::buildContents()
{
    applyGameBackground(this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(buildSidePanel());
    layout->addWidget(buildPageArea(), 1);
    m_pages->setCurrentWidget(m_pages->findChild<QPlainTextEdit*>(pageName(1)));
}

QWidget* HelpWindow::buildSidePanel()
{
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* logo = new QLabel;
    logo->setPixmap(Art::gameLogo(64));
    logo->setAlignment(Qt::AlignCenter);
    column->addWidget(logo);
    column->addSpacing(6);
    for (const Topic& topic : topics) {
        auto* button = new QPushButton(topic.caption);
        button->setObjectName(topic.button);
        button->setMinimumWidth(120);
        connect(button, &QPushButton::clicked, this, [this, &topic] { showTopic(topic.page, topic.caption); });
        m_topicButtons.insert(topic.page, button);
        column->addWidget(button);
    }
    column->addSpacing(12);
    auto* button_about = new QPushButton("About");
    button_about->setObjectName("button_about");
    connect(button_about, &QPushButton::clicked, this, &HelpWindow::showAbout);
    auto* m_doneButton = new QPushButton("Done");
    m_doneButton->setObjectName("button_done");
    connect(m_doneButton, &QPushButton::clicked, this, &HelpWindow::onDoneClicked);
    column->addWidget(button_about);
    column->addWidget(m_doneButton);
    column->addStretch();
    addCreditLines(column, credits, 8);
    return panel;
}

QWidget* HelpWindow::buildPageArea()
{
    auto* area = new QWidget;
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    m_caption = new QLabel(topics[0].caption);
    m_caption->setObjectName("label_caption");
    m_caption->setFont(QFont("Comic Sans MS", 16, QFont::Bold));
    column->addWidget(m_caption);
    m_pages = new QStackedWidget;
    for (const Topic& topic : topics) {
        auto* memo = new QPlainTextEdit(helpPageText(topic.page));
        memo->setObjectName(pageName(topic.page));
        memo->setReadOnly(true);
        memo->setFont(QFont("Arial", 10));
        memo->setStyleSheet("QPlainTextEdit { background: #fffbf0; border: 1px solid #8a6a3a; }");
        m_pages->addWidget(memo);
    }
    column->addWidget(m_pages, 1);
    return area;
}

QString HelpWindow::caption() const
{
    ensureBuilt();
    return m_caption->text();
}

QPlainTextEdit* HelpWindow::currentPage() const
{
    ensureBuilt();
    return qobject_cast<QPlainTextEdit*>(m_pages->currentWidget());
}

QPushButton* HelpWindow::topicButton(int page) const
{
    ensureBuilt();
    return m_topicButtons.value(page);
}

void HelpWindow::showTopic(int page, const char* caption)
{
    m_pages->setCurrentWidget(m_pages->findChild<QPlainTextEdit*>(pageName(page)));
    m_caption->setText(QString::fromLatin1(caption));
}

void HelpWindow::showAbout()
{
    if (m_aboutWindow)
        m_aboutWindow->show();
}

void HelpWindow::onDoneClicked()
{
    hide();
}
