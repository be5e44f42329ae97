#include "sim/LineAssembler.h"

QList<QByteArray> LineAssembler::feed(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_overlong && !m_partial.isEmpty())
                lines.append(m_partial);
            m_partial.clear();
            m_overlong = false;
        } else if (!m_overlong) {
            m_partial += c;
            if (m_partial.size() > kMaxLine) {
                m_partial.clear();
                m_overlong = true;
            }
        }
    }
    return lines;
}

void LineAssembler::clear()
{
    m_partial.clear();
    m_overlong = false;
}
