#pragma once

#include "session/SupplyState.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <optional>

// The CSV file of a recording (RFC 4180: CR LF line ends, a header row). Each
// row goes to the disk whole as it is written, so that after a kill or a power
// cut the file holds every sample taken, in whole lines.
class RecordFile {
public:
    enum class Mode {
        New, // never overwrites an existing file
        Append, // a partial last line (an earlier crash) is cut off first
        Replace,
    };
    static inline const QByteArray kHeader = "time,elapsed_s,volts,amps,watts,mode\r\n";

    // Why the file may not be opened so, before anything is done; empty when it may.
    static QString Refusal(const QString& path, Mode mode);
    // Empty when open, else the message for the user.
    QString open(const QString& path, Mode mode);
    // Empty value fields for a missed reading. False when the disk refused it.
    bool write(
        const QDateTime& time, double elapsedSeconds, const std::optional<SupplyReading>& reading);
    QString errorString() const { return m_file.errorString(); }

    // ISO 8601 local time with its UTC offset.
    static QString TimeText(const QDateTime& time);

private:
    bool writeWhole(const QByteArray& bytes);

    QFile m_file;
};
