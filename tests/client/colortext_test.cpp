#include "client/colortext.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

using namespace ColorText;

TEST(ColorText, WritesFirstTableNameOrHex)
{
    EXPECT_EQ(toText(0x000000), "clBlack");
    EXPECT_EQ(toText(0x0000FF), "clRed");
    EXPECT_EQ(toText(0xFF0000), "clBlue");
    EXPECT_EQ(toText(0x80000008), "clWindowText");
    EXPECT_EQ(toText(0x80000018), "clInfoBk");
    EXPECT_EQ(toText(0x1FFFFFFF), "clNone");
    EXPECT_EQ(toText(0x00ABCDEF), "$00ABCDEF");
    EXPECT_EQ(toText(0x80000019), "$80000019");
}

TEST(ColorText, ReadsNamesHexAndDecimalAndRoundTrips)
{
    EXPECT_EQ(fromText("clblack"), 0x000000u);
    EXPECT_EQ(fromText("CLFUCHSIA"), 0xFF00FFu);
    EXPECT_EQ(fromText("cl3DLight"), 0x80000016u);
    EXPECT_EQ(fromText("$00abcdef"), 0x00ABCDEFu);
    EXPECT_EQ(fromText("$FF"), 0xFFu);
    EXPECT_EQ(fromText("12309987"), 12309987u);
    EXPECT_EQ(fromText("-1"), 0xFFFFFFFFu);
    for (const char* bad : {"", "$", "$123456789", "$12G4", "clNothing", "red", "12.5", "99999999999"})
        EXPECT_FALSE(fromText(bad).has_value()) << bad;

    for (quint32 value : {0x000000u, 0x123456u, 0xC0C0C0u, 0x80000005u, 0x1FFFFFFFu, 0xFFFFFFFFu, 0x00FFFFFEu})
        EXPECT_EQ(fromText(toText(value)), value) << toText(value).toStdString();
}

TEST(ColorText, NetworkTextIsStrict)
{
    EXPECT_EQ(fromText("clRed", true), 0x0000FFu);
    EXPECT_EQ(fromText("clnone", true), 0x1FFFFFFFu);
    EXPECT_EQ(fromText("$00FFFFFF", true), 0x00FFFFFFu);
    EXPECT_EQ(fromText("$80000000", true), 0x80000000u);
    EXPECT_EQ(fromText("$80000018", true), 0x80000018u);
    EXPECT_FALSE(fromText("$01000000", true).has_value());
    EXPECT_FALSE(fromText("$80000019", true).has_value());
    EXPECT_FALSE(fromText("$FFFFFFFF", true).has_value());
    EXPECT_FALSE(fromText("255", true).has_value());
}

TEST(ColorText, PaintsBgrAndSystemColours)
{
    EXPECT_EQ(toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(toQColor(0x80000008), QGuiApplication::palette().color(QPalette::Text));
    EXPECT_EQ(toQColor(0x80000018), QGuiApplication::palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(fromQColor(QColor(0x56, 0x34, 0x12)), 0x123456u);
    EXPECT_EQ(fromQColor(QColor(227, 213, 187)), 12309987u);
    EXPECT_EQ(fromQColor(Qt::red), 0x0000FFu);
}
