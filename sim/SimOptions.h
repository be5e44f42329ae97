#pragma once

#include "sim/SupplyFaults.h"
#include "sim/SupplyModel.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line of ovolta-sim.
struct SimOptions {
    QString dataDir;
    int port = 0;
    SupplyModel model = SupplyModel::standard();
    double loadOhms = 10.0;
    SupplyFaults faults;
    QString traceFile;
    int noiseDigits = 0;
    bool help = false;
    bool version = false;

    // arguments with the program name first; "--name value" and "--name=value" both work.
    static std::optional<SimOptions> parse(const QStringList& arguments, QString* error);
    static QString usage();
};
