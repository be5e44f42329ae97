#pragma once

#include "core/Outcome.h"
#include "datalog/LogSamples.h"
#include "programs/PresetRow.h"
#include "programs/ProgramStep.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

// Reads "Type:ETP", "Type:IPM" and "Type:LOG" files. An import gives the whole
// file or nothing: at the first problem it returns only a message that names
// the line at fault, so that the table on screen stays as it was. A file of
// another kind gives the "Sorry ! ..." text. The second line is the
// description whole, commas included.
class CsvImporter {
public:
    static constexpr int kMaxEtpSteps = 20;
    static constexpr int kMaxPresets = 3;

    struct EtpFile {
        QString description;
        // Voltages "00.0", currents "0.00"; a row without its output field
        // holds only its step number, and its output is unset.
        std::vector<ProgramStep> steps;
    };

    struct IpmFile {
        QString description;
        std::vector<PresetRow> presets; // voltages "00.0"
        int selected = 0; // 1-based preset chosen in the file, 0 for none
    };

    struct LogFile {
        // Fresh samples: the rows read, then the end mark (when there is room).
        LogSamples samples;
        int count = 0;
        // Unset when the file did not say: the caller keeps its previous value.
        std::optional<int> sampling;
        std::optional<QString> description;
    };

    static Outcome<EtpFile> ImportEtp(const QByteArray& bytes);
    // Currents come back in the supply's own resolution (currFormat "0.0" or
    // "0.00"), as the preset table shows them.
    static Outcome<IpmFile> ImportIpm(const QByteArray& bytes, QStringView currFormat);
    static Outcome<LogFile> ImportLog(const QByteArray& bytes);
};
