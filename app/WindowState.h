#pragma once

#include "datalog/LogSamples.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <array>

// The window-level state that every part of the panel reads and writes. The
// window owns one; the subsystem classes get a reference.
struct WindowState {
    // Connection and model.
    bool Connected = false;
    QString ModelCode;
    int CurrScale = 10;
    QString CurrFormat = QStringLiteral("0.0");
    float MaxVolt = 0;
    float MaxCurr = 0;
    float UVL = 0;
    float UCL = 0;

    // Set-points and readings as the front panel shows them.
    QString SetVoltText = QStringLiteral("0.0");
    QString SetCurrText = QStringLiteral("0.0");
    QString VoltReading;
    QString CurrReading;
    QString PowerReading;
    bool CvMode = false;
    bool LastPollOk = false;
    QString LastReply;

    // What Enter or the apply button checked, as the box then showed it: the
    // tick sends this, never what the box holds by the time it runs.
    std::array<QString, 2> TextSetValue {};
    // Requests the next polling tick serves.
    std::array<bool, 2> TextSetPending {};
    std::array<bool, 2> DragSetPending {};
    bool OutputTogglePending = false;
    bool PresetUploadPending = false;
    bool PresetReadPending = false;

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
