#pragma once

#include <QString>

// What a screen reader is told of one row of digits: what the row is
// ("Output voltage") and what it shows, with its unit ("5.0 V").
struct SpokenRow {
    QString name;
    QString value;

    friend bool operator==(const SpokenRow&, const SpokenRow&) = default;
};
