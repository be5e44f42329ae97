#include "storage/CsvFieldReader.h"

#include "storage/WesternCodePage.h"

#include <QStringDecoder>

namespace {

bool IsLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
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

void CsvFieldReader::skipBlanks()
{
    while (m_pos < m_text.size() && IsBlank(m_text.at(m_pos)))
        ++m_pos;
}

void CsvFieldReader::skipLineEnd()
{
    const qsizetype size = m_text.size();
    if (m_pos >= size || !IsLineEnd(m_text.at(m_pos)))
        return;
    if (m_text.at(m_pos) == QLatin1Char('\r') && m_pos + 1 < size
        && m_text.at(m_pos + 1) == QLatin1Char('\n'))
        ++m_pos;
    ++m_pos;
    ++m_line;
    m_lineStart = true;
}

void CsvFieldReader::moveTo(qsizetype end)
{
    // Line ends inside a quoted field still count as lines of the file.
    for (; m_pos < end; ++m_pos) {
        const QChar c = m_text.at(m_pos);
        const bool crlf = c == QLatin1Char('\r') && m_pos + 1 < m_text.size()
            && m_text.at(m_pos + 1) == QLatin1Char('\n');
        if (IsLineEnd(c) && !crlf)
            ++m_line;
    }
}

QChar CsvFieldReader::peek()
{
    skipBlanks();
    return atEnd() ? QChar() : m_text.at(m_pos);
}

QString CsvFieldReader::next()
{
    const qsizetype size = m_text.size();
    skipBlanks();
    m_fieldLine = m_line;

    QString field;
    if (m_pos < size && m_text.at(m_pos) == QLatin1Char('"')) {
        const qsizetype close = m_text.indexOf(QLatin1Char('"'), m_pos + 1);
        const qsizetype end = close < 0 ? size : close;
        field = m_text.mid(m_pos + 1, end - m_pos - 1);
        moveTo(close < 0 ? size : close + 1);
        // Whatever follows the closing quote up to the delimiter is dropped.
        while (m_pos < size && m_text.at(m_pos) != QLatin1Char(',') && !IsLineEnd(m_text.at(m_pos)))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < size && m_text.at(m_pos) != QLatin1Char(',') && !IsLineEnd(m_text.at(m_pos)))
            ++m_pos;
        field = m_text.mid(start, m_pos - start);
    }

    if (m_pos < size && m_text.at(m_pos) == QLatin1Char(',')) {
        ++m_pos;
        m_lineStart = false;
    } else {
        skipLineEnd();
    }
    return field;
}

QString CsvFieldReader::nextLine()
{
    const qsizetype size = m_text.size();
    skipBlanks();
    if (m_pos < size && m_text.at(m_pos) == QLatin1Char('"')) {
        QString field = next();
        if (!m_lineStart) {
            while (m_pos < size && !IsLineEnd(m_text.at(m_pos)))
                ++m_pos;
            skipLineEnd();
        }
        return field;
    }
    m_fieldLine = m_line;
    const qsizetype start = m_pos;
    while (m_pos < size && !IsLineEnd(m_text.at(m_pos)))
        ++m_pos;
    QString field = m_text.mid(start, m_pos - start);
    skipLineEnd();
    return field;
}
