#pragma once

#include <QString>
#include <optional>

// The four kinds of stored table, numbered like the table tabs and like the
// catalogue's TableType column.
enum class StoredKind {
    InternalProgram = 0,
    ExternalProgram = 1,
    PresetMemory = 2,
    DataLog = 3,
};

inline constexpr int kStoredKindCount = 4;

// Data tables are named by kind prefix followed by the user's name.
inline QString TablePrefix(StoredKind kind)
{
    switch (kind) {
    case StoredKind::InternalProgram:
        return QStringLiteral("P_");
    case StoredKind::ExternalProgram:
        return QStringLiteral("E_");
    case StoredKind::PresetMemory:
        return QStringLiteral("M_");
    case StoredKind::DataLog:
        return QStringLiteral("L_");
    }
    return {};
}

inline int StoredKindIndex(StoredKind kind)
{
    return static_cast<int>(kind);
}

// The kind of a tab index 0 to 3; the Setting tab and anything else has none.
inline std::optional<StoredKind> StoredKindOfTab(int tab)
{
    if (tab < 0 || tab >= kStoredKindCount)
        return std::nullopt;
    return static_cast<StoredKind>(tab);
}
