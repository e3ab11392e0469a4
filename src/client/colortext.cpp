#include "colortext.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace ColorText {
namespace {

struct NamedColor {
    const char* name;
    quint32 value;
};

constexpr quint32 systemColorBase = 0x80000000u;
constexpr quint32 systemColorCount = 25;
constexpr quint32 noColor = 0x1FFFFFFFu;

constexpr std::array<NamedColor, 42> colorTable{{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    {"clScrollBar", systemColorBase + 0}, {"clBackground", systemColorBase + 1},
    {"clActiveCaption", systemColorBase + 2}, {"clInactiveCaption", systemColorBase + 3},
    {"clMenu", systemColorBase + 4}, {"clWindow", systemColorBase + 5},
    {"clWindowFrame", systemColorBase + 6}, {"clMenuText", systemColorBase + 7},
    {"clWindowText", systemColorBase + 8}, {"clCaptionText", systemColorBase + 9},
    {"clActiveBorder", systemColorBase + 10}, {"clInactiveBorder", systemColorBase + 11},
    {"clAppWorkSpace", systemColorBase + 12}, {"clHighlight", systemColorBase + 13},
    {"clHighlightText", systemColorBase + 14}, {"clBtnFace", systemColorBase + 15},
    {"clBtnShadow", systemColorBase + 16}, {"clGrayText", systemColorBase + 17},
    {"clBtnText", systemColorBase + 18}, {"clInactiveCaptionText", systemColorBase + 19},
    {"clBtnHighlight", systemColorBase + 20}, {"cl3DDkShadow", systemColorBase + 21},
    {"cl3DLight", systemColorBase + 22}, {"clInfoText", systemColorBase + 23},
    {"clInfoBk", systemColorBase + 24}, {"clNone", noColor},
}};

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr std::array<SystemRole, systemColorCount> systemRoles{{
    {QPalette::Active, QPalette::Button},          // scroll bar
    {QPalette::Active, QPalette::Window},          // desktop background
    {QPalette::Active, QPalette::Highlight},       // active caption
    {QPalette::Inactive, QPalette::Highlight},     // inactive caption
    {QPalette::Active, QPalette::Window},          // menu
    {QPalette::Active, QPalette::Base},            // window
    {QPalette::Active, QPalette::Shadow},          // window frame
    {QPalette::Active, QPalette::WindowText},      // menu text
    {QPalette::Active, QPalette::Text},            // window text
    {QPalette::Active, QPalette::HighlightedText}, // caption text
    {QPalette::Active, QPalette::Window},          // active border
    {QPalette::Inactive, QPalette::Window},        // inactive border
    {QPalette::Active, QPalette::Dark},            // application work space
    {QPalette::Active, QPalette::Highlight},       // highlight
    {QPalette::Active, QPalette::HighlightedText}, // highlight text
    {QPalette::Active, QPalette::Button},          // button face
    {QPalette::Active, QPalette::Dark},            // button shadow
    {QPalette::Disabled, QPalette::Text},          // grey text
    {QPalette::Active, QPalette::ButtonText},      // button text
    {QPalette::Inactive, QPalette::HighlightedText}, // inactive caption text
    {QPalette::Active, QPalette::Light},           // button highlight
    {QPalette::Active, QPalette::Shadow},          // 3D dark shadow
    {QPalette::Active, QPalette::Midlight},        // 3D light
    {QPalette::Active, QPalette::ToolTipText},     // info text
    {QPalette::Active, QPalette::ToolTipBase},     // info background
}};

bool isSystemColor(quint32 value)
{
    return value >= systemColorBase && value < systemColorBase + systemColorCount;
}

std::optional<quint32> fromTableName(const QString& text)
{
    for (const NamedColor& entry : colorTable) {
        if (text.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.value;
    }
    return std::nullopt;
}

std::optional<quint32> fromHex(const QString& digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (const QChar c : digits) {
        const int digit = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + quint32(digit);
    }
    return value;
}

std::optional<quint32> fromDecimal(const QString& text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || value < -0x80000000LL || value > 0xFFFFFFFFLL)
        return std::nullopt;
    return static_cast<quint32>(value);
}

bool acceptedFromNetwork(quint32 value)
{
    return value <= 0x00FFFFFFu || isSystemColor(value);
}

} // namespace

QString toText(quint32 bgr)
{
    for (const NamedColor& entry : colorTable) {
        if (entry.value == bgr)
            return QLatin1String(entry.name);
    }
    return QStringLiteral("$%1").arg(bgr, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint32> fromText(const QString& text, bool fromNetwork)
{
    if (const auto named = fromTableName(text))
        return named;
    if (text.startsWith(QLatin1Char('$'))) {
        const auto value = fromHex(text.mid(1));
        if (value && fromNetwork && !acceptedFromNetwork(*value))
            return std::nullopt;
        return value;
    }
    if (fromNetwork)
        return std::nullopt;
    return fromDecimal(text);
}

QColor toQColor(quint32 bgr)
{
    if (isSystemColor(bgr)) {
        const SystemRole& entry = systemRoles[bgr - systemColorBase];
        return QGuiApplication::palette().color(entry.group, entry.role);
    }
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 fromQColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

} // namespace ColorText
