#pragma once

#include "programs/ProgramTable.h"

// Tables written as "cell cell ...; cell ..." (a row per "; ", cells apart by one space).
struct TableOf : ProgramTable {
    TableOf(TableKind kind, const QString& text)
        : ProgramTable(kind)
    {
        for (const QString& row : text.split("; ", Qt::SkipEmptyParts))
            addRow(row.split(' '));
    }
};

// Steps "volts amps minute second [off]" numbered from 1; "off" unchecks the output.
struct StepsOf : TableOf {
    explicit StepsOf(const QString& text, TableKind kind = TableKind::Etp)
        : TableOf(kind, {})
    {
        for (const QString& row : text.split("; ", Qt::SkipEmptyParts)) {
            addRow(QStringList { QString::number(rows()) } + row.split(' '));
            setOutputOn(dataRows(), !row.endsWith(" off"));
        }
    }
};

// Presets "volts amps" numbered from 1.
struct PresetsOf : TableOf {
    explicit PresetsOf(const QString& text)
        : TableOf(TableKind::Ipm, {})
    {
        for (const QString& row : text.split("; ", Qt::SkipEmptyParts))
            addRow(QStringList { "", QString::number(rows()) } + row.split(' '));
    }
};
