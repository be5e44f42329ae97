#pragma once

#include <QObject>

class ChartRangeRules;
class LogPacing;
class SupplySession;
struct SupplyState;
struct WindowState;
class QComboBox;
class QEvent;
struct MainFrmUi;

enum class RangeComboEvent { Click, EnterReleased, FocusLost };

// The Data Log tab: the live log's timer, the chart and its eight range
// combos with their scale labels. The range rules themselves live in
// ChartRangeRules; this class moves texts between it and the controls.
class DataLogTab : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const SupplySession& session;
        ChartRangeRules& rules;
        LogPacing& pacing;
    };

    DataLogTab(MainFrmUi& ui, WindowState& state, const Parts& parts, QObject* parent);

    // Connects the controls' events.
    void wire();

    // The ranges and their combos as a new connection (or none) sets them.
    void resetRanges(bool connected, const SupplyState& supply);
    // The live log starts afresh with a connection.
    void startLiveLog();
    // Draws the chart of the chosen log (live or stored) and names its sampling.
    void draw();

    // What happened to a range combo: an item chosen from its list runs the
    // combo's rule on the text; Enter released or focus lost first normalise
    // the typed text. The combo then shows the resulting text, the scale
    // labels follow and the chart is redrawn.
    void RangeCombo_Event(QComboBox* combo, RangeComboEvent event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isRangeCombo(QObject* object) const;
    void showLabels();
    // One sample of the live log, at the pace of the sampling time.
    void liveLogTick();

    MainFrmUi& ui;
    WindowState& S;
    const SupplySession& m_session;
    ChartRangeRules& m_rules;
    LogPacing& m_pacing;
};
