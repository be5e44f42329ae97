#pragma once

#include "core/Captions.h"
#include "core/PrintPage.h"
#include "programs/ProgramTable.h"

#include <QString>

// The texts of a printed table's heading.
struct PrintHeading {
    QString tableName;
    QString description;
    QString location; // of the connected supply; empty prints no location part
};

// Prints a program table as one page: heading, double rule, the ruled table
// with its first 20 steps, the cell texts centred. The table is only read.
namespace TablePrinter {

constexpr int kMaxPrintedRows = 20;

void PrintItpTable(PrintPage& page, const ProgramTable& itp, const PrintHeading& heading,
    const Captions& captions = Captions::English());
// Checked outputs get a tick drawn in the Output On column.
void PrintEtpTable(PrintPage& page, const ProgramTable& etp, const PrintHeading& heading,
    const Captions& captions = Captions::English());
// The Select column shows "●" for the selected preset and "○" for the others.
void PrintIpmTable(PrintPage& page, const ProgramTable& ipm, const PrintHeading& heading,
    const Captions& captions = Captions::English());

} // namespace TablePrinter
