#include "net/invitation.h"

#include <gtest/gtest.h>

using invitation::isPublicIPv4;
using invitation::linkTo;
using invitation::read;

TEST(InvitationLink, ReadsTheHostOfEveryLinkAHostGivesOut)
{
    for (const char* host : {"127.0.0.1", "93.184.216.34", "game.example.org", "localhost", "2001:db8::5", "::1"}) {
        const QString link = linkTo(host);
        EXPECT_EQ(read(link).host, host) << link.toStdString();
        EXPECT_TRUE(read(link).error.isEmpty()) << read(link).error.toStdString();
    }
    EXPECT_EQ(linkTo("2001:db8::5"), "hangman://[2001:db8::5]");
    EXPECT_EQ(linkTo("10.0.0.2"), "hangman://10.0.0.2");

    // What browsers and chat programs make of a link: the game port, a closing slash, capitals.
    EXPECT_EQ(read("hangman://10.0.0.2:7772").host, "10.0.0.2");
    EXPECT_EQ(read("hangman://[2001:db8::5]:7772/").host, "2001:db8::5");
    EXPECT_EQ(read("HangMan://Game.Example.org/").host, "Game.Example.org");
}

TEST(InvitationLink, RefusesLinksItCannotUseWithASentenceSayingWhy)
{
    const std::pair<QString, QString> refused[] = {
        {"hangman://", "names no host"},
        {"hangman:///", "names no host"},
        {"hangman://[]", "names no host"},
        {"hangman://:7772", "names no host"},
        {"hangman://two words", "holds blanks"},
        {"hangman:// 10.0.0.2", "holds blanks"},
        {"hangman://10.0.0.2\t", "holds blanks"},
        {"hangman://10.0.0.2:7773", "names port 7773, but HangMan games are played on port 7772"},
        {"hangman://[::1]:80", "names port 80"},
        {"hangman://10.0.0.2:", "cannot be read"},
        {"hangman://2001:db8::5", "an IPv6 address goes in brackets"},
        {"hangman://[::1", "cannot be read"},
        {"hangman://[::1]x", "cannot be read"},
        {"hangman://10.0.0.999", "no usable host"},
        {"hangman://-game.org", "no usable host"},
        {"hangman://a/b", "no usable host"},
        {"http://10.0.0.2", "not a HangMan invitation link"},
        {"10.0.0.2", "not a HangMan invitation link"},
        {"hangman://" + QString(290, 'a') + ".org", "longer than 300 characters"},
    };
    for (const auto& [link, reason] : refused) {
        const auto result = read(link);
        EXPECT_TRUE(result.host.isEmpty()) << link.toStdString();
        EXPECT_TRUE(result.error.contains(reason)) << link.toStdString() << ": " << result.error.toStdString();
    }
    // At the limit a link is still read.
    const QString longest = "hangman://" + QString(286, 'a') + ".org";
    ASSERT_EQ(longest.size(), invitation::kMaxLinkLength);
    EXPECT_TRUE(read(longest).error.contains("no usable host")); // refused for its label, not its length
}

TEST(AddressClass, OnlyAddressesTheInternetCanReachArePublic)
{
    for (const char* address : {"93.184.216.34", "8.8.8.8", "100.63.255.255", "100.128.0.0", "172.15.255.255",
                                "172.32.0.0", "192.167.1.1", "11.0.0.1", "223.255.255.254"})
        EXPECT_TRUE(isPublicIPv4(address)) << address;
    for (const char* address : {"10.1.2.3", "100.64.3.7", "100.127.255.255", "172.16.0.1", "172.31.255.255",
                                "192.168.1.1", "127.0.0.1", "169.254.1.1", "0.0.0.0", "192.0.2.7", "198.51.100.1",
                                "203.0.113.7", "198.18.0.1", "224.0.0.251", "240.0.0.1", "255.255.255.255",
                                "192.0.0.8", "", "router", "2001:db8::5", "::ffff:93.184.216.34"})
        EXPECT_FALSE(isPublicIPv4(address)) << address;
}
