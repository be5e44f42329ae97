#pragma once

#include "core/Outcome.h"
#include "datalog/LogSamples.h"
#include "programs/PresetRow.h"
#include "programs/ProgramStep.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The bytes of "Type:ETP", "Type:IPM" and "Type:LOG" files: one byte per
// character in the Western European code page (WesternCodePage), CR LF after
// every line, "." as decimal point whatever the user's locale.
class CsvWriter {
public:
    // Every cell is checked before a byte is produced: a cell that is not a
    // number, or that holds a comma, quote or line break, fails the whole file.
    // Voltages and currents are written in thousandths, the other cells unchanged.
    static Outcome<QByteArray> EtpFile(
        const QString& description, const std::vector<ProgramStep>& steps);
    // selected: the row of the selected preset (from 1), 0 for none.
    static Outcome<QByteArray> IpmFile(
        const QString& description, const std::vector<PresetRow>& presets, int selected);
    // Samples up to the first end mark (at most 1801); a log that starts with
    // the end mark gives the three header lines only.
    static QByteArray LogFile(
        const QString& description, const LogSamples& samples, qint64 intervalSeconds);

    // Grid value x 1000 with up to 15 significant digits ("0.5" -> "500").
    static QString GridThousandths(double value);
    // Log value x 1000 in single precision with up to 7 significant digits.
    static QString LogThousandths(float value);
};
