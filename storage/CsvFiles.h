#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing whole CSV files. Writing replaces the file in one step,
// so a failed export never leaves a half-written file behind.
namespace CsvFiles {

// Far above any table or log the panel writes (a full log is about 60 kB).
inline constexpr qint64 kMaxFileBytes = qint64 { 16 } * 1024 * 1024;

struct ReadResult {
    QByteArray bytes;
    QString error; // set when the file could not be read
};

ReadResult Read(const QString& path);
// Empty on success, else what went wrong.
QString Write(const QString& path, const QByteArray& bytes);

} // namespace CsvFiles
