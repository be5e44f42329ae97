#pragma once

#include <QByteArray>
#include <QList>

// Cuts a byte stream into command lines ended by CR or LF (CR LF counts once).
// An overlong unfinished line is thrown away rather than kept growing.
class LineAssembler {
public:
    static constexpr qsizetype kMaxLine = 256;

    QList<QByteArray> feed(const QByteArray& bytes);
    qsizetype pending() const { return m_partial.size(); }
    void clear();

private:
    QByteArray m_partial;
    bool m_overlong = false; // dropping bytes until the next line end
};
