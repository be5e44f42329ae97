#pragma once

#include "datalog/ChartLabels.h"
#include "datalog/ChartRanges.h"
#include "datalog/RangeComboTexts.h"

#include <QString>
#include <QStringList>

// The rules of the chart's range combos, free of widgets: the window hands in
// the combo texts, sets the returned text into the combo it acted on, shows
// labels() and redraws with ranges().
//
// Every maximum stays above its minimum, so the chart never divides by a zero
// span. Values beyond +/-1e6 (and times beyond +/-5e8 s) are taken as the limit:
// larger ones would overflow the single-precision scale and the time window.
class ChartRangeRules {
public:
    static constexpr double kValueLimit = 1e6;
    static constexpr double kTimeLimit = 5e8;

    ChartRangeRules();

    const ChartRanges& ranges() const { return m_ranges; }
    const ChartLabels& labels() const { return m_labels; }

    // Choosing an item (or running the rule after a typed entry). Each returns
    // the text the acted-on combo shows afterwards.
    QString clickVMax(const QString& vMaxText, const QString& vMinText);
    QString clickVMin(const QString& vMaxText, const QString& vMinText);
    QString clickWMax(const QString& wMaxText, const QString& wMinText);
    QString clickWMin(const QString& wMaxText, const QString& wMinText);
    QString clickCMax(const QString& cMaxText, const QString& cMinText);
    QString clickCMin(const QString& cMaxText, const QString& cMinText);
    QString clickTMin(const QString& tMinText, const QString& tLenText);
    QString clickTLen(const QString& tMinText, const QString& tLenText);

    // Enter released or focus lost: the typed text is normalised, then the click
    // rule runs on it. Returns the final text of the acted-on combo.
    QString commitVMax(const QString& vMaxText, const QString& vMinText);
    QString commitVMin(const QString& vMaxText, const QString& vMinText);
    QString commitWMax(const QString& wMaxText, const QString& wMinText);
    QString commitWMin(const QString& wMaxText, const QString& wMinText);
    QString commitCMax(const QString& cMaxText, const QString& cMinText);
    QString commitCMin(const QString& cMaxText, const QString& cMinText);
    QString commitTMin(const QString& tMinText, const QString& tLenText);
    QString commitTLen(const QString& tMinText, const QString& tLenText, bool enterKey);

    // "12.6V" -> "13V": the value as a whole number followed by unit.
    static QString NormaliseWholeText(const QString& text, QChar unit);
    // "2h" -> "7200S", "5m" -> "300S", "45.9" -> "45S".
    static QString NormaliseTimeText(const QString& text);

    // Ranges, labels and combo texts after a connection attempt. currFormat is
    // the supply's current picture ("0.0" or "0.00").
    RangeComboTexts resetForConnection(
        bool connected, float maxVolt, float maxCurr, const QString& currFormat);

    // Labels shown before the first connection.
    static ChartLabels InitialLabels();

    // Items of the range combos as delivered.
    static QStringList VMaxItems();
    static QStringList VMinItems();
    static QStringList WMaxItems();
    static QStringList WMinItems();
    static QStringList CMaxItems();
    static QStringList CMinItems();
    static QStringList TMinItems();
    static QStringList TLenItems();

private:
    void updateVoltLabels();
    void updatePowerLabels();
    void updateCurrLabels(const QString& picture);
    void updateTimeLabels();

    ChartRanges m_ranges;
    ChartLabels m_labels;
};
