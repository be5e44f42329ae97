#pragma once

class MainFrm;
struct MainFrmUi;
struct WindowState;

// The two set-point boxes, their apply buttons and the clicks on the set-point
// displays: the events of the boxes are forwarded to the set-point rules.
class SetpointBoxes {
public:
    SetpointBoxes(MainFrm& window, MainFrmUi& ui, WindowState& state);

    // Connects the controls' events.
    void wire();

private:
    MainFrm& m_window;
    MainFrmUi& ui;
    WindowState& S;
};
