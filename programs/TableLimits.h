#pragma once

#include <QString>

// The limits and current resolution every table rule is bound by: the supply's
// upper limits (single precision, as the supply reports them) and the model's
// current scale and format.
struct TableLimits {
    float uvl = 0.0f;
    float ucl = 0.0f;
    QString currFormat = QStringLiteral("0.0");
    int currScale = 10;
};
