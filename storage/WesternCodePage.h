#pragma once

#include <QByteArray>
#include <QString>

// The Western European Windows code page (1252) that the files of earlier
// installations are written in: Latin-1 with printable characters (euro sign,
// typographic quotes, dashes, ellipsis...) in place of most of 0x80 to 0x9F.
namespace WesternCodePage {

// One byte per character; a character the code page lacks becomes one "?".
QByteArray Encode(const QString& text);
// Every byte gives one character; the five unused bytes stay control characters.
QString Decode(const QByteArray& bytes);

} // namespace WesternCodePage
