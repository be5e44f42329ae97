#pragma once

class MainFrm;
struct MainFrmUi;
struct WindowState;

// The storage tool bar and the table-name boxes: saving, loading and deleting
// stored tables and logs, CSV export and import, printing.
class StorageActions {
public:
    StorageActions(MainFrm& window, MainFrmUi& ui, WindowState& state);

    // Connects the controls' events.
    void wire();

private:
    MainFrm& m_window;
    MainFrmUi& ui;
    WindowState& S;
};
