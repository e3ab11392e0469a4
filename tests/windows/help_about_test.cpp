#include "windows/aboutdialog.h"
#include "windows/helpwindow.h"
#include "windows/phraseeditor.h"
#include "windows/weblink.h"

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
    AboutDialog about;
    HelpWindow help(nullptr, &about);
    help.show();
    help.findChild<QPushButton*>("button_about")->click();
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(about.windowTitle(), "HangMan - About");
    EXPECT_EQ(about.versionText(), "1.0.6");
    EXPECT_EQ(about.fullVersion(), "1.0.6.6");

    QList<QUrl> opened;
    WebLink::setOpener([&](const QUrl& url) { opened.append(url); return true; });
    QTest::mouseClick(about.findChild<QLabel*>("Label7"), Qt::LeftButton);
    WebLink::setOpener({});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), "http://" + about.url().address());

    QTest::mouseClick(about.findChild<QLabel*>("Image1"), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

TEST(WebLink, PutsTheSchemePrefixOfItsKindBeforeTheAddress)
{
    const QList<std::pair<WebLink::Kind, QString>> prefixes = {{WebLink::Kind::File, "file://"},
        {WebLink::Kind::Ftp, "ftp://"}, {WebLink::Kind::Gopher, "gopher://"}, {WebLink::Kind::Http, "http://"},
        {WebLink::Kind::Https, "https://"}, {WebLink::Kind::Mailto, "mailto:"}, {WebLink::Kind::News, "news:"},
        {WebLink::Kind::Telnet, "telnet:"}, {WebLink::Kind::Wais, "wais:"}, {WebLink::Kind::None, ""}};
    WebLink link;
    link.setAddress("host.example/page");
    EXPECT_EQ(link.fullAddress(), "http://host.example/page");
    for (const auto& [kind, prefix] : prefixes) {
        link.setKind(kind);
        EXPECT_EQ(link.fullAddress(), prefix + "host.example/page");
    }
}

// The game makes every window at start-up; these make their contents only when
// they are first shown or asked about, which keeps the start quick.
TEST(SideWindows, MakeTheirContentsWhenFirstShownOrAskedAbout)
{
    AboutDialog about;
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
