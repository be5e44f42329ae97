#include "storage/CsvFiles.h"

#include <QFile>
#include <QSaveFile>

namespace CsvFiles {
namespace {

Failure TooLarge(const QString& path)
{
    return Failure { QStringLiteral("The file '%1' is too large to be a table or log.").arg(path) };
}

Failure NotWritten(const QString& path, const QFileDevice& file)
{
    return Failure {
        QStringLiteral("The file '%1' cannot be written: %2").arg(path, file.errorString())
    };
}

} // namespace

Outcome<QByteArray> Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Failure {
            QStringLiteral("The file '%1' cannot be opened: %2").arg(path, file.errorString())
        };
    }
    if (file.size() > kMaxFileBytes)
        return TooLarge(path);
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        return Failure {
            QStringLiteral("The file '%1' cannot be read: %2").arg(path, file.errorString())
        };
    }
    if (bytes.size() > kMaxFileBytes)
        return TooLarge(path);
    return bytes;
}

Outcome<void> Write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return NotWritten(path, file);
    if (file.write(bytes) != bytes.size()) {
        Failure failure = NotWritten(path, file);
        file.cancelWriting();
        return failure;
    }
    if (!file.commit())
        return NotWritten(path, file);
    return {};
}

} // namespace CsvFiles
