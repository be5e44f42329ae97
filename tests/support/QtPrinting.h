#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Failure messages show Qt texts as text (lists of them element by element), and bytes with
// CR and LF as \r and \n, the unprintable ones and '%' as %XX.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    QByteArray shown = bytes.toPercentEncoding(" !\"#$&'()*+,/:;<=>?@[\\]^`{|}");
    *os << '"' << shown.replace("%0D", "\\r").replace("%0A", "\\n").toStdString() << '"';
}
