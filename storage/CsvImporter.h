#pragma once

#include "datalog/LogSamples.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

// Reads "Type:ETP", "Type:IPM" and "Type:LOG" files. An import gives the whole
// file or nothing: at the first problem it returns no rows, only a message
// that names the line at fault, so that the table on screen stays as it was.
// A file of another kind gives the "Sorry ! ..." text. The second line is the
// description whole, commas included.
class CsvImporter {
public:
    static constexpr int kMaxEtpSteps = 20;
    static constexpr int kMaxPresets = 3;

    struct EtpRow {
        QString step; // the step number as written in the file
        QString voltage; // "00.0" volts
        QString current; // "0.00" amperes
        QString minute;
        QString second;
        bool output = false;
        bool stepOnly = false; // the row had no output field: only the step is shown
        bool operator==(const EtpRow&) const = default;
    };

    struct IpmRow {
        QString preset;
        QString voltage; // "00.0" volts
        QString current; // "0.0" amperes
        bool operator==(const IpmRow&) const = default;
    };

    struct Problem {
        bool wrongKind = false; // the caller changes nothing but the base name
        QString error; // empty when the whole file was read, else nothing was
        bool ok() const { return error.isEmpty(); }
    };

    struct EtpImport : Problem {
        QString description;
        std::vector<EtpRow> rows;
    };

    struct IpmImport : Problem {
        QString description;
        std::vector<IpmRow> rows;
        int selected = 0; // 1-based preset chosen in the file, 0 for none
    };

    struct LogImport : Problem {
        // Fresh samples: the rows read, then the end mark (when there is room).
        LogSamples samples;
        int count = 0;
        // Unset when the file did not say: the caller keeps its previous value.
        std::optional<int> sampling;
        std::optional<QString> description;
    };

    static EtpImport ImportEtp(const QByteArray& bytes);
    // Currents come back in the supply's own resolution (currFormat "0.0" or
    // "0.00"), as the preset table shows them.
    static IpmImport ImportIpm(const QByteArray& bytes, QStringView currFormat);
    static LogImport ImportLog(const QByteArray& bytes);
};
