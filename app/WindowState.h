#pragma once

#include "datalog/LogSamples.h"

#include <QDate>
#include <QString>
#include <QTime>

// The window's own state: the chosen port and address, the sampling and the
// live and stored logs. The window owns one; the controllers get a reference.
struct WindowState {
    // The port chosen for the supply (what the supply said lives in the session).
    int CommPortNo = 1;
    int SampleTime = 3;
    QString CurAddress = QStringLiteral("00");
    QString CurLocation;
    QString CurDescription;

    // Live and stored data logs.
    ::LogSamples LogSamples;
    ::LogSamples StoredLog;
    int StoredLogSampling = 3;
    QString StoredLogName;
    QDate StoredLogDate;
    QTime StoredLogTime;
    QString StoredLogDesc;
};
