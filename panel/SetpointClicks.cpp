#include "panel/SetpointClicks.h"

#include "core/Captions.h"
#include "core/Numbers.h"
#include "panel/SetpointEntry.h"

namespace SetpointClicks {
namespace {

constexpr float kStep = 0.1f;

std::optional<QString> VoltageClicked(Qt::MouseButton button, const SetpointState& state)
{
    const float v = SetpointEntry::Value(state.setVoltText);
    const float uvl = state.uvl;
    if (button == Qt::LeftButton) {
        if (v < uvl)
            return Numbers::FormatSingle(v + kStep, u"0.0");
        return std::nullopt;
    }
    if (v > uvl)
        return Numbers::FormatSingle(uvl, u"0.0");
    if (v > 1.0f)
        return Numbers::FormatSingle(v - kStep, u"0.0");
    return std::nullopt;
}

std::optional<QString> CurrentClicked(Qt::MouseButton button, const SetpointState& state)
{
    const float c = SetpointEntry::Value(state.setCurrText);
    const float ucl = state.ucl;
    if (button == Qt::LeftButton) {
        const float raised = c + kStep;
        if (raised <= ucl)
            return Numbers::FormatSingle(raised, state.currFormat);
        if (c != ucl)
            return Numbers::FormatSingle(ucl, state.currFormat);
        return std::nullopt;
    }
    if (c > kStep)
        return Numbers::FormatSingle(c - kStep, state.currFormat);
    return std::nullopt;
}

} // namespace

bool ClickHighlights(Qt::MouseButton button, const SetpointState& state)
{
    return !state.extProgramRunning && (button == Qt::LeftButton || button == Qt::RightButton);
}

std::optional<QString> Clicked(int index, Qt::MouseButton button, const SetpointState& state)
{
    if (!ClickHighlights(button, state))
        return std::nullopt;
    if (index == 0)
        return VoltageClicked(button, state);
    if (index == 1)
        return CurrentClicked(button, state);
    return std::nullopt;
}

std::optional<QString> HoverHint(int index, const SetpointState& state)
{
    if (state.extProgramRunning || index < 0 || index > 1)
        return std::nullopt;
    const QString lc = Captions::English().leftClick;
    const QString rc = Captions::English().rightClick;
    const QString up = lc + QStringLiteral(" +0.1");
    const QString both = lc + QStringLiteral(" +0.1 , ") + rc + QStringLiteral(" -0.1");
    const QString down = rc + QStringLiteral(" -0.1");
    if (index == 0) {
        const float v = SetpointEntry::Value(state.setVoltText);
        if (v <= 1.0f)
            return up;
        if (v < state.uvl)
            return both;
        if (v == state.uvl)
            return down;
        return rc + QStringLiteral(" = UVL");
    }
    const float c = SetpointEntry::Value(state.setCurrText);
    if (c <= kStep)
        return up;
    if (c < state.ucl)
        return both;
    return down;
}

QString InitialHint(int index)
{
    return index == 0 ? QStringLiteral("Left Click +0.1 , Right Click -0.1")
                      : QStringLiteral("Left Click +0.01 , Right Click -0.01");
}

} // namespace SetpointClicks
