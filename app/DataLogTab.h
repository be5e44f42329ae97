#pragma once

#include <QObject>

class ChartRangeRules;
class QComboBox;
class QEvent;
struct MainFrmUi;

enum class RangeComboEvent { Click, EnterReleased, FocusLost };

// The Data Log tab: the chart's eight range combos, their scale labels and the
// chart redraw when the chart picture changes size. The rules themselves live
// in ChartRangeRules; this class only moves texts between it and the controls.
class DataLogTab : public QObject {
    Q_OBJECT
public:
    DataLogTab(MainFrmUi& ui, ChartRangeRules& rules, QObject* parent);

    // Connects the controls' events.
    void wire();

    // What happened to a range combo: an item chosen from its list runs the
    // combo's rule on the text; Enter released or focus lost first normalise
    // the typed text. The combo then shows the resulting text, the scale
    // labels follow and the chart is redrawn.
    void RangeCombo_Event(QComboBox* combo, RangeComboEvent event);

Q_SIGNALS:
    // The chart's ranges or its picture's size changed: the chart is drawn again.
    void redrawWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isRangeCombo(QObject* object) const;
    void showLabels();

    MainFrmUi& ui;
    ChartRangeRules& m_rules;
};
