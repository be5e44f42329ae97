#pragma once

#include <QString>

// Fitting texts into columns of a declared size.
namespace TextLimits {

// The first `size` characters of text; a character made of two UTF-16 units
// is never split in half (it is left out whole).
QString CutToLength(const QString& text, int size);

} // namespace TextLimits
