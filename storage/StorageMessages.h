#pragma once

#include "storage/StoredKind.h"

#include <QString>

// The texts the window shows for stored tables and CSV files, letter for letter.
namespace StorageMessages {

// "Table already exist. Overwrte it ?" or, for logs, "Log already exist. Overwrte it ?"
QString OverwriteQuestion(StoredKind kind);
// "Are you sure to delete th table '<name>' ?" / "... th Log '<name>' ?"
QString DeleteQuestion(StoredKind kind, const QString& name);
// "' <name> ' table no exist !"
QString TableNoExist(const QString& name);
// "File '<file name>' already exist. Overwrte it ?" (file name without folder)
QString FileAlreadyExist(const QString& path);
// "Sorry ! The file isn't a '...' table ." for the kinds that have a file form.
QString NotKindFile(StoredKind kind);

} // namespace StorageMessages
