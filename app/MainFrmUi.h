#pragma once

#include "app/Tab.h"

#include <QList>
#include <QSize>
#include <array>

class ChartWidget;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTimer;
class QToolBar;
class QVBoxLayout;
class QWidget;
class OutputSwitchImage;
class SegmentDisplay;
class StatusPanel;
struct ChartLabels;

// The status bar's panels, left to right (objectName "StatusBar1.Panels(k)").
enum class StatusField {
    Address = 1,
    Location = 2,
    Description = 3,
    MaxVoltage = 4,
    MaxCurrent = 5,
    Sampling = 6,
    // The limits in force, or "No Connection".
    Limits = 7,
    Version = 8,
};

// Every control of the main window, created with its name (objectName) and
// place. The window and the subsystem classes reach the controls through it.
struct MainFrmUi {
    // The lamps and locks of the front panel.
    static constexpr QSize kLampSize { 16, 16 };

    // Above the tabs.
    QComboBox* CmbAddr = nullptr;
    QLineEdit* TextLocation = nullptr;
    QLineEdit* TextEngineryD = nullptr;
    std::array<QLineEdit*, 2> TextSetVC {};
    QToolBar* ToolbarSetVolt = nullptr;
    QToolBar* ToolbarSetCurr = nullptr;
    QAction* SetVoltAction = nullptr;
    QAction* SetCurrAction = nullptr;

    // The front panel.
    QFrame* LCD = nullptr;
    SegmentDisplay* PD = nullptr;
    std::array<SegmentDisplay*, 2> LcdPSetVC {};
    QLabel* LcdSetting = nullptr;
    std::array<QLabel*, 2> LcdMd {};
    QLabel* LcdOutput = nullptr;
    OutputSwitchImage* ImageOnOff = nullptr;
    QLabel* LcdRemote = nullptr;
    QLabel* ImageLock = nullptr;
    QLabel* ImageConent = nullptr;
    QLabel* LcdTimer = nullptr;
    QLabel* P_Light = nullptr;

    // Buttons under the front panel.
    QWidget* Picture3 = nullptr;
    QPushButton* CmdRS = nullptr;
    QPushButton* CmdSS = nullptr;
    QPushButton* CmdCT = nullptr;
    QPushButton* CmdRunStop = nullptr;

    QTabWidget* Tab1 = nullptr;
    // Tab 0 to 2: the program tables and their floating editors.
    QTableView* FGridP = nullptr;
    QTableView* FGridE = nullptr;
    QTableView* FGridM = nullptr;
    QLineEdit* TextP = nullptr;
    QLineEdit* TextE = nullptr;
    QLineEdit* TextM = nullptr;
    std::array<QCheckBox*, 21> OutputCK {}; // 0 is the hidden template
    std::array<QRadioButton*, 10> Option1 {};
    std::array<QLabel*, 6> Label9 {};

    // Tab 3: the chart.
    QWidget* Picture1 = nullptr;
    ChartWidget* PP = nullptr;
    std::array<QRadioButton*, 2> Option2 {};
    std::array<QLabel*, 3> PLabV {};
    std::array<QLabel*, 3> PLabC {};
    std::array<QLabel*, 3> PLabW {};
    std::array<QLabel*, 3> PLabT {};

    // Tab 4: settings.
    QLabel* Label1 = nullptr;
    QComboBox* CboPort = nullptr;
    QComboBox* CboAS = nullptr;
    QLineEdit* TextUVL = nullptr;
    QLineEdit* TextUCL = nullptr;
    QPushButton* CmdDefault = nullptr;
    QPushButton* CmdOK = nullptr;
    QLabel* PictureBtmp = nullptr;

    // Table name panel under the tabs.
    QWidget* Picture2 = nullptr;
    QLabel* LabelTableName = nullptr;
    QLabel* LabelTableDescription = nullptr;
    QLabel* LabelCycle = nullptr;
    std::array<QComboBox*, 4> CmbTableName {};
    std::array<QLineEdit*, 4> TextTableD {};
    std::array<QLineEdit*, 2> TextCycle {};
    QToolBar* Toolbar2 = nullptr;
    // The storage tool bar's buttons ("Toolbar2.Buttons(1)" to "(5)").
    QAction* saveButton = nullptr;
    QAction* exportButton = nullptr;
    QAction* importButton = nullptr;
    QAction* deleteButton = nullptr;
    QAction* printButton = nullptr;

    // Chart range panel (tab 3 only).
    QWidget* Picture4 = nullptr;
    QComboBox* CmbVMax = nullptr;
    QComboBox* CmbVMin = nullptr;
    QComboBox* CmbCMax = nullptr;
    QComboBox* CmbCMin = nullptr;
    QComboBox* CmbWMax = nullptr;
    QComboBox* CmbWMin = nullptr;
    QComboBox* CmbTMin = nullptr;
    QComboBox* CmbTLen = nullptr;

    QStatusBar* StatusBar1 = nullptr;
    std::array<StatusPanel*, 9> Panels {}; // by StatusField; 0 unused

    // The live log's sampling (the supply's polling and the program's steps
    // are timed by the session).
    QTimer* TimerPVC = nullptr;

    // Creates the controls inside window.
    void setup(QMainWindow* window);
    void setPanel(StatusField field, const QString& text);
    StatusPanel* panel(StatusField field) const;
    // The storage tool bar's buttons, left to right.
    std::array<QAction*, 5> storageButtons() const;
    Tab currentTab() const;
    // The chart's twelve scale labels.
    void showChartLabels(const ChartLabels& labels);

private:
    // The parts of the window, created in this order by setup: the order
    // decides the layout and the focus chain.
    // Address, location, description and the two set-point boxes.
    void buildTopRow(QWidget* central, QVBoxLayout* outer);
    // Front panel: the readings, the set-points, the labels and the switch.
    void buildFrontPanel(QWidget* central, QVBoxLayout* left);
    // The four buttons under the front panel.
    void buildPanelButtons(QWidget* central, QVBoxLayout* left);
    // The tab widget with its five pages (in MainFrmUiTabs.cpp, as are the
    // pages' builders and the chart ranges).
    void buildTabs(QWidget* central, QVBoxLayout* right);
    void buildProgramTabs(QWidget* pageP, QWidget* pageE, QWidget* pageM);
    void buildDataLogTab(QWidget* pageLog);
    void buildSettingTab(QWidget* pageSetting);
    // Table name and description, the cycle count and the storage tool bar.
    void buildTableNamePanel(QWidget* central, QVBoxLayout* right);
    void buildChartRanges(QWidget* central, QVBoxLayout* right);
    void buildStatusBar(QMainWindow* window);
    void chainTabOrder();
};
