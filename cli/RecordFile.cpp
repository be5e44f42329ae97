#include "cli/RecordFile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// The tail that is searched for the last line end; rows are far shorter.
constexpr qint64 kTail = 4096;

} // namespace

QString RecordFile::TimeText(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

QString RecordFile::Refusal(const QString& path, Mode mode)
{
    if (mode != Mode::New || !QFileInfo::exists(path))
        return {};
    return QStringLiteral("%1 exists: give --append to add to it or --force to replace it.")
        .arg(path);
}

QString RecordFile::open(const QString& path, Mode mode)
{
    if (QString refusal = Refusal(path, mode); !refusal.isEmpty())
        return refusal;
    m_file.setFileName(path);
    QIODevice::OpenMode how = QIODevice::Unbuffered;
    how |= mode == Mode::New   ? QIODevice::WriteOnly | QIODevice::NewOnly
        : mode == Mode::Append ? QIODevice::ReadWrite
                               : QIODevice::WriteOnly | QIODevice::Truncate;
    if (!m_file.open(how))
        return QStringLiteral("Cannot write %1: %2").arg(path, m_file.errorString());
    const qint64 size = m_file.size();
    if (mode == Mode::Append && size > 0) {
        m_file.seek(std::max<qint64>(0, size - kTail));
        const QByteArray tail = m_file.read(kTail);
        const qsizetype end = tail.lastIndexOf('\n');
        if (end + 1 < tail.size())
            m_file.resize(size - tail.size() + end + 1);
        m_file.seek(m_file.size());
    }
    if (m_file.size() == 0 && !writeWhole(kHeader))
        return QStringLiteral("Cannot write %1: %2").arg(path, m_file.errorString());
    return {};
}

bool RecordFile::write(
    const QDateTime& time, double elapsedSeconds, const std::optional<SupplyReading>& reading)
{
    QByteArray row = TimeText(time).toLatin1() + ',' + QByteArray::number(elapsedSeconds, 'f', 3);
    if (reading) {
        row += ',' + reading->volt.toLatin1() + ',' + reading->curr.toLatin1() + ','
            + reading->power.toLatin1() + (reading->constantVoltage ? ",CV" : ",CC");
    } else {
        row += ",,,,";
    }
    return writeWhole(row + "\r\n");
}

bool RecordFile::writeWhole(const QByteArray& bytes)
{
    // One write per row, straight to the disk.
    if (m_file.write(bytes) != bytes.size())
        return false;
#ifdef Q_OS_UNIX
    ::fdatasync(m_file.handle());
#endif
    return true;
}
