#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Rules of the "Setting" tab: the choices it offers, how its boxes are
// normalised and read, and the texts it shows. The window sends and stores.
namespace SettingTab {

// The entries of `CboAS`, "1S" to "60S".
QStringList SamplingEntries();
// Index in `CboAS` of a sampling time, or nothing when it is not offered.
std::optional<int> SamplingIndex(int seconds);
// `CboAS` entry chosen by "Default" and at start-up ("3S").
inline constexpr int kDefaultSamplingIndex = 2;

// `TextUVL` lost focus: 1 V to `MaxVolt`, shortest form followed by "V".
QString NormaliseVoltageLimit(const QString& text, float maxVolt);
// `TextUCL` lost focus: 0.1 A to `MaxCurr`, shortest form followed by "A".
QString NormaliseCurrentLimit(const QString& text, float maxCurr);

// What "Default" puts in the limit boxes.
QString DefaultVoltageLimitText(float maxVolt);
QString DefaultCurrentLimitText(float maxCurr);

// Port number of a `CboPort` entry ("Com3" gives 3), or nothing for a text
// that names no port.
std::optional<int> PortNumber(const QString& entry);
// Seconds of a `CboAS` entry ("10S" gives 10), or nothing for a text that is
// not one of the entries (a zero interval would run the log timer flat out).
std::optional<int> SamplingSeconds(const QString& entry);

// The limit typed in `TextUVL` / `TextUCL`, with every unit letter removed
// (a decimal comma still reads as a point).
float VoltageLimitValue(const QString& text);
float CurrentLimitValue(const QString& text);

// Yes/No question before a new sampling time erases the log.
QString SamplingChangeQuestion();
// Status panel 6, "Now Sampling : 10S".
QString NowSamplingPanelText(int seconds);
// Status panel 7 after a limit was sent, "UVL : 30V , UCL : 2.5A".
QString LimitsPanelText(float uvl, float ucl);

} // namespace SettingTab
