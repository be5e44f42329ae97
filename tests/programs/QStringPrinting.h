#pragma once

#include <QString>
#include <ostream>

// Failure messages show texts as text, not as bytes.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
