#include "storage/TextLimits.h"

namespace TextLimits {

QString CutToLength(const QString& text, int size)
{
    if (size < 0 || text.size() <= size)
        return text;
    qsizetype end = size;
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

} // namespace TextLimits
