#pragma once

#include <QString>

// One preset as the preset grid holds it. Which preset is selected is the
// table's to say, as only one can be.
struct PresetRow {
    QString preset; // the preset number as shown
    QString voltage; // volts
    QString current; // amperes

    bool operator==(const PresetRow&) const = default;
};
