#pragma once

#include <QList>
#include <QString>

#include <optional>

// One model of the supply family: its code, its ratings in wire digits and the
// scale of its current digits (10 or 100 digits per ampere).
struct SupplyModel {
    QString code;
    int ratedVoltDigits = 0; // volts x 10
    int ratedCurrDigits = 0; // amperes x currScale
    int currScale = 10;

    static const QList<SupplyModel>& all();
    static std::optional<SupplyModel> find(const QString& code);
    // The model a stand-in uses when none is asked for.
    static SupplyModel standard();
};
