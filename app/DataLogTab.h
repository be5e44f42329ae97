#pragma once

class MainFrm;
struct MainFrmUi;
struct WindowState;

// The Data Log tab: the live log, the chart and its range boxes, the source
// choice.
class DataLogTab {
public:
    DataLogTab(MainFrm& window, MainFrmUi& ui, WindowState& state);

    // Connects the controls' events.
    void wire();

private:
    MainFrm& m_window;
    MainFrmUi& ui;
    WindowState& S;
};
