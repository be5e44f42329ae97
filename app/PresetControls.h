#pragma once

#include "app/Tab.h"

#include <QObject>

class PresetGrid;
class QPushButton;
class QTabWidget;
class SupplySession;

// The preset buttons: "Read Fro PS" and "Save To PS" under the front panel and
// "Set" (the shared button on the preset tab). The session moves the presets;
// this class asks it to and shows the outcome in the preset grid.
class PresetControls : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QTabWidget* tabs;
        QPushButton* readButton;
        QPushButton* saveButton;
        // Shared with the program tabs, where it reads "Run"/"Stop".
        QPushButton* setButton;
    };

    PresetControls(
        SupplySession& session, PresetGrid& presets, const Controls& controls, QObject* parent);

    void readClick();
    void saveClick();
    // "Set" on the preset tab: the presets and the chosen one go to the supply.
    void setClick();
    void tabShown(Tab tab);

private:
    // The session has read the supply's presets into the preset table.
    void presetsRead(bool read);
    Tab shownTab() const;

    SupplySession& m_session;
    PresetGrid& m_presets;
    Controls m_controls;
};
