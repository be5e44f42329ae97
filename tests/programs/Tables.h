#pragma once

#include "programs/ProgramTable.h"

#include <utility>
#include <vector>

// A table holding the given rows below its header row.
struct TableOf : ProgramTable {
    TableOf(TableKind kind, const std::vector<QStringList>& rows)
        : ProgramTable(kind)
    {
        for (const QStringList& row : rows)
            addRow(row);
    }
};

// Presets numbered from 1 with the given voltage and current texts.
struct PresetsOf : ProgramTable {
    explicit PresetsOf(const std::vector<std::pair<QString, QString>>& values)
        : ProgramTable(TableKind::Ipm)
    {
        int k = 1;
        for (const auto& [volts, amps] : values)
            addRow({ "", QString::number(k++), volts, amps });
    }
};
