#pragma once

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>

// Reading and writing whole CSV files. Writing replaces the file in one step,
// so a failed export never leaves a half-written file behind.
namespace CsvFiles {

// Far above any table or log the panel writes (a full log is about 60 kB).
inline constexpr qint64 kMaxFileBytes = qint64 { 16 } * 1024 * 1024;

Outcome<QByteArray> Read(const QString& path);
Outcome<void> Write(const QString& path, const QByteArray& bytes);

} // namespace CsvFiles
