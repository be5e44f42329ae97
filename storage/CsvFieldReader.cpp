#include "storage/CsvFieldReader.h"

#include "storage/WesternCodePage.h"

#include <QStringDecoder>

namespace {

bool IsLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

} // namespace

QString CsvFieldReader::Decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = WesternCodePage::Decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QString CsvFieldReader::next()
{
    const qsizetype size = m_text.size();
    while (m_pos < size
        && (m_text.at(m_pos) == QLatin1Char(' ') || m_text.at(m_pos) == QLatin1Char('\t')))
        ++m_pos;

    QString field;
    if (m_pos < size && m_text.at(m_pos) == QLatin1Char('"')) {
        const qsizetype close = m_text.indexOf(QLatin1Char('"'), m_pos + 1);
        const qsizetype end = close < 0 ? size : close;
        field = m_text.mid(m_pos + 1, end - m_pos - 1);
        m_pos = close < 0 ? size : close + 1;
        // Whatever follows the closing quote up to the delimiter is dropped.
        while (m_pos < size && m_text.at(m_pos) != QLatin1Char(',') && !IsLineEnd(m_text.at(m_pos)))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < size && m_text.at(m_pos) != QLatin1Char(',') && !IsLineEnd(m_text.at(m_pos)))
            ++m_pos;
        field = m_text.mid(start, m_pos - start);
    }

    if (m_pos < size) {
        if (m_text.at(m_pos) == QLatin1Char('\r')) {
            ++m_pos;
            if (m_pos < size && m_text.at(m_pos) == QLatin1Char('\n'))
                ++m_pos;
        } else {
            ++m_pos; // a comma or a lone LF
        }
    }
    return field;
}
