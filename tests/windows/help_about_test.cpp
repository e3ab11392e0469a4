#include "support/fakesurroundings.h"
#include "windows/aboutdialog.h"
#include "windows/helpwindow.h"
#include "windows/phraseeditor.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(HelpWindow, TopicButtonsBringTheirPageToTheFrontAndKeepItBetweenOpenings)
{
    HelpWindow help;
    EXPECT_EQ(help.windowTitle(), "HangMan - Help File");
    EXPECT_EQ(help.caption(), "Overview");
    EXPECT_EQ(help.currentPage()->objectName(), "memo1");
    EXPECT_TRUE(help.currentPage()->toPlainText().startsWith(
        "Overview\n\nHangman is a word game that as survived the test of time. Too bad the man \ndoesn't!\n"));

    const QList<std::pair<int, QString>> topics = {{2, "Connecting"}, {3, "Game Play"}, {4, "Scoring"},
        {5, "Documentation"}, {6, "License"}, {11, "The Lobby"}, {1, "Overview"}};
    for (const auto& [tag, caption] : topics) {
        QPushButton* button = help.topicButton(tag);
        ASSERT_NE(button, nullptr) << tag;
        EXPECT_EQ(button->text(), caption);
        button->click();
        EXPECT_EQ(help.caption(), caption);
        EXPECT_EQ(help.currentPage()->objectName(), "memo" + QString::number(tag));
        EXPECT_FALSE(help.currentPage()->toPlainText().isEmpty()) << tag;
    }

    help.topicButton(5)->click();
    EXPECT_TRUE(help.currentPage()->toPlainText().startsWith("History\n\nMar 2, 2010 - Version 1.0.6.6\n"));
    EXPECT_TRUE(help.currentPage()->toPlainText().contains("Version 1.0.0.0"));
    help.show();
    help.findChild<QPushButton*>("button_done")->click();
    EXPECT_FALSE(help.isVisible());
    help.show();
    EXPECT_EQ(help.caption(), "Documentation");
    EXPECT_EQ(help.currentPage()->objectName(), "memo5");
}

TEST(AboutWindow, ShowsTheVersionOpensTheWebAddressAndHidesOnTheLogo)
{
    FakeDesktop desktop;
    AboutDialog about(desktop);
    HelpWindow help(nullptr, &about);
    help.show();
    help.findChild<QPushButton*>("button_about")->click();
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(about.windowTitle(), "HangMan - About");
    EXPECT_EQ(about.versionText(), "1.0.6");
    EXPECT_EQ(about.fullVersion(), "1.0.6.6");

    QTest::mouseClick(about.findChild<QLabel*>("label_webaddress"), Qt::LeftButton);
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0].toString(), "http://" + about.url().address());

    QTest::mouseClick(about.findChild<QLabel*>("image_logo"), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

// The game makes every window at start-up; these make their contents only when
// they are first shown or asked about, which keeps the start quick.
TEST(SideWindows, MakeTheirContentsWhenFirstShownOrAskedAbout)
{
    FakeDesktop desktop;
    AboutDialog about(desktop);
    HelpWindow help(nullptr, &about);
    PhraseEditor phrases;
    for (QWidget* window : std::initializer_list<QWidget*>{&about, &help, &phrases})
        EXPECT_TRUE(window->findChildren<QWidget*>().isEmpty()) << window->metaObject()->className();

    EXPECT_EQ(about.versionText(), "1.0.6") << "the login sends it before the window was ever shown";
    phrases.setPhrases({"Hi", "", "Bye"});
    EXPECT_EQ(phrases.phrases().mid(0, 3), QStringList({"Hi", "", "Bye"}));
    help.show();
    EXPECT_EQ(help.currentPage()->objectName(), "memo1");
}
