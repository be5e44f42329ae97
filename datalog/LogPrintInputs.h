#pragma once

#include "core/Captions.h"
#include "datalog/ChartRanges.h"
#include "datalog/LogSamples.h"
#include "datalog/LogSource.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// Everything the printed log chart shows, as plain values.
struct LogPrintInputs {
    // The log the Data Log tab shows; samples is that log (nullptr: no traces).
    LogSource source = LogSource::Live;
    const LogSamples* samples = nullptr;
    int interval = 3; // seconds between samples of that log

    ChartRanges ranges;
    QString currFormat = QStringLiteral("0.0");
    Captions captions = Captions::English();

    // Live log: the bus address and its remembered labels.
    QString address;
    QString location;
    QString description;

    // Stored log.
    QString storedLogName;
    QString storedLogDesc;
    QDate storedLogDate;
    QTime storedLogTime;

    // Dates print in this locale's short form.
    QLocale locale = QLocale::system();
};
