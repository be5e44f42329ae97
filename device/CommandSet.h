#pragma once

#include <QString>
#include <array>
#include <optional>

// Every command line the panel sends and every reply it reads. Positions in the
// comments count from 1, as the supply's reply layouts are documented.
namespace CommandSet {

// Value encodings to the supply: value × scale, rounded, at least three digits.
QString EncodeVoltage(double volts); // 12.5 -> "125", 100 -> "1000"
QString EncodeCurrent(double amps, int currScale); // 1.25, 100 -> "125"
// A single-precision limit in the supply's units ("SOVP" scale 10, "SOCP" the
// current scale), multiplied in single precision: 2.55 A at scale 10 -> "026"
// as typed, where the double product of 2.55f (25.4999995) would give "025".
QString EncodeLimit(float value, int scale);

// "SOUT" parameter: "1" switches the output off, "0" switches it on.
QString SoutParameter(bool switchOff);
// "SEVC": voltage "000", current "000", then "1" when the step's output is on.
QString SevcParameter(double volts, double amps, int currScale, bool outputOn);
// A preset code: voltage × 10 "000" followed by current × scale "000".
QString PresetCode(double volts, double amps, int currScale);
// "RUNM": the preset's memory number 0 to 2.
QString RunmParameter(int memory);

// Acknowledgement tests, one per reply layout.
bool GmaxAcknowledged(const QString& reply); // "OK" at 8-9 (connection)
bool SessAcknowledged(const QString& reply); // "OK" at 1-2
bool EndsAcknowledged(const QString& reply); // "OK" at 2-3
bool SetAcknowledged(const QString& reply); // VOLT/CURR: "OK" at 1-2
bool ContainsOk(const QString& reply); // "OK" anywhere: SEVC, PROM, RUNM, the port search
bool GetdAcknowledged(const QString& reply); // "OK" at 11-12
bool GetmAcknowledged(const QString& reply); // "OK" at 22-23

// The model code: the first four characters of the "GMOD" reply.
QString ModelCode(const QString& gmodReply);
// A "GMOD" reply is four digits and nothing more of them: the six digits of a
// late "GMAX" reply would otherwise read as a model code and pick the scale.
bool GmodAnswered(const QString& reply);
// Current resolution by model: 100 / "0.00" for the 5812, 5814 and 5914 (found
// as a substring of "5812-5814-5914", so an empty code counts too), else 10 / "0.0".
int CurrScaleFor(const QString& modelCode);
QString CurrFormatFor(const QString& modelCode);
// The window title of a model: "Rating: 36V 5A", or "Rating: " for unknown codes.
QString RatingTitle(const QString& modelCode);

struct Rating {
    float maxVolt = 0;
    float maxCurr = 0;
};
// "GMAX": digits 1-3 are volts × 10, digits 4-6 amperes × the model's scale.
Rating ParseGmax(const QString& reply, int currScale);

// "GOVP"/"GOCP": the number at the start of the reply ÷ scale (0 when none).
float ParseLimit(const QString& reply, int scale);
// The same, where a limit above the supply's rating cannot be its answer (a
// late reply to another command) and counts as none. A best effort: a late
// reply that lies within the rating cannot be told from a true answer.
float ParseLimitWithin(const QString& reply, int scale, float rating);

struct Setpoints {
    QString volt;
    QString curr;
};
// "GETS": a reply of at least 10 characters gives the set-points; a shorter one
// gives "0.0" and the text of the current format itself.
Setpoints ParseGets(const QString& reply, int currScale, const QString& currFormat);

struct Reading {
    QString volt; // "0.0"
    QString curr; // current format
    bool constantVoltage = false;
};
// "GETD": nothing when "OK" is not at 11-12. The current's four digits are
// hundredths of an ampere, truncated exactly to the model's resolution.
std::optional<Reading> ParseGetd(const QString& reply, int currScale, const QString& currFormat);
// Hundredths of an ampere as the model shows them: 29 at scale 100 is "0.29",
// 129 at scale 10 is "1.2".
QString CurrentFromHundredths(int hundredths, int currScale, const QString& currFormat);

// "GETM": the three six-digit codes at 1, 8 and 15, when "OK" is at 22-23.
std::optional<std::array<QString, 3>> ParseGetm(const QString& reply);
// First three digits ÷ 10; 0 when the code is shorter than 3 characters.
float PresetVoltFromCode(const QString& code);
// Digits 4 to 6 ÷ scale; 0 when the code is shorter than 6 characters.
float PresetCurrFromCode(const QString& code, int currScale);

} // namespace CommandSet
