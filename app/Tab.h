#pragma once

#include <cstddef>

// The window's tabs, in their order on the tab bar. The first four hold a
// table or log with its name and description boxes (indexed by the tab).
enum class Tab { InternalProgram = 0, ExternalProgram = 1, Presets = 2, DataLog = 3, Setting = 4 };

constexpr int TabIndex(Tab tab)
{
    return static_cast<int>(tab);
}

// The tab's place in the per-tab control arrays (name and description boxes).
constexpr std::size_t TabSlot(Tab tab)
{
    return static_cast<std::size_t>(tab);
}

// The two timed-program tabs share the Run/Stop caption and the cycle label.
constexpr bool IsProgramTab(Tab tab)
{
    return tab == Tab::InternalProgram || tab == Tab::ExternalProgram;
}

// Every tab but the Setting tab has a table or log with name boxes.
constexpr bool HasTable(Tab tab)
{
    return tab >= Tab::InternalProgram && tab <= Tab::DataLog;
}
