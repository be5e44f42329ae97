#include "sim/SupplyModel.h"

const QList<SupplyModel>& SupplyModel::all()
{
    // The 5812 is rated a little above its nominal 5 A; it reports 5.10 A.
    static const QList<SupplyModel> models {
        { QStringLiteral("5810"), 180, 100, 10 },
        { QStringLiteral("5812"), 360, 510, 100 },
        { QStringLiteral("5814"), 600, 250, 100 },
        { QStringLiteral("5860"), 180, 150, 10 },
        { QStringLiteral("5910"), 180, 200, 10 },
        { QStringLiteral("5912"), 360, 100, 10 },
        { QStringLiteral("5914"), 600, 500, 100 },
    };
    return models;
}

std::optional<SupplyModel> SupplyModel::find(const QString& code)
{
    for (const SupplyModel& model : all()) {
        if (model.code == code)
            return model;
    }
    return std::nullopt;
}

SupplyModel SupplyModel::standard()
{
    return *find(QStringLiteral("5812"));
}
