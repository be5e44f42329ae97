#include "storage/StorageMessages.h"

#include "core/Captions.h"
#include "storage/CsvPaths.h"

namespace StorageMessages {

QString OverwriteQuestion(StoredKind kind)
{
    return kind == StoredKind::DataLog ? QStringLiteral("Log already exist. Overwrte it ?")
                                       : QStringLiteral("Table already exist. Overwrte it ?");
}

QString DeleteQuestion(StoredKind kind, const QString& name)
{
    const QString what
        = kind == StoredKind::DataLog ? QStringLiteral("Log") : QStringLiteral("table");
    return QStringLiteral("Are you sure to delete th ") + what + QStringLiteral(" '") + name
        + QStringLiteral("' ?");
}

QString TableNoExist(const QString& name)
{
    return QStringLiteral("' ") + name + QStringLiteral(" ' table no exist !");
}

QString FileAlreadyExist(const QString& path)
{
    return QStringLiteral("File '") + CsvPaths::FileName(path)
        + QStringLiteral("' already exist. Overwrte it ?");
}

QString NotKindFile(StoredKind kind)
{
    const Captions& captions = Captions::English();
    switch (kind) {
    case StoredKind::ExternalProgram:
        return captions.notEtpFile;
    case StoredKind::PresetMemory:
        return captions.notIpmFile;
    case StoredKind::DataLog:
        return captions.notLogFile;
    case StoredKind::InternalProgram:
        break;
    }
    return {};
}

} // namespace StorageMessages
