#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Failure messages show Qt texts as text (lists of them element by element), and bytes
// with CR, LF and the unprintable ones escaped.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n')
            *os << (c == '\r' ? "\\r" : "\\n");
        else if (byte >= 0x20 && byte <= 0x7e && c != '\\' && c != '"')
            *os << c;
        else
            *os << "\\x"
                << "0123456789abcdef"[byte >> 4] << "0123456789abcdef"[byte & 15];
    }
    *os << '"';
}
