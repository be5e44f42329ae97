#pragma once

class MainFrm;
struct MainFrmUi;
struct WindowState;

// The Setting tab (port, sampling time, limits) and the list of supplies
// (location and description per bus address).
class SettingsPage {
public:
    SettingsPage(MainFrm& window, MainFrmUi& ui, WindowState& state);

    // Connects the controls' events.
    void wire();

private:
    MainFrm& m_window;
    MainFrmUi& ui;
    WindowState& S;
};
