#pragma once

#include "panel/OutputSwitch.h"
#include "session/SupplyState.h"

#include <QObject>

#include <optional>

class LogSamples;
class SupplySession;
struct MainFrmUi;
struct SetpointState;

// The front panel: the reading display and its lamps, the two set-point
// displays and the output switch. It draws what the session reports, and turns
// clicks, keys and hovering into the session's requests.
class FrontPanelControls : public QObject {
    Q_OBJECT

public:
    // liveLog: a missing reading hides the panel only once the log holds one.
    FrontPanelControls(
        SupplySession& session, MainFrmUi& ui, const LogSamples& liveLog, QObject* parent);

    // The switch as at start-up, drawn.
    void reset();
    void DrawReadingDisplay();
    void DrawSetpointDisplay(int index, bool highlighted);
    void ClearHoverHighlights();
    // The panel keeps its place in the layout while hidden.
    void setLcdVisible(bool visible);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readingTaken(const std::optional<SupplyReading>& reading);
    void showSwitchPicture();
    SetpointState setpointState() const;
    void LcdPSetVC_MouseMove(int index);
    void LcdPSetVC_MouseUp(int index, Qt::MouseButton button);
    // A left click on the output switch or its label, or Space on the switch.
    void ImageOnOff_Click();

    SupplySession& m_session;
    MainFrmUi& ui;
    const LogSamples& m_liveLog;
    OutputSwitch m_switch;
};
