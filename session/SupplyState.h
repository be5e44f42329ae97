#pragma once

#include <QString>

#include <optional>

// One "GETD" reading as the front panel shows it.
struct SupplyReading {
    QString volt; // "0.0"
    QString curr; // the model's current format
    QString power; // "0.0", or "0" for whole watts
    bool constantVoltage = false;
};

// What the session knows of the connected supply.
struct SupplyState {
    int port = 0;
    bool connected = false; // the supply acknowledged "GMAX" at the last connection
    bool remote = false; // it acknowledged "SESS" and has not been sent "ENDS" since
    QString modelCode;
    int currScale = 10;
    QString currFormat = QStringLiteral("0.0");
    float maxVolt = 0; // rating; 0 when not connected
    float maxCurr = 0;
    float uvl = 0; // the supply's upper limits
    float ucl = 0;
    QString setVoltText; // set-points, as the set-point displays show them
    QString setCurrText;
    // Readings as the front panel shows them: "-1" once two in a row failed.
    QString voltReading;
    QString currReading;
    QString powerReading;
    bool cvMode = false;
    bool lastPollOk = false;
    // No command reads the output state: known once this session switched it
    // or sent a program step.
    std::optional<bool> outputOn;
};
