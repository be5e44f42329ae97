#pragma once

#include "datalog/LogSource.h"
#include "storage/StoredKind.h"

#include <QDateTime>
#include <QString>
#include <optional>

// File names and paths of CSV export and import.
namespace CsvPaths {

// The file name without its folder (after the last "/" or "\").
QString FileName(const QString& path);

// The path with the file name's extension replaced by ".csv" (from the file
// name's first "." on), or ".csv" appended when the file name has none. A "."
// in a folder name is left alone; leading dots of a hidden file's name are
// part of the name.
QString WithCsvExtension(const QString& path);

// The import's base name: the file name up to its first "." ("C:\logs\run.2.csv"
// gives "run").
QString ImportBaseName(const QString& path);

// The name the save dialog proposes: "ETP-A-0001.csv", "IPM-A-0001.csv",
// "Now-yyyymmdd-hhmmss.csv" for the live log, "Log-<name>.csv" for a stored
// log. Nothing (the dialog keeps its previous name) for the other cases.
std::optional<QString> ProposedExportName(
    StoredKind kind, LogSource source, const QDateTime& now, const QString& storedLogName);

} // namespace CsvPaths
