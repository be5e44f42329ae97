#include "storage/StorageMessages.h"

#include "device/Captions.h"
#include "storage/CsvPaths.h"

namespace StorageMessages {

QString OverwriteQuestion(TableKind kind)
{
    return kind == TableKind::DataLog ? QStringLiteral("Log already exist. Overwrte it ?")
                                      : QStringLiteral("Table already exist. Overwrte it ?");
}

QString DeleteQuestion(TableKind kind, const QString& name)
{
    const QString what
        = kind == TableKind::DataLog ? QStringLiteral("Log") : QStringLiteral("table");
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

QString NotKindFile(TableKind kind)
{
    const Captions& captions = Captions::English();
    switch (kind) {
    case TableKind::ExternalProgram:
        return captions.notEtpFile;
    case TableKind::PresetMemory:
        return captions.notIpmFile;
    case TableKind::DataLog:
        return captions.notLogFile;
    case TableKind::InternalProgram:
        break;
    }
    return {};
}

} // namespace StorageMessages
