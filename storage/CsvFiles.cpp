#include "storage/CsvFiles.h"

#include <QFile>
#include <QSaveFile>

namespace CsvFiles {

ReadResult Read(const QString& path)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error
            = QStringLiteral("The file '%1' cannot be opened: %2").arg(path, file.errorString());
        return result;
    }
    if (file.size() > kMaxFileBytes) {
        result.error = QStringLiteral("The file '%1' is too large to be a table or log.").arg(path);
        return result;
    }
    result.bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error
            = QStringLiteral("The file '%1' cannot be read: %2").arg(path, file.errorString());
        result.bytes.clear();
    } else if (result.bytes.size() > kMaxFileBytes) {
        result.error = QStringLiteral("The file '%1' is too large to be a table or log.").arg(path);
        result.bytes.clear();
    }
    return result;
}

QString Write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("The file '%1' cannot be written: %2").arg(path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        QString error
            = QStringLiteral("The file '%1' cannot be written: %2").arg(path, file.errorString());
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return QStringLiteral("The file '%1' cannot be written: %2").arg(path, file.errorString());
    return {};
}

} // namespace CsvFiles
