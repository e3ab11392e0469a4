// The board draws the pictures of hidden states (team heading, hanged figure,
// category buttons) only when that state first comes on screen.
#include "board/art.h"
#include "board/board.h"
#include "board/animatedimage.h"
#include "recordedgame.h"
#include "net/protocol.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QByteArray argsOf(QByteArray message)
{
    message.chop(1);
    return proto::splitName(message)->args;
}

QImage imageOf(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

class BoardPictures : public ::testing::Test {
protected:
    VirtualClock clock;
    RecordedGame host{clock};
    Board board{host.game, clock};

    QLabel* label(const QString& name) { return board.findChild<QLabel*>(name); }
    QPushButton* categoryButton(int category)
    {
        return board.findChild<QPushButton*>(QStringLiteral("button_cat%1").arg(category));
    }
    void startGame(bool team)
    {
        host.say(proto::name::kStartGame, argsOf(proto::msg::startGameAnnounce("Anna", 200, 20, team ? "t" : "f")));
        host.say(proto::name::kLoadWord, argsOf(proto::msg::loadWord("c*t", 0)));
    }
};

TEST_F(BoardPictures, HiddenStatesAreDrawnWhenFirstShown)
{
    EXPECT_TRUE(label("image_team")->pixmap().isNull());
    EXPECT_TRUE(label("image_usedletters")->pixmap().isNull()) << "the greyed letters wait for the first used tile";
    EXPECT_TRUE(board.hangedAnimation()->strip().isNull());
    for (int category = 0; category < kCategoryCount; ++category)
        EXPECT_TRUE(categoryButton(category)->icon().isNull()) << category;

    startGame(false);
    EXPECT_TRUE(label("image_team")->pixmap().isNull()) << "a game without teams needs no team heading";
    startGame(true);
    EXPECT_EQ(imageOf(label("image_team")->pixmap()), imageOf(Art::teamArt()));

    for (int misses = 1; misses <= 7; ++misses)
        host.say(proto::name::kAddMan, argsOf(proto::msg::addMan(2, misses, char('a' + misses - 1), misses, "*")));
    EXPECT_EQ(imageOf(board.hangedAnimation()->strip()), imageOf(Art::hangedStrip()));
    EXPECT_TRUE(board.findChild<QLabel*>("image_letter1")->isHidden()) << "the missed a is used";
    EXPECT_EQ(imageOf(label("image_usedletters")->pixmap()), imageOf(Art::usedLetterBoard()));

        host.say(proto::name::kChooseCat, "1+");
    for (int category = 0; category < kCategoryCount; ++category)
        EXPECT_EQ(imageOf(categoryButton(category)->icon().pixmap(QSize(250, 30))),
                  imageOf(Art::categoryGlyph(category)))
            << category;
}

} // namespace
