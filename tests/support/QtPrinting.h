#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Failure messages show Qt texts as text, bytes with CR, LF, '%' and unprintables escaped.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    QByteArray shown = bytes.toPercentEncoding(" !\"#$&'()*+,/:;<=>?@[\\]^`{|}");
    *os << '"' << shown.replace("%0D", "\\r").replace("%0A", "\\n").toStdString() << '"';
}
