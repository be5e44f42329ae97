#pragma once

#include "datalog/LogSamples.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The bytes of "Type:ETP", "Type:IPM" and "Type:LOG" files: one byte per
// character in the Western European code page (WesternCodePage), CR LF after
// every line, "." as decimal point whatever the user's locale.
class CsvWriter {
public:
    struct EtpRow {
        QString step; // grid column 0, written unchanged
        QString voltage; // volts, written in millivolts
        QString current; // amperes, written in milliamperes
        QString minute; // written unchanged
        QString second; // written unchanged
        bool output = false;
    };

    struct IpmRow {
        QString preset; // the preset number text, written unchanged
        bool selected = false;
        QString voltage;
        QString current;
    };

    struct Output {
        QByteArray bytes;
        QString error; // set when a cell cannot be written; bytes are then empty
        bool ok() const { return error.isEmpty(); }
    };

    // Every cell is checked before a byte is produced: a cell that is not a
    // number, or that holds a comma, quote or line break, fails the whole file.
    static Output EtpFile(const QString& description, const std::vector<EtpRow>& rows);
    static Output IpmFile(const QString& description, const std::vector<IpmRow>& rows);
    // Samples up to the first end mark (at most 1801); a log that starts with
    // the end mark gives the three header lines only.
    static QByteArray LogFile(
        const QString& description, const LogSamples& samples, qint64 intervalSeconds);

    // Grid value x 1000 with up to 15 significant digits ("0.5" -> "500").
    static QString GridThousandths(double value);
    // Log value x 1000 in single precision with up to 7 significant digits.
    static QString LogThousandths(float value);
};
