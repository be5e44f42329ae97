#include "app/MainFrm.h"

#include "app/DataLogTab.h"
#include "app/FrontPanelControls.h"
#include "app/KeyboardAccess.h"
#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/Printing.h"
#include "app/Prompts.h"
#include "app/RunnerControls.h"
#include "app/SetpointBoxes.h"
#include "app/SettingsPage.h"
#include "app/StepGrid.h"
#include "app/StorageActions.h"
#include "core/Clock.h"
#include "core/Numbers.h"
#include "device/CommandSet.h"
#include "device/PortMap.h"
#include "device/SerialTransport.h"
#include "panel/FrontPanel.h"
#include "panel/PanelColours.h"
#include "panel/PanelPictures.h"
#include "panel/SegmentDisplay.h"
#include "panel/SetpointEntry.h"
#include "programs/ProgramTable.h"
#include "programs/TableRules.h"
#include "session/PortLock.h"
#include "storage/OvoltaDatabase.h"
#include "storage/StoredTables.h"
#include "storage/SupplyList.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr QSize kLampSize = MainFrmUi::kLampSize;

// Twips to pixels: 15 twips a pixel on a 96-dpi screen.
int TwipsToPixels(int twips, const QWidget* widget)
{
    const double dpi = widget->logicalDpiX() > 0 ? widget->logicalDpiX() : 96.0;
    return static_cast<int>(std::lround(twips / 15.0 * dpi / 96.0));
}

QString Joined(const QString& caption, const QString& value)
{
    return caption + QStringLiteral(" : ") + value;
}

} // namespace

MainFrm::MainFrm(const MainFrmDeps& deps, QWidget* parent)
    : QMainWindow(parent)
    , m_clock(deps.clock)
    , m_session(deps.transport, deps.timers, deps.timing)
    , m_dataFolder(deps.dataFolder)
    , m_databaseBusyTimeout(deps.databaseBusyTimeout)
    , m_portLock(deps.portLock)
    , m_prompts(deps.prompts)
    , m_tableP(std::make_unique<ProgramTable>(TableKind::Itp))
    , m_tableE(std::make_unique<ProgramTable>(TableKind::Etp))
    , m_tableM(std::make_unique<ProgramTable>(TableKind::Ipm))
    , m_pacing(deps.clock)
{
    setObjectName(QStringLiteral("MainFrm"));
    m_session.setPortClaim(m_portLock);
    m_session.usePresetTable(*m_tableM);
    ui.setup(this);
    if (!m_prompts) {
        m_ownPrompts = std::make_unique<QtPrompts>(this);
        m_prompts = m_ownPrompts.get();
    }
    const auto parts = [this](QTableView* grid, QLineEdit* editor, ProgramTable& table) {
        return TableGrid::Parts { grid, editor, table, m_session, ui.Tab1, *m_prompts };
    };
    m_gridP = new TableGrid(TableKind::Itp, parts(ui.FGridP, ui.TextP, *m_tableP), this);
    m_gridE = new StepGrid(parts(ui.FGridE, ui.TextE, *m_tableE), ui.OutputCK, this);
    m_gridM = new PresetGrid(parts(ui.FGridM, ui.TextM, *m_tableM), ui.Option1, this);
    m_runner = new RunnerControls(m_session, *m_gridE, *m_tableP,
        { ui.Tab1, ui.CmdRunStop, ui.TextCycle, ui.LabelCycle,
            { ui.CmdRS, ui.CmdSS, ui.CmdCT, ui.CmbTableName[TabSlot(Tab::ExternalProgram)] } },
        this);
    m_presetControls = new PresetControls(
        m_session, *m_gridM, { ui.Tab1, ui.CmdRS, ui.CmdSS, ui.CmdRunStop }, this);
    m_setpoints = new SetpointBoxes(m_session, ui, *m_prompts, this);
    m_frontPanel = new FrontPanelControls(m_session, ui, S.LogSamples, this);
    m_settings = new SettingsPage(ui, S, { m_session, *m_prompts, m_pacing, m_portLock }, this);
    m_storage = new StorageActions(
        ui, S, { *m_tableP, *m_tableE, *m_tableM }, m_session, m_clock, *m_prompts, this);
    m_dataLog = new DataLogTab(ui, S, { m_session, m_chart, m_pacing }, this);
    setMouseTracking(true);
    centralWidget()->setMouseTracking(true);

    wireEvents();
    wireSession();
}

MainFrm::~MainFrm()
{
    // The controllers go before the tables and the session they hold.
    for (QObject* controller : std::initializer_list<QObject*> { m_dataLog, m_settings, m_storage,
             m_frontPanel, m_setpoints, m_presetControls, m_runner, m_gridM, m_gridE, m_gridP })
        delete controller;
}

// ---------------------------------------------------------------- start-up

bool MainFrm::StartUp(QString* error)
{
    ui.CmbAddr->setEditText(QStringLiteral("00"));

    Outcome<std::unique_ptr<OvoltaDatabase>> opened = OvoltaDatabase::OpenDatabase(
        m_dataFolder, m_databaseBusyTimeout.value_or(OvoltaDatabase::kBusyTimeout));
    if (!opened) {
        if (error)
            *error = opened.error();
        return false;
    }
    m_db = std::move(opened).value();
    m_storage->setDatabase(m_db.get());
    m_settings->setDatabase(m_db.get());
    S.CommPortNo = m_db->CommPort();

    ApplyLanguage(0);

    m_frontPanel->reset();
    setupGrids();
    {
        const QStringList cMin = ChartRangeRules::CMinItems();
        const QStringList cMax = ChartRangeRules::CMaxItems();
        ui.CmbCMin->addItems(cMin);
        ui.CmbCMax->addItems(cMax);
        ui.CmbVMax->addItems(ChartRangeRules::VMaxItems());
        ui.CmbVMin->addItems(ChartRangeRules::VMinItems());
        ui.CmbWMax->addItems(ChartRangeRules::WMaxItems());
        ui.CmbWMin->addItems(ChartRangeRules::WMinItems());
        ui.CmbTMin->addItems(ChartRangeRules::TMinItems());
        ui.CmbTLen->addItems(ChartRangeRules::TLenItems());
        ui.showChartLabels(ChartRangeRules::InitialLabels());
    }
    S.CurAddress = QStringLiteral("00");
    m_gridM->placeOverlay();

    S.SampleTime = 3;
    m_frontPanel->ClearHoverHighlights();
    m_storage->RefreshTableLists();
    ui.CboAS->setCurrentIndex(2);

    ui.Tab1->setCurrentIndex(TabIndex(Tab::ExternalProgram));
    ui.setPanel(StatusField::Version,
        QStringLiteral("Ver : %1.%2").arg(OVOLTA_VERSION_MAJOR).arg(OVOLTA_VERSION_MINOR));

    // The ports that open, and among them, from the highest, the first with a
    // supply; without one, the port of the last run is connected.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_session.startPolling();
    m_session.listPorts([this](const QList<int>& ports) {
        fillPortList(ports);
        m_session.searchPorts(ports, [this](std::optional<int> found) {
            if (found)
                S.CommPortNo = *found;
            ui.CboPort->setCurrentIndex(ui.CboPort->findData(S.CommPortNo));
            ConnectSupply();
            QApplication::restoreOverrideCursor();
        });
    });
    return true;
}

void MainFrm::RequestQuit()
{
    close();
}

void MainFrm::fillPortList(const QList<int>& ports)
{
    ui.CboPort->clear();
    for (const int port : ports)
        ui.CboPort->addItem(PortMap::PortName(port), port);
}

void MainFrm::RefreshPortList()
{
    m_session.listPorts([this](const QList<int>& ports) {
        const QVariant chosen = ui.CboPort->currentData();
        fillPortList(ports);
        ui.CboPort->setCurrentIndex(ui.CboPort->findData(chosen));
    });
}

void MainFrm::ApplyLanguage(int language)
{
    if (language == 0) {
        m_runner->applyLanguage();
        m_storage->applyLanguage();
        ui.setPanel(StatusField::Address, Joined(m_captions.address, S.CurAddress));
    }
    if (m_db) {
        if (const Outcome<void> stored = m_db->storeLanguage(language); !stored)
            m_prompts->tell(stored.error());
    }
}

void MainFrm::setupGrids()
{
    for (auto [view, table] : { std::pair { ui.FGridP, m_tableP.get() },
             std::pair { ui.FGridE, m_tableE.get() }, std::pair { ui.FGridM, m_tableM.get() } }) {
        view->hide();
        table->cutToHeader();
        view->setModel(table);
        for (int c = 0; c < table->columns(); ++c)
            view->setColumnWidth(c, TwipsToPixels(table->columnWidthTwips(c), view));
        view->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
        view->show();
    }
}

// ---------------------------------------------------------------- connection

void MainFrm::wireSession()
{
    connect(&m_session, &SupplySession::connectionDone, this, &MainFrm::supplyConnected);
    connect(&m_session, &SupplySession::ended, this, &MainFrm::sessionEnded);
}

void MainFrm::ConnectSupply()
{
    // A new connection puts the default steps into the program table: a
    // program still running on the old one ends first.
    m_session.stopProgram();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    S.LogSamples.markEmpty();

    // The labels remembered for the chosen address.
    S.CurDescription.clear();
    S.CurLocation.clear();
    if (m_db) {
        const SupplyList::Labels labels = SupplyList(*m_db).labels(ui.CmbAddr->currentText());
        if (labels.found) {
            S.CurDescription = labels.description;
            S.CurLocation = labels.location;
        }
    }
    ui.TextEngineryD->setText(S.CurDescription);
    ui.TextLocation->setText(S.CurLocation);
    ui.setPanel(StatusField::Location, Joined(m_captions.location, S.CurLocation));
    ui.setPanel(StatusField::Description, Joined(m_captions.description, S.CurDescription));

    m_session.connectTo(S.CommPortNo);
}

void MainFrm::supplyConnected()
{
    const SupplyState& P = m_session.state();
    if (P.connected) {
        S.CurAddress = ui.CmbAddr->currentText();
        ui.setPanel(StatusField::Address, Joined(m_captions.address, S.CurAddress));
        ui.setPanel(StatusField::MaxVoltage,
            Joined(m_captions.maxV, Numbers::ShortestForm(P.maxVolt) + u'V'));
        ui.setPanel(StatusField::MaxCurrent,
            Joined(m_captions.maxC, Numbers::FormatSingle(P.maxCurr, P.currFormat) + u'A'));
        ui.setPanel(StatusField::Sampling,
            Joined(m_captions.nowSampling, QString::number(S.SampleTime) + u'S'));
        setStatusLimits();
        m_settings->ShowLimits();
        if (P.remote) {
            ui.ImageLock->setPixmap(PanelPictures::ImageListPicture(9, kLampSize));
            ui.LcdRemote->show();
            ui.ImageConent->show();
        }

        for (QLineEdit* box : ui.TextSetVC)
            box->setEnabled(true);
        m_gridE->initTable();
        for (QWidget* w :
            std::initializer_list<QWidget*> { ui.CmdRS, ui.CmdSS, ui.CmdCT, ui.CmbVMin, ui.CmbVMax,
                ui.CmbCMin, ui.CmbCMax, ui.CmbWMin, ui.CmbWMax, ui.CmbTMin, ui.CmbTLen })
            w->setEnabled(true);

        m_dataLog->resetRanges(true, P);
        // Drawn once the supply has told its set-points: earlier they would
        // show the previous supply's.
        m_frontPanel->DrawSetpointDisplay(0, false);
        m_frontPanel->DrawSetpointDisplay(1, false);
        setWindowTitle(CommandSet::RatingTitle(P.modelCode));
    } else {
        m_frontPanel->setLcdVisible(false);
        ui.setPanel(StatusField::Address, Joined(m_captions.address, S.CurAddress));
        ui.setPanel(StatusField::MaxVoltage, Joined(m_captions.maxV, QStringLiteral("0V")));
        ui.setPanel(StatusField::MaxCurrent, Joined(m_captions.maxC, QStringLiteral("0A")));
        ui.setPanel(StatusField::Sampling,
            Joined(m_captions.nowSampling, QString::number(S.SampleTime) + u'S'));
        ui.setPanel(StatusField::Limits, m_captions.noConnection);
        m_tableP->cutToHeader();
        m_tableE->cutToHeader();
        m_tableM->cutToHeader();
        m_gridE->placeOverlay();
        for (QWidget* w : std::initializer_list<QWidget*> { ui.CmdRunStop, ui.CmdRS, ui.CmdSS,
                 ui.CmdCT, ui.CmbVMin, ui.CmbVMax, ui.CmbCMin, ui.CmbCMax, ui.CmbWMin, ui.CmbWMax,
                 ui.CmbTMin, ui.CmbTLen, ui.TextSetVC[0], ui.TextSetVC[1] })
            w->setEnabled(false);
        m_dataLog->resetRanges(false, P);
        setWindowTitle(QStringLiteral("Rating: "));
    }

    m_gridM->showSelectorsOfRows();
    S.LogSamples.markEmpty();

    m_dataLog->startLiveLog();

    const float v = static_cast<float>(Numbers::LeadingNumber(P.setVoltText));
    const float c = static_cast<float>(Numbers::LeadingNumber(P.setCurrText));
    if (v > 0 && c > 0) {
        ui.TextSetVC[0]->setText(Numbers::FormatSingle(v, u"0.0V"));
        ui.TextSetVC[1]->setText(Numbers::FormatSingle(c, P.currFormat) + u'A');
    } else {
        ui.TextSetVC[0]->setText(QStringLiteral("0.0V"));
        ui.TextSetVC[1]->setText(P.currFormat + u'A');
    }
    const bool acceptable
        = SetpointEntry::KeyReleased(ui.TextSetVC[0]->text(), ui.TextSetVC[1]->text(), P.uvl, P.ucl)
              .acceptable;
    const QColor colour = acceptable ? QColor(PanelColours::kAccepted) : QColor(Qt::black);
    for (QLineEdit* box : ui.TextSetVC) {
        QPalette p = box->palette();
        p.setColor(QPalette::Text, colour);
        box->setPalette(p);
    }
    QApplication::restoreOverrideCursor();
}

void MainFrm::DisconnectSupply()
{
    ui.TimerPVC->stop();
    m_session.disconnect([this](bool acknowledged) {
        if (acknowledged)
            ui.ImageLock->setPixmap(PanelPictures::ImageListPicture(10, kLampSize));
    });
    ui.LcdRemote->hide();
    ui.ImageConent->hide();
}

void MainFrm::setStatusLimits()
{
    const SupplyState& P = m_session.state();
    ui.setPanel(StatusField::Limits,
        Joined(m_captions.uvl, Numbers::ShortestForm(P.uvl)) + QStringLiteral("V , ")
            + Joined(m_captions.ucl, Numbers::ShortestForm(P.ucl)) + u'A');
}

void MainFrm::DrawChart()
{
    m_dataLog->draw();
}

// ---------------------------------------------------------------- events

void MainFrm::wireEvents()
{
    m_setpoints->wire();
    m_settings->wire();
    m_storage->wire();
    m_dataLog->wire();
    connect(m_runner, &RunnerControls::runningChanged, m_storage, &StorageActions::updateButtons);
    connect(m_storage, &StorageActions::externalProgramChanged, m_gridE, &StepGrid::tableReplaced);
    connect(m_storage, &StorageActions::presetsChanged, this, [this] {
        m_gridM->placeOverlay();
        m_gridM->check();
    });
    connect(m_storage, &StorageActions::presetsEmptied, m_gridM, &PresetGrid::hideSelectors);
    connect(m_storage, &StorageActions::tableCleared, this, [this](Tab tab) {
        if (tab == Tab::ExternalProgram)
            m_gridE->clear();
        else if (tab == Tab::Presets)
            m_gridM->clear();
    });
    connect(m_storage, &StorageActions::storedLogChanged, m_dataLog, &DataLogTab::draw);
    connect(m_storage, &StorageActions::printRequested, this,
        [this] { Printing::PrintWithDialog(*this); });
    connect(m_settings, &SettingsPage::portListWanted, this, &MainFrm::RefreshPortList);
    connect(m_settings, &SettingsPage::portChanged, this, [this] {
        // The supply left behind goes back to local mode before another is looked for.
        if (supply().maxVolt > 0)
            DisconnectSupply();
        ConnectSupply();
    });
    connect(m_settings, &SettingsPage::limitsApplied, this, [this] {
        setStatusLimits();
        m_gridM->check();
    });
    connect(ui.Tab1, &QTabWidget::currentChanged, this, [this] { showTab(ui.currentTab()); });
    (new KeyboardAccess(ui, this))->wire();
}

void MainFrm::showTab(Tab tab)
{
    for (TableGrid* grid :
        { m_gridP, static_cast<TableGrid*>(m_gridE), static_cast<TableGrid*>(m_gridM) })
        grid->tabShown(tab);
    ui.Picture4->setVisible(tab == Tab::DataLog);
    m_runner->tabShown(tab);
    m_presetControls->tabShown(tab);
    if (tab == Tab::DataLog)
        DrawChart();
    m_storage->tabShown(tab);
}

void MainFrm::mouseMoveEvent(QMouseEvent* event)
{
    m_frontPanel->ClearHoverHighlights();
    QMainWindow::mouseMoveEvent(event);
}

void MainFrm::Form_Activate()
{
    if (m_activated)
        return;
    m_activated = true;
    ui.Tab1->setTabEnabled(TabIndex(Tab::InternalProgram), false);
    m_frontPanel->DrawSetpointDisplay(0, false);
    m_frontPanel->DrawSetpointDisplay(1, false);
}

void MainFrm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    QMainWindow::changeEvent(event);
}

void MainFrm::showEvent(QShowEvent* event)
{
    // Without a window manager the window may never become active; being shown
    // counts as the first activation.
    // The smallest window is 11910 x 6690 twips (15 twips a pixel at 96 dpi),
    // or larger where the controls need more.
    setMinimumSize(
        QSize(TwipsToPixels(11910, this), TwipsToPixels(6690, this)).expandedTo(minimumSizeHint()));
    QMainWindow::showEvent(event);
    Form_Activate();
}

void MainFrm::closeEvent(QCloseEvent* event)
{
    // The exchange under way finishes and "ENDS" is the last line the supply
    // gets; the window closes once the session has ended.
    shutDown();
    if (!m_ended) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainFrm::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_session.end();
}

void MainFrm::sessionEnded(bool acknowledged)
{
    if (acknowledged)
        ui.ImageLock->setPixmap(PanelPictures::ImageListPicture(10, kLampSize));
    ui.LcdRemote->hide();
    ui.ImageConent->hide();
    m_ended = true;
    // Closed from a close request that had to wait: close now.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    Q_EMIT finished();
}
