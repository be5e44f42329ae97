#pragma once

#include <QString>

// Texts for the eight chart range combos, as a connection leaves them.
struct RangeComboTexts {
    QString CmbVMax;
    QString CmbVMin;
    QString CmbCMax;
    QString CmbCMin;
    QString CmbWMax;
    QString CmbWMin;
    QString CmbTMin;
    QString CmbTLen;
};
