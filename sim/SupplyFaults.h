#pragma once

#include <QString>

#include <optional>

// Faults a stand-in supply shows on demand. Several may be combined; a
// default-constructed value is a supply that behaves.
struct SupplyFaults {
    static constexpr int kNever = -1;

    bool silent = false; // answers nothing (switched off, cable out)
    int silentAfterLines = kNever; // goes silent after this many lines ...
    int silentForLines = kNever; // ... for this many lines, then answers again
    bool garbage = false; // reply bytes replaced by line noise
    bool truncate = false; // only the first half of each reply arrives
    bool prefix = false; // one stray character ahead of each reply
    char prefixChar = '\xff';
    int splitMs = 0; // second half of each reply this much later
    int lateMs = 0; // whole reply this much later

    bool any() const;

    // Reads a comma-separated list such as "split:40,prefix" or "silent-after:12:5".
    // "" and "none" give no faults. On a bad text returns nothing and says why in *error.
    static std::optional<SupplyFaults> parse(const QString& text, QString* error);
    static QString syntax();

    friend bool operator==(const SupplyFaults&, const SupplyFaults&) = default;
};
