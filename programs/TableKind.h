#pragma once

// The three program tables, numbered as their tabs.
enum class TableKind {
    Itp = 0, // Internal Timed Program
    Etp = 1, // External Timed Program
    Ipm = 2, // Internal Preset Memory
};
