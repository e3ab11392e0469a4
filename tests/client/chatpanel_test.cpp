// The chat panel on its own, with an outlet that records what leaves: what is
// sent for typed lines, phrases and chatter sounds, and what the host's flood
// rule and the phrase cool-down hold back.
#include "client/chatpanel.h"
#include "client/chatview.h"
#include "net/gametimer.h"

#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class RecordingOutlet : public ChatOutlet {
public:
    bool chatOpen() const override { return open; }
    bool chatterSoundsOpen() const override { return onSeat; }
    void sendChat(const QString& text, const QString& colour) override { sent << "chat:" + text + "|" + colour; }
    void sendAction(const QString& text, const QString& colour) override { sent << "action:" + text + "|" + colour; }
    void sendChatterSound(int tag) override { sent << "sound:" + QString::number(tag); }

    bool open = true;
    bool onSeat = true;
    QStringList sent;
};

class Panel : public ::testing::Test {
protected:
    Panel() : area(new QWidget), panel(clock, outlet, area.get())
    {
        area->resize(435, 199);
        QObject::connect(&panel, &ChatPanel::lineAdded, [this](int, const QString& text) { lines << text; });
    }
    void type(const QString& text)
    {
        panel.input()->setText(text);
        panel.sendInput();
    }
    QToolButton* button(const QString& name)
    {
        for (auto* candidate : panel.findChildren<QToolButton*>())
            if (candidate->accessibleName() == name)
                return candidate;
        return nullptr;
    }

    VirtualClock clock;
    RecordingOutlet outlet;
    std::unique_ptr<QWidget> area;
    ChatPanel panel;
    QStringList lines;
};

TEST_F(Panel, TypedLinesPhrasesAndSoundsLeaveUntilTheHostWouldDropThem)
{
    panel.setOwnColour(0x0000FF);
    type("hello");
    type("/me waves");
    type("/meow");
    type("/quit");
    EXPECT_EQ(outlet.sent, (QStringList{"chat:hello|clRed", "action:waves|clRed", "chat:/meow|clRed"}));
    EXPECT_EQ(panel.input()->text(), "");

    // Not logged in: nothing leaves and the line stays in the input.
    outlet.open = false;
    type("later");
    EXPECT_EQ(panel.input()->text(), "later");
    outlet.open = true;

    // A phrase is sent once per two seconds; "/me " phrases are actions of their own.
    outlet.sent.clear();
    panel.setPhrases({"/me cheers", "", "Thanks!"});
    EXPECT_EQ(panel.phrases()[1], "Good One!");
    button("/me cheers")->click();
    button("Thanks!")->click();
    clock.advance(2000);
    button("Thanks!")->click();
    EXPECT_EQ(outlet.sent, (QStringList{"action:cheers|clRed", "action:says: Thanks!|clRed"}));

    // Chatter sounds only from a seat, and "<Cancel>" sends nothing.
    outlet.sent.clear();
    QMenu* sounds = panel.findChild<QMenu*>("chatter_sound_menu");
    ASSERT_TRUE(sounds);
    sounds->actions().at(0)->trigger();
    outlet.onSeat = false;
    sounds->actions().at(5)->trigger();
    outlet.onSeat = true;
    sounds->actions().at(13)->trigger();
    EXPECT_EQ(outlet.sent, QStringList{"sound:13"});
    EXPECT_EQ(sounds->actions().at(13)->text(), chatter::caption(13));
    EXPECT_EQ(chatter::caption(13), "Applause");
    EXPECT_EQ(chatter::soundName(13), "wave13");

    // Lines sent in a burst: the host's flood rule would drop some, so they stay here with a notice.
    outlet.sent.clear();
    for (int i = 0; i < 20; ++i)
        type("spam");
    EXPECT_LT(outlet.sent.size(), 20);
    EXPECT_GT(outlet.sent.size(), 0);
    EXPECT_TRUE(lines.contains("Slow down: that line was not sent."));
    EXPECT_EQ(panel.input()->text(), "spam");
}

TEST_F(Panel, LinesScrollUnlessScrollingIsOffAndTheTwinEntryHearsOfIt)
{
    bool heard = false;
    QObject::connect(&panel, &ChatPanel::scrollingOffChanged, [&](bool off) { heard = off; });
    panel.addNotice("You are Connected.");
    panel.addPlayerLine(2, "Bob chats: hi", Qt::darkGreen);
    panel.addLine("no style number", Qt::black);
    EXPECT_EQ(lines, (QStringList{"You are Connected.", "Bob chats: hi"}));
    EXPECT_EQ(panel.view()->styleLook(2).colour, QColor(Qt::darkGreen));

    QMenu* popup = panel.findChild<QMenu*>("chat_messages_menu");
    ASSERT_TRUE(popup);
    popup->actions().last()->trigger();
    EXPECT_TRUE(panel.scrollingOff());
    EXPECT_TRUE(heard);
    panel.setScrollingOff(false);
    EXPECT_FALSE(popup->actions().last()->isChecked());
}

} // namespace
