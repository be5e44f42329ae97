#include "app/MainFrmUi.h"

#include "app/MainFrmUiParts.h"
#include "app/StatusPanel.h"
#include "datalog/ChartLabels.h"
#include "panel/DisplayGeometry.h"
#include "panel/OutputSwitchImage.h"
#include "panel/PanelPictures.h"
#include "panel/SegmentDisplay.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

using UiParts::Caption;
using UiParts::EditableWithoutCompletion;
using UiParts::Indexed;
using UiParts::Named;
using UiParts::Picture;

QLabel* LcdLabel(const char* name, const QString& text, const QColor& colour, QWidget* parent)
{
    auto* label = Named(new QLabel(text, parent), QLatin1String(name));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

} // namespace

void MainFrmUi::setup(QMainWindow* window)
{
    auto* central = new QWidget(window);
    window->setCentralWidget(central);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(6, 6, 6, 2);
    outer->setSpacing(4);
    buildTopRow(central, outer);

    auto* body = new QHBoxLayout;
    body->setSpacing(6);
    outer->addLayout(body, 1);

    auto* left = new QVBoxLayout;
    body->addLayout(left);
    buildFrontPanel(central, left);
    buildPanelButtons(central, left);

    // The tabs, with the table name panel and the chart ranges under them.
    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);
    buildTabs(central, right);
    buildTableNamePanel(central, right);
    buildChartRanges(central, right);
    buildStatusBar(window);
    chainTabOrder();

    TimerPVC = Named(new QTimer(window), QStringLiteral("TimerPVC"));
    TimerPVC->setSingleShot(true);
    TimerPVC->setInterval(5000);
}

void MainFrmUi::buildTopRow(QWidget* central, QVBoxLayout* outer)
{
    auto* top = new QGridLayout;
    top->setHorizontalSpacing(4);
    CmbAddr = Named(new QComboBox(central), QStringLiteral("CmbAddr"));
    EditableWithoutCompletion(CmbAddr);
    CmbAddr->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 0; i <= 31; ++i)
        CmbAddr->addItem(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
    CmbAddr->setMinimumContentsLength(3);
    TextLocation = Named(new QLineEdit(central), QStringLiteral("TextLocation"));
    TextEngineryD = Named(new QLineEdit(central), QStringLiteral("TextEngineryD"));
    top->addWidget(Caption(QStringLiteral("Address :"), central, CmbAddr), 0, 0);
    top->addWidget(CmbAddr, 0, 1);
    top->addWidget(Caption(QStringLiteral("Location :"), central, TextLocation), 0, 2);
    top->addWidget(TextLocation, 0, 3);
    top->addWidget(Caption(QStringLiteral("Description :"), central, TextEngineryD), 0, 4);
    top->addWidget(TextEngineryD, 0, 5);

    ToolbarSetVolt = Named(new QToolBar(central), QStringLiteral("ToolbarSetVolt"));
    SetVoltAction = ToolbarSetVolt->addAction(QStringLiteral("Set"));
    SetVoltAction->setObjectName(QStringLiteral("ToolbarSetVolt.Button"));
    SetVoltAction->setToolTip(QStringLiteral("Send the voltage set-point"));
    ToolbarSetCurr = Named(new QToolBar(central), QStringLiteral("ToolbarSetCurr"));
    SetCurrAction = ToolbarSetCurr->addAction(QStringLiteral("Set"));
    SetCurrAction->setObjectName(QStringLiteral("ToolbarSetCurr.Button"));
    SetCurrAction->setToolTip(QStringLiteral("Send the current set-point"));
    const char* setpointCaptions[2] = { "Voltage :", "Current :" };
    QToolBar* setpointBars[2] = { ToolbarSetVolt, ToolbarSetCurr };
    auto* setpoints = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        TextSetVC[i] = Named(new QLineEdit(central), Indexed("TextSetVC", i));
        TextSetVC[i]->setMaximumWidth(90);
        setpointBars[i]->setToolButtonStyle(Qt::ToolButtonTextOnly);
        setpointBars[i]->setIconSize(QSize(16, 16));
        setpoints->addWidget(Caption(QLatin1String(setpointCaptions[i]), central, TextSetVC[i]));
        setpoints->addWidget(TextSetVC[i]);
        setpoints->addWidget(setpointBars[i]);
        setpoints->addSpacing(12);
    }
    setpoints->addStretch();
    top->addLayout(setpoints, 1, 0, 1, 6);
    top->setColumnStretch(3, 1);
    top->setColumnStretch(5, 2);
    outer->addLayout(top);
}

void MainFrmUi::buildFrontPanel(QWidget* central, QVBoxLayout* left)
{
    LCD = Named(new QFrame(central), QStringLiteral("LCD"));
    LCD->setFrameShape(QFrame::Panel);
    LCD->setFrameShadow(QFrame::Sunken);
    LCD->setAutoFillBackground(true);
    {
        QPalette p = LCD->palette();
        p.setColor(QPalette::Window, QColor(192, 192, 192));
        LCD->setPalette(p);
    }
    LCD->setMouseTracking(true);
    auto* lcd = new QGridLayout(LCD);
    lcd->setContentsMargins(8, 8, 8, 8);
    lcd->setSpacing(3);
    PD = Named(new SegmentDisplay(kPD.userSpace, LCD), QStringLiteral("PD"));
    PD->setForeground(QColor(0, 112, 0));
    PD->setMinimumSize(136, 200);
    PD->setAccessibleName(QStringLiteral("Readings"));
    lcd->addWidget(PD, 0, 0, 3, 2);
    const QColor darkGreen(0, 112, 0);
    auto* unitV = LcdLabel("LcdUnitV", QStringLiteral("V"), darkGreen, LCD);
    auto* unitA = LcdLabel("LcdUnitA", QStringLiteral("A"), darkGreen, LCD);
    auto* unitW = LcdLabel("LcdUnitW", QStringLiteral("W"), darkGreen, LCD);
    lcd->addWidget(unitV, 0, 2, Qt::AlignBottom);
    lcd->addWidget(unitA, 1, 2, Qt::AlignBottom);
    lcd->addWidget(unitW, 2, 2, Qt::AlignBottom);

    LcdMd[0] = LcdLabel("LcdMd(0)", QStringLiteral("V - const"), darkGreen, LCD);
    LcdMd[1] = LcdLabel("LcdMd(1)", QStringLiteral("I - const"), darkGreen, LCD);
    lcd->addWidget(LcdMd[0], 3, 0);
    lcd->addWidget(LcdMd[1], 3, 1);
    LcdSetting = LcdLabel("LcdSetting", QStringLiteral("(SETTING)"), QColor(64, 64, 64), LCD);
    lcd->addWidget(LcdSetting, 4, 0, 1, 3);
    for (int i = 0; i < 2; ++i) {
        LcdPSetVC[i]
            = Named(new SegmentDisplay(kLcdPSetVC.userSpace, LCD), Indexed("LcdPSetVC", i));
        LcdPSetVC[i]->setMinimumSize(63, 28);
        // Reached with Tab only: a click leaves the focus in the box it was in.
        LcdPSetVC[i]->setFocusPolicy(Qt::TabFocus);
        LcdPSetVC[i]->setAccessibleDescription(
            QStringLiteral("Up +0.1, Down -0.1, Page Up +1.0, Page Down -1.0"));
        lcd->addWidget(LcdPSetVC[i], 5, i);
    }
    LcdPSetVC[0]->setToolTip(QStringLiteral("Left Click +0.1 , Right Click -0.1"));
    LcdPSetVC[1]->setToolTip(QStringLiteral("Left Click +0.01 , Right Click -0.01"));

    auto* lamps = new QHBoxLayout;
    LcdOutput = LcdLabel("LcdOutput", QStringLiteral("OUTPUT"), Qt::black, LCD);
    ImageOnOff = Named(new OutputSwitchImage(LCD), QStringLiteral("ImageOnOff"));
    ImageOnOff->setAccessibleName(QStringLiteral("Output"));
    ImageOnOff->setMouseTracking(true);
    LcdOutput->setMouseTracking(true);
    LcdRemote = LcdLabel("LcdRemote", QStringLiteral("REMOTE"), Qt::black, LCD);
    ImageLock = Picture("ImageLock", LCD);
    ImageConent = Picture("ImageConent", LCD);
    ImageConent->setPixmap(PanelPictures::ConnectionLamp(kLampSize));
    // The poll lamp blinks on every reading. It sits in a socket of its own,
    // outside any layout, so that blinking neither shifts the row nor lays out
    // the whole window again twice a second.
    auto* lampSocket = new QWidget(LCD);
    lampSocket->setFixedSize(kLampSize);
    P_Light = Picture("P_Light", lampSocket);
    P_Light->setGeometry(QRect(QPoint(0, 0), kLampSize));
    P_Light->setPixmap(PanelPictures::PollLamp(kLampSize));
    P_Light->setCursor(Qt::PointingHandCursor);
    lamps->addWidget(LcdOutput);
    lamps->addWidget(ImageOnOff);
    lamps->addStretch();
    lamps->addWidget(LcdRemote);
    lamps->addWidget(ImageConent);
    lamps->addWidget(ImageLock);
    lamps->addWidget(lampSocket);
    lcd->addLayout(lamps, 6, 0, 1, 3);
    LcdTimer = LcdLabel("LcdTimer", QStringLiteral("Timer  02:34"), QColor(64, 64, 64), LCD);
    lcd->addWidget(LcdTimer, 7, 0, 1, 3);
    LcdRemote->hide();
    ImageConent->hide();
    left->addWidget(LCD);
}

void MainFrmUi::buildPanelButtons(QWidget* central, QVBoxLayout* left)
{
    Picture3 = Named(new QWidget(central), QStringLiteral("Picture3"));
    auto* buttons = new QGridLayout(Picture3);
    buttons->setContentsMargins(0, 0, 0, 0);
    CmdRS
        = Named(new QPushButton(QStringLiteral("Read Fro PS"), Picture3), QStringLiteral("CmdRS"));
    CmdSS = Named(new QPushButton(QStringLiteral("Save To PS"), Picture3), QStringLiteral("CmdSS"));
    CmdCT
        = Named(new QPushButton(QStringLiteral("Clear Table"), Picture3), QStringLiteral("CmdCT"));
    CmdRunStop
        = Named(new QPushButton(QStringLiteral("Run"), Picture3), QStringLiteral("CmdRunStop"));
    buttons->addWidget(CmdRS, 0, 0);
    buttons->addWidget(CmdSS, 0, 1);
    buttons->addWidget(CmdCT, 1, 0);
    buttons->addWidget(CmdRunStop, 1, 1);
    left->addWidget(Picture3);
    left->addStretch();
}

void MainFrmUi::buildTableNamePanel(QWidget* central, QVBoxLayout* right)
{
    Picture2 = Named(new QWidget(central), QStringLiteral("Picture2"));
    auto* names = new QGridLayout(Picture2);
    names->setContentsMargins(0, 0, 0, 0);
    names->setHorizontalSpacing(4);
    names->setVerticalSpacing(2);
    LabelTableName = Named(
        new QLabel(QStringLiteral("Table Name :"), Picture2), QStringLiteral("LabelTableName"));
    LabelTableDescription = Named(new QLabel(QStringLiteral("Table Description"), Picture2),
        QStringLiteral("LabelTableDescription"));
    LabelCycle = Named(
        new QLabel(QStringLiteral("Running Cycle :"), Picture2), QStringLiteral("LabelCycle"));
    names->addWidget(LabelTableName, 0, 0);
    names->addWidget(LabelTableDescription, 1, 0);
    for (int t = 0; t < 4; ++t) {
        CmbTableName[t] = Named(new QComboBox(Picture2), Indexed("CmbTableName", t));
        EditableWithoutCompletion(CmbTableName[t]);
        CmbTableName[t]->setInsertPolicy(QComboBox::NoInsert);
        CmbTableName[t]->addItem(QStringLiteral("(Untitle)"));
        CmbTableName[t]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        // One name box and one description box per tab, all at one place.
        names->addWidget(CmbTableName[t], 0, 1);
        TextTableD[t] = Named(new QLineEdit(Picture2), Indexed("TextTableD", t));
        names->addWidget(TextTableD[t], 1, 1, 1, 4);
    }
    names->addWidget(LabelCycle, 0, 2);
    for (int i = 0; i < 2; ++i) {
        TextCycle[i] = Named(new QLineEdit(QStringLiteral("1"), Picture2), Indexed("TextCycle", i));
        TextCycle[i]->setMaximumWidth(50);
        names->addWidget(TextCycle[i], 0, 3);
    }
    Toolbar2 = Named(new QToolBar(Picture2), QStringLiteral("Toolbar2"));
    Toolbar2->setIconSize(QSize(20, 20));
    const QStyle::StandardPixmap icons[6] = { QStyle::SP_CustomBase, QStyle::SP_DialogSaveButton,
        QStyle::SP_DriveFDIcon, QStyle::SP_DialogOpenButton, QStyle::SP_TrashIcon,
        QStyle::SP_FileDialogDetailedView };
    const char* toolbarTexts[6] = { "", "Save", "Export", "Import", "Delete", "Print" };
    std::array<QAction*, 6> actions {};
    for (int i = 1; i <= 5; ++i) {
        actions[i] = Toolbar2->addAction(
            Toolbar2->style()->standardIcon(icons[i]), QLatin1String(toolbarTexts[i]));
        actions[i]->setObjectName(Indexed("Toolbar2.Buttons", i));
    }
    saveButton = actions[1];
    exportButton = actions[2];
    importButton = actions[3];
    deleteButton = actions[4];
    printButton = actions[5];
    names->addWidget(Toolbar2, 0, 4);
    names->setColumnStretch(1, 1);
    right->addWidget(Picture2);
}

void MainFrmUi::buildStatusBar(QMainWindow* window)
{
    StatusBar1 = Named(new QStatusBar(window), QStringLiteral("StatusBar1"));
    window->setStatusBar(StatusBar1);
    StatusBar1->setSizeGripEnabled(true);
    for (int k = 1; k <= 8; ++k) {
        Panels[k]
            = Named(new StatusPanel(StatusBar1), QStringLiteral("StatusBar1.Panels(%1)").arg(k));
        Panels[k]->setFrameShape(QFrame::Panel);
        Panels[k]->setFrameShadow(QFrame::Sunken);
        // Only the description takes the spare width; a narrow window cuts
        // it first and leaves the short panels whole.
        StatusBar1->addWidget(Panels[k], k == static_cast<int>(StatusField::Description) ? 1 : 0);
    }
    setPanel(StatusField::Location, QStringLiteral("Location : "));
    setPanel(StatusField::Description, QStringLiteral("Power Supply Description :"));
}

void MainFrmUi::chainTabOrder()
{
    // Tab runs top to bottom, left to right: the boxes above the tabs, the front
    // panel and its buttons, the tabs with the page shown (hidden pages are
    // passed over), the table name panel, the chart ranges.
    QList<QWidget*> tabOrder { CmbAddr, TextLocation, TextEngineryD, TextSetVC[0], TextSetVC[1],
        LcdPSetVC[0], LcdPSetVC[1], ImageOnOff, CmdRS, CmdSS, CmdCT, CmdRunStop, Tab1, FGridP,
        TextP, FGridE, TextE, FGridM, TextM };
    for (int k = 1; k < static_cast<int>(Option1.size()); ++k)
        tabOrder << Option1[static_cast<std::size_t>(k)];
    tabOrder << Option2[0] << Option2[1] << CboPort << CboAS << TextUVL << TextUCL << CmdDefault
             << CmdOK << CmbTableName[0] << CmbTableName[1] << CmbTableName[2] << CmbTableName[3]
             << TextCycle[0] << TextCycle[1] << TextTableD[0] << TextTableD[1] << TextTableD[2]
             << TextTableD[3] << CmbVMax << CmbCMax << CmbWMax << CmbTMin << CmbVMin << CmbCMin
             << CmbWMin << CmbTLen;
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void MainFrmUi::showChartLabels(const ChartLabels& labels)
{
    for (std::size_t k = 0; k < 3; ++k) {
        PLabV[k]->setText(labels.PLabV[k]);
        PLabC[k]->setText(labels.PLabC[k]);
        PLabW[k]->setText(labels.PLabW[k]);
        PLabT[k]->setText(labels.PLabT[k]);
    }
}

void MainFrmUi::setPanel(StatusField field, const QString& text)
{
    panel(field)->setPanelText(text);
}

StatusPanel* MainFrmUi::panel(StatusField field) const
{
    return Panels[static_cast<std::size_t>(field)];
}

std::array<QAction*, 5> MainFrmUi::storageButtons() const
{
    return { saveButton, exportButton, importButton, deleteButton, printButton };
}

Tab MainFrmUi::currentTab() const
{
    return static_cast<Tab>(Tab1->currentIndex());
}
