#pragma once

#include <QString>
#include <optional>

// One step of a timed program as its grid holds it: the cell texts, as typed,
// loaded or read from a file, and the step's output flag.
struct ProgramStep {
    QString step; // the step number as shown
    QString voltage; // volts
    QString current; // amperes
    QString minute;
    QString second;
    // Unset for a step that does not say (a file row without its output field):
    // the table's flag for that step then stays as it was.
    std::optional<bool> outputOn;

    // The flag a step that does not say goes out with: a new table's.
    bool output() const { return outputOn.value_or(true); }

    bool operator==(const ProgramStep&) const = default;
};
