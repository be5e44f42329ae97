#pragma once

#include <QString>
#include <optional>

// The four kinds of stored table, numbered like the table tabs and like the
// catalogue's TableType column.
enum class TableKind {
    InternalProgram = 0,
    ExternalProgram = 1,
    PresetMemory = 2,
    DataLog = 3,
};

inline constexpr int kTableKindCount = 4;

// Data tables are named by kind prefix followed by the user's name.
inline QString TablePrefix(TableKind kind)
{
    switch (kind) {
    case TableKind::InternalProgram:
        return QStringLiteral("P_");
    case TableKind::ExternalProgram:
        return QStringLiteral("E_");
    case TableKind::PresetMemory:
        return QStringLiteral("M_");
    case TableKind::DataLog:
        return QStringLiteral("L_");
    }
    return {};
}

inline int TableKindIndex(TableKind kind)
{
    return static_cast<int>(kind);
}

// The kind of a tab index 0 to 3; the Setting tab and anything else has none.
inline std::optional<TableKind> TableKindOfTab(int tab)
{
    if (tab < 0 || tab >= kTableKindCount)
        return std::nullopt;
    return static_cast<TableKind>(tab);
}
