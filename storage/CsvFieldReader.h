#pragma once

#include <QByteArray>
#include <QString>

// Reads a CSV file as one stream of fields. A field ends at a comma or a line
// end (CR, LF or CR LF); blanks in front of it are dropped; a field that starts
// with a double quote runs to the next double quote. Lines mean nothing more,
// except that the reader counts them for messages and can take the rest of a
// line whole.
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
    // Whether the next field is the first of its line.
    bool atLineStart() const { return m_lineStart; }
    // The first character of the next field ("" at the end).
    QChar peek();
    // The next field; "" when the stream is at its end.
    QString next();
    // The rest of the current line as one field, commas included; a field
    // that starts with a double quote ends at the next one as usual, and the
    // rest of its line is dropped.
    QString nextLine();
    // The line (from 1) on which the field last read begins.
    int line() const { return m_fieldLine; }

private:
    void skipBlanks();
    // Moves past the line end at the current position, if there is one.
    void skipLineEnd();
    // Moves to end, counting the line ends passed.
    void moveTo(qsizetype end);

    QString m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_fieldLine = 1;
    bool m_lineStart = true;
};
