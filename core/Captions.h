#pragma once

#include <QString>

// Every text of the panel's language table, in one place. English is the only
// language; messages are put together from these pieces letter for letter.
struct Captions {
    // Grid column headers; the first four also name the values in messages.
    QString step = "Step";
    QString voltage = "Voltage";
    QString current = "Current";
    QString minute = "Minute";
    QString second = "Second";
    QString outputOn = "Output On";
    QString select = "Select";
    QString preset = "Preset";
    QString run = "Run";
    QString stop = "Stop";
    QString set = "Set";
    QString clickToOutputOn = "Click to Output On";
    QString clickToOutputOff = "Click to Output Off";
    QString leftClick = "Left Click";
    QString rightClick = "Right Click";
    QString mustBe = " must be";
    QString and_ = "and";
    QString digitOfPrecision = "digit of precision .";
    QString uvl = "UVL";
    QString ucl = "UCL";
    QString address = "Address";
    QString maxV = "MaxV";
    QString maxC = "MaxC";
    QString noConnection = "No Connection";
    QString location = "Location";
    QString description = "Description";
    QString nowSampling = "Now Sampling";
    QString logSampling = "Log Sampling";
    QString tableName = "Table Name";
    QString tableDescription = "Table Description";
    QString logName = "Log Name";
    QString logDescription = "Log Description";
    QString saveTable = "Save Table";
    QString deleteTable = "Delete Table";
    QString printTable = "Print Table";
    QString saveLog = "Save Log";
    QString deleteLog = "Delete Log";
    QString printLog = "Print Log";
    QString watt = "Watt";
    QString notEtpFile = "Sorry ! The file isn't a 'External Timed Program' table .";
    QString notIpmFile = "Sorry ! The file isn't a 'Internal Preset Memory' table .";
    QString notLogFile = "Sorry ! The file isn't a 'Data Log' table .";

    // The texts of language 0, the only one there is.
    static const Captions& English()
    {
        static const Captions english;
        return english;
    }
};
