#pragma once
// Colours as the chat and the settings file write them: a name of the colour
// table ("clBlack", "clRed", ...) or "$" and eight hex digits of 0x00BBGGRR.

#include <QColor>
#include <QString>
#include <optional>

namespace ColorText {

// The first table name whose value equals bgr, else "$" and eight upper-case hex digits.
QString toText(quint32 bgr);
// Reads a table name (any case), "$" and hex digits, or a decimal number. With
// fromNetwork only table names, "$" values up to 0x00FFFFFF and system colours
// 0x80000000..0x80000018 are accepted.
std::optional<quint32> fromText(const QString& text, bool fromNetwork = false);
// The colour to paint with (system colours from the application palette).
QColor toQColor(quint32 bgr);
// 0x00BBGGRR of an RGB colour.
quint32 fromQColor(const QColor& color);

} // namespace ColorText
