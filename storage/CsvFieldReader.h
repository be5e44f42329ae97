#pragma once

#include <QByteArray>
#include <QString>

// Reads a CSV file as one stream of fields. A field ends at a comma or a line
// end (CR, LF or CR LF); blanks in front of it are dropped; a field that starts
// with a double quote runs to the next double quote. Lines mean nothing more.
class CsvFieldReader {
public:
    explicit CsvFieldReader(QString text)
        : m_text(std::move(text))
    {
    }

    // UTF-8 when the bytes are valid UTF-8, else the Western Windows code page
    // of earlier installations' files; a leading byte-order
    // mark is dropped.
    static QString Decode(const QByteArray& bytes);

    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next field; "" when the stream is at its end.
    QString next();

private:
    QString m_text;
    qsizetype m_pos = 0;
};
