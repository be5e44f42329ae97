#include "app/MainFrm.h"

#include "app/DataLogTab.h"
#include "app/KeyboardAccess.h"
#include "app/ProgramTabs.h"
#include "app/SetpointBoxes.h"
#include "app/SettingsPage.h"
#include "app/StorageActions.h"
#include "core/Clock.h"
#include "core/Numbers.h"
#include "datalog/ChartGeometry.h"
#include "datalog/ChartWidget.h"
#include "datalog/SamplingStatus.h"
#include "device/CommandSet.h"
#include "device/PortMap.h"
#include "device/SerialTransport.h"
#include "panel/FrontPanel.h"
#include "panel/OutputSwitchImage.h"
#include "panel/PanelColours.h"
#include "panel/PanelPictures.h"
#include "panel/SegmentDisplay.h"
#include "panel/SetpointClicks.h"
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
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr QSize kSwitchPictureSize(44, 22);
constexpr int kGmodTries = 3;
constexpr int kLineBusyRetryMs = 20;
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

// A number as the user may type it, with a decimal comma or point.
double typedNumber(const QString& text)
{
    return Numbers::LeadingNumber(Numbers::FutComma(text));
}

} // namespace

MainFrm::MainFrm(const MainFrmDeps& deps, QWidget* parent)
    : QMainWindow(parent)
    , m_transport(deps.transport)
    , m_clock(deps.clock)
    , m_link(deps.transport, deps.waiter, deps.timing)
    , m_dataFolder(deps.dataFolder)
    , m_databaseBusyTimeout(deps.databaseBusyTimeout)
    , m_portLock(deps.portLock)
    , m_tableP(std::make_unique<ProgramTable>(TableKind::Itp))
    , m_tableE(std::make_unique<ProgramTable>(TableKind::Etp))
    , m_tableM(std::make_unique<ProgramTable>(TableKind::Ipm))
    , m_pacing(deps.clock)
{
    setObjectName(QStringLiteral("MainFrm"));
    ui.setup(this);
    m_programs = std::make_unique<ProgramTabs>(*this, ui, S);
    m_setpoints = std::make_unique<SetpointBoxes>(*this, ui, S);
    m_settings = std::make_unique<SettingsPage>(*this, ui, S);
    m_storage = std::make_unique<StorageActions>(*this, ui, S);
    m_dataLog = std::make_unique<DataLogTab>(*this, ui, S);
    setMouseTracking(true);
    centralWidget()->setMouseTracking(true);

    wireEvents();
}

MainFrm::~MainFrm() = default;

// ---------------------------------------------------------------- start-up

bool MainFrm::StartUp(QString* error)
{
    // A quit asked for while the port search or the connection waits ends
    // start-up after that step.
    const QScopedValueRollback startingUp(m_startingUp, true);
    ui.CmbAddr->setEditText(QStringLiteral("00"));
    S.CurrScale = 10;
    S.CurrFormat = QStringLiteral("0.0");

    Outcome<std::unique_ptr<OvoltaDatabase>> opened = OvoltaDatabase::OpenDatabase(
        m_dataFolder, m_databaseBusyTimeout.value_or(OvoltaDatabase::kBusyTimeout));
    if (!opened) {
        if (error)
            *error = opened.error();
        return false;
    }
    m_db = std::move(opened).value();
    S.CommPortNo = m_db->CommPort();

    if (m_link.isOpen())
        m_link.close();
    enumeratePorts();
    searchPorts();
    if (m_quitRequested)
        return true;

    ApplyLanguage(0);

    m_switch = OutputSwitch();
    showSwitchPicture();
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
    m_programs->PlacePresetSelectors();

    S.SampleTime = 3;
    ClearHoverHighlights();
    QApplication::restoreOverrideCursor();
    m_storage->RefreshTableLists();

    if (m_transport.portNumber() != S.CommPortNo) {
        if (m_link.isOpen())
            m_link.close();
        m_link.setPortNumber(S.CommPortNo);
    }
    ui.CboAS->setCurrentIndex(2);

    ui.Tab1->setCurrentIndex(1);
    ui.setPanel(
        8, QStringLiteral("Ver : %1.%2").arg(OVOLTA_VERSION_MAJOR).arg(OVOLTA_VERSION_MINOR));

    ConnectSupply();
    if (m_quitRequested)
        shutDown();
    return true;
}

void MainFrm::RequestQuit()
{
    m_quitRequested = true;
    if (!m_startingUp)
        close();
}

void MainFrm::enumeratePorts()
{
    ui.CboPort->clear();
    for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n) {
        // Another program's port is there, and is listed so that choosing it
        // says who has it; opened, it could fail that program's next exchange.
        if (!portRefusal(n).isEmpty()) {
            ui.CboPort->addItem(PortMap::PortName(n), n);
            continue;
        }
        m_link.setPortNumber(n);
        if (m_link.open()) {
            ui.CboPort->addItem(PortMap::PortName(n), n);
            m_link.close();
        }
    }
}

bool MainFrm::retryWhileLineBusy(const QObject* context, std::function<void()> retry)
{
    if (!lineBusy())
        return false;
    QTimer::singleShot(kLineBusyRetryMs, context, std::move(retry));
    return true;
}

void MainFrm::showWhenLineFree(std::function<void()> show)
{
    m_waitingBoxes.push_back(std::move(show));
    // One box already waits or is open: this one follows it.
    if (m_waitingBoxes.size() == 1)
        showWaitingBoxes();
}

void MainFrm::showWaitingBoxes()
{
    if (retryWhileLineBusy(this, [this] { showWaitingBoxes(); }))
        return;
    while (!m_waitingBoxes.empty()) {
        m_waitingBoxes.front()();
        m_waitingBoxes.pop_front();
    }
}

void MainFrm::tell(const QString& text)
{
    showWhenLineFree([this, text] {
        QMessageBox box(
            QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, this);
        box.exec();
    });
}

void MainFrm::RefreshPortList()
{
    // Listing opens each port: never in the middle of an exchange.
    if (retryWhileLineBusy(this, [this] { RefreshPortList(); }))
        return;
    const QVariant chosen = ui.CboPort->currentData();
    const int linkPort = m_transport.portNumber();
    enumeratePorts();
    m_link.setPortNumber(linkPort);
    ui.CboPort->setCurrentIndex(ui.CboPort->findData(chosen));
}

void MainFrm::searchPorts()
{
    // Each entry of the port list carries its port number (enumeratePorts).
    for (int i = ui.CboPort->count() - 1; i >= 0; --i) {
        if (m_quitRequested)
            return;
        const int port = ui.CboPort->itemData(i).toInt();
        if (!claimPort(port))
            continue;
        m_link.setPortNumber(port);
        m_link.open();
        S.LastReply = m_link.FutComm(QStringLiteral("GMAX"), QString());
        if (CommandSet::ScanAcknowledged(S.LastReply)) {
            ui.CboPort->setCurrentIndex(i);
            S.CommPortNo = port;
            return;
        }
        m_link.close();
        releasePort();
    }
    ui.CboPort->setCurrentIndex(ui.CboPort->findData(S.CommPortNo));
    m_link.setPortNumber(S.CommPortNo);
}

QString MainFrm::portRefusal(int port) const
{
    return m_portLock ? m_portLock->refusalFor(port) : QString();
}

bool MainFrm::claimPort(int port)
{
    return !m_portLock || m_portLock->claim(port);
}

void MainFrm::releasePort()
{
    if (m_portLock)
        m_portLock->release();
}

void MainFrm::ApplyLanguage(int language)
{
    if (language == 0) {
        const Captions& c = m_captions;
        ui.CmdRunStop->setText(c.run);
        ui.LabelTableName->setText(c.tableName + QStringLiteral(":"));
        ui.LabelTableDescription->setText(c.tableDescription + QStringLiteral(":"));
        ui.Toolbar2Buttons[1]->setToolTip(QStringLiteral("Save to data of Ovolta"));
        ui.Toolbar2Buttons[2]->setToolTip(QStringLiteral("Save a file of csv type"));
        ui.Toolbar2Buttons[3]->setToolTip(QStringLiteral("Open a file of csv type"));
        ui.Toolbar2Buttons[4]->setToolTip(QStringLiteral("Delete for data of Ovolta"));
        ui.Toolbar2Buttons[5]->setToolTip(QStringLiteral("Print"));
        ui.setPanel(1, Joined(c.address, S.CurAddress));
    }
    if (m_db) {
        if (const Outcome<void> stored = m_db->storeLanguage(language); !stored)
            tell(stored.error());
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

void MainFrm::ConnectSupply()
{
    const Sequence sequence(*this);
    // A new connection puts the default steps into the program table: a
    // program still running on the old one ends first.
    m_programs->StopExtProgram();
    // Requests made for the previous supply are not for this one.
    S.TextSetPending = {};
    S.TextSetValue = {};
    S.DragSetPending = {};
    S.OutputTogglePending = false;
    S.PresetUploadPending = false;
    S.PresetReadPending = false;
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
    ui.setPanel(2, Joined(m_captions.location, S.CurLocation));
    ui.setPanel(3, Joined(m_captions.description, S.CurDescription));

    S.Connected = false;
    // A port another program talks on gets nothing: it counts as no supply.
    const bool portClaimed = claimPort(m_link.portNumber());
    const QString gmax
        = portClaimed ? m_link.FutComm(QStringLiteral("GMAX"), QString()) : QString();
    S.LastReply = gmax;
    S.Connected = CommandSet::GmaxAcknowledged(gmax);

    if (S.Connected) {
        // Without a model code the current scale would be guessed, and on a
        // model counting tenths every current would go out ten times too large:
        // the question is asked again before the guess is taken.
        for (int attempt = 0; attempt < kGmodTries; ++attempt) {
            m_link.Delay(0.1);
            S.LastReply = m_link.FutComm(QStringLiteral("GMOD"), QString());
            if (CommandSet::GmodAnswered(S.LastReply))
                break;
        }
        S.ModelCode = CommandSet::GmodAnswered(S.LastReply) ? CommandSet::ModelCode(S.LastReply)
                                                            : QString();
        S.CurrScale = CommandSet::CurrScaleFor(S.ModelCode);
        S.CurrFormat = CommandSet::CurrFormatFor(S.ModelCode);
        const CommandSet::Rating rating = CommandSet::ParseGmax(gmax, S.CurrScale);
        S.MaxVolt = rating.maxVolt;
        S.MaxCurr = rating.maxCurr;
        S.CurAddress = ui.CmbAddr->currentText();
        ui.setPanel(1, Joined(m_captions.address, S.CurAddress));
        ui.setPanel(4, Joined(m_captions.maxV, Numbers::ShortestForm(S.MaxVolt) + u'V'));
        ui.setPanel(
            5, Joined(m_captions.maxC, Numbers::FormatSingle(S.MaxCurr, S.CurrFormat) + u'A'));
        ui.setPanel(6, Joined(m_captions.nowSampling, QString::number(S.SampleTime) + u'S'));

        S.UVL = CommandSet::ParseLimitWithin(
            m_link.FutComm(QStringLiteral("GOVP"), QString()), 10, S.MaxVolt);
        S.UCL = CommandSet::ParseLimitWithin(
            m_link.FutComm(QStringLiteral("GOCP"), QString()), S.CurrScale, S.MaxCurr);
        setStatusLimits();
        m_settings->ShowLimits();

        S.LastReply = m_link.FutComm(QStringLiteral("SESS"), QString());
        if (CommandSet::SessAcknowledged(S.LastReply)) {
            ui.ImageLock->setPixmap(PanelPictures::ImageListPicture(9, kLampSize));
            ui.LcdRemote->show();
            ui.ImageConent->show();
        }

        for (QLineEdit* box : ui.TextSetVC)
            box->setEnabled(true);
        m_programs->InitEtpTable();
        for (QWidget* w :
            std::initializer_list<QWidget*> { ui.CmdRS, ui.CmdSS, ui.CmdCT, ui.CmbVMin, ui.CmbVMax,
                ui.CmbCMin, ui.CmbCMax, ui.CmbWMin, ui.CmbWMax, ui.CmbTMin, ui.CmbTLen })
            w->setEnabled(true);

        applyChartTexts(m_chart.resetForConnection(true, S.MaxVolt, S.MaxCurr, S.CurrFormat));

        S.LastReply = m_link.FutComm(QStringLiteral("GETS"), QString());
        const CommandSet::Setpoints sp
            = CommandSet::ParseGets(S.LastReply, S.CurrScale, S.CurrFormat);
        S.SetVoltText = sp.volt;
        S.SetCurrText = sp.curr;
        // Drawn once the supply has told its set-points: earlier they would
        // show the previous supply's.
        DrawSetpointDisplay(0, false);
        DrawSetpointDisplay(1, false);

        m_programs->ReadPresetMemory();
        setWindowTitle(CommandSet::RatingTitle(S.ModelCode));
    } else {
        setLcdVisible(false);
        S.MaxCurr = 0;
        S.MaxVolt = 0;
        S.UVL = 0;
        ui.setPanel(1, Joined(m_captions.address, S.CurAddress));
        ui.setPanel(4, Joined(m_captions.maxV, QStringLiteral("0V")));
        ui.setPanel(5, Joined(m_captions.maxC, QStringLiteral("0A")));
        ui.setPanel(6, Joined(m_captions.nowSampling, QString::number(S.SampleTime) + u'S'));
        ui.setPanel(7, m_captions.noConnection);
        m_tableP->cutToHeader();
        m_tableE->cutToHeader();
        m_tableM->cutToHeader();
        m_programs->PlaceOutputChecks();
        for (QWidget* w : std::initializer_list<QWidget*> { ui.CmdRunStop, ui.CmdRS, ui.CmdSS,
                 ui.CmdCT, ui.CmbVMin, ui.CmbVMax, ui.CmbCMin, ui.CmbCMax, ui.CmbWMin, ui.CmbWMax,
                 ui.CmbTMin, ui.CmbTLen, ui.TextSetVC[0], ui.TextSetVC[1] })
            w->setEnabled(false);
        applyChartTexts(m_chart.resetForConnection(false, 0, 0, S.CurrFormat));
        setWindowTitle(QStringLiteral("Rating: "));
    }

    for (int k = 1; k <= 9; ++k)
        ui.Option1[k]->setVisible(
            k <= 3 && m_tableM->dataRows() >= k && ui.Tab1->currentIndex() == 2);
    S.LogSamples.markEmpty();

    // The live log starts with the connection.
    m_pacing.restart();
    ui.TimerPVC->start(S.SampleTime * 1000);

    if (portClaimed)
        pollTickBody();
    // Without a supply nothing more goes to the port: it is free for others.
    if (!S.Connected)
        releasePort();

    const float v = static_cast<float>(Numbers::LeadingNumber(S.SetVoltText));
    const float c = static_cast<float>(Numbers::LeadingNumber(S.SetCurrText));
    if (v > 0 && c > 0) {
        ui.TextSetVC[0]->setText(Numbers::FormatSingle(v, u"0.0V"));
        ui.TextSetVC[1]->setText(Numbers::FormatSingle(c, S.CurrFormat) + u'A');
    } else {
        ui.TextSetVC[0]->setText(QStringLiteral("0.0V"));
        ui.TextSetVC[1]->setText(S.CurrFormat + u'A');
    }
    const bool acceptable
        = SetpointEntry::KeyReleased(ui.TextSetVC[0]->text(), ui.TextSetVC[1]->text(), S.UVL, S.UCL)
              .acceptable;
    const QColor colour = acceptable ? QColor(PanelColours::kAccepted) : QColor(Qt::black);
    for (QLineEdit* box : ui.TextSetVC) {
        QPalette p = box->palette();
        p.setColor(QPalette::Text, colour);
        box->setPalette(p);
    }

    if (S.Connected)
        ui.TimerGetD->start();
    else
        ui.TimerGetD->stop();
    QApplication::restoreOverrideCursor();
}

void MainFrm::DisconnectSupply()
{
    ui.TimerPVC->stop();
    S.LastReply = m_link.FutComm(QStringLiteral("ENDS"), QString());
    if (CommandSet::EndsAcknowledged(S.LastReply))
        ui.ImageLock->setPixmap(PanelPictures::ImageListPicture(10, kLampSize));
    ui.LcdRemote->hide();
    ui.ImageConent->hide();
    releasePort();
}

void MainFrm::setStatusLimits()
{
    ui.setPanel(7,
        Joined(m_captions.uvl, Numbers::ShortestForm(S.UVL)) + QStringLiteral("V , ")
            + Joined(m_captions.ucl, Numbers::ShortestForm(S.UCL)) + u'A');
}

void MainFrm::applyChartTexts(const RangeComboTexts& texts)
{
    ui.CmbVMax->setEditText(texts.CmbVMax);
    ui.CmbVMin->setEditText(texts.CmbVMin);
    ui.CmbCMax->setEditText(texts.CmbCMax);
    ui.CmbCMin->setEditText(texts.CmbCMin);
    ui.CmbWMax->setEditText(texts.CmbWMax);
    ui.CmbWMin->setEditText(texts.CmbWMin);
    ui.CmbTMin->setEditText(texts.CmbTMin);
    ui.CmbTLen->setEditText(texts.CmbTLen);
    ui.showChartLabels(m_chart.labels());
}

// ---------------------------------------------------------------- polling

void MainFrm::TimerGetD_Timer()
{
    if (S.MaxVolt > 0)
        PollTick();
}

void MainFrm::PollTick()
{
    // Ticks fire inside the waits and pauses of a running tick or sequence:
    // they do nothing.
    if (lineBusy())
        return;
    const Sequence sequence(*this);
    pollTickBody();
}

void MainFrm::pollTickBody()
{
    // Each request is read when it is sent. A click or an entry that comes
    // during the exchange's wait raises its flag again and is served by the
    // next tick instead of being lost.
    if (S.TextSetPending[0]) {
        const QString sent = S.TextSetValue[0];
        S.TextSetPending[0] = false;
        S.LastReply
            = m_link.FutComm(QStringLiteral("VOLT"), CommandSet::EncodeVoltage(typedNumber(sent)));
        if (CommandSet::SetAcknowledged(S.LastReply)) {
            S.SetVoltText
                = Numbers::FormatNumber(typedNumber(Numbers::WithoutUnit(sent, u'V')), u"0.0");
            DrawSetpointDisplay(0, false);
        } else if (!S.TextSetPending[0] && S.TextSetValue[0] == sent) {
            // Sent again by the next tick, unless another value was applied
            // or the entry was refused meanwhile.
            S.TextSetPending[0] = true;
        }
        return;
    }
    if (S.TextSetPending[1]) {
        const QString sent = S.TextSetValue[1];
        S.TextSetPending[1] = false;
        S.LastReply = m_link.FutComm(
            QStringLiteral("CURR"), CommandSet::EncodeCurrent(typedNumber(sent), S.CurrScale));
        if (CommandSet::SetAcknowledged(S.LastReply)) {
            S.SetCurrText = Numbers::FormatNumber(
                typedNumber(Numbers::WithoutUnit(sent, u'A')), S.CurrFormat);
        }
        DrawSetpointDisplay(1, false);
        return;
    }
    if (S.DragSetPending[0] || S.DragSetPending[1]) {
        if (S.DragSetPending[0]) {
            S.DragSetPending[0] = false;
            S.LastReply = m_link.FutComm(QStringLiteral("VOLT"),
                CommandSet::EncodeVoltage(
                    Numbers::LeadingNumber(Numbers::FutComma(S.SetVoltText))));
        }
        if (S.DragSetPending[1]) {
            S.DragSetPending[1] = false;
            S.LastReply = m_link.FutComm(QStringLiteral("CURR"),
                CommandSet::EncodeCurrent(
                    Numbers::LeadingNumber(Numbers::FutComma(S.SetCurrText)), S.CurrScale));
        }
        return;
    }

    if (S.OutputTogglePending) {
        S.OutputTogglePending = false;
        const bool on = m_switch.isOn();
        S.LastReply = m_link.FutComm(QStringLiteral("SOUT"), CommandSet::SoutParameter(on));
        m_link.Delay(0.1);
        m_switch.switched(!on);
        showSwitchPicture();
    }
    if (m_programs->extProgramRunning() && m_programs->extStepDue())
        m_programs->DispatchExtStep();
    if (S.PresetUploadPending) {
        m_programs->UploadAndRecallPresets();
        DrawSetpointDisplay(0, false);
        DrawSetpointDisplay(1, false);
        S.PresetUploadPending = false;
    }
    if (S.PresetReadPending) {
        m_programs->ReadPresetMemory();
        S.PresetReadPending = false;
    }

    S.LastReply = m_link.FutComm(QStringLiteral("GETD"), QString());
    const auto reading = CommandSet::ParseGetd(S.LastReply, S.CurrScale, S.CurrFormat);
    if (reading) {
        S.VoltReading = reading->volt;
        S.CurrReading = reading->curr;
        S.CvMode = reading->constantVoltage;
        S.LastPollOk = true;
    }
    const double power
        = Numbers::LeadingNumber(S.VoltReading) * Numbers::LeadingNumber(S.CurrReading);
    S.PowerReading = Numbers::FormatNumber(power, u"0.0");
    const double shownPower = Numbers::LeadingNumber(S.PowerReading);
    if (shownPower == std::floor(shownPower))
        S.PowerReading = Numbers::FormatNumber(power, u"0");

    if (!reading) {
        if (!S.LastPollOk) {
            S.VoltReading = QStringLiteral("-1");
            S.CurrReading = QStringLiteral("-1");
            ui.P_Light->hide();
            if (ui.LCD->isVisible() && S.LogSamples.volts[0] == LogSamples::kNoReading)
                setLcdVisible(false);
        }
        S.LastPollOk = false;
        return;
    }
    DrawReadingDisplay();
    ui.LcdMd[0]->setVisible(S.CvMode);
    ui.LcdMd[1]->setVisible(!S.CvMode);
    ui.P_Light->setVisible(ui.P_Light->isHidden());
    if (!ui.LCD->isVisible())
        setLcdVisible(true);
}

void MainFrm::setLcdVisible(bool visible)
{
    // The panel keeps its place in the layout while hidden.
    QSizePolicy policy = ui.LCD->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui.LCD->setSizePolicy(policy);
    ui.LCD->setVisible(visible);
}

// ---------------------------------------------------------------- front panel

void MainFrm::DrawReadingDisplay()
{
    const FrontPanel::ReadingDisplay display
        = FrontPanel::DrawReadingDisplay(S.VoltReading, S.CurrReading, S.PowerReading);
    S.PowerReading = display.powerReading;
    ui.PD->setStrokes(display.strokes);
    ui.PD->setSpokenRows(display.spoken);
}

void MainFrm::DrawSetpointDisplay(int index, bool highlighted)
{
    if (index < 0 || index > 1)
        return;
    SegmentDisplay* display = ui.LcdPSetVC[static_cast<std::size_t>(index)];
    display->setForeground(QColor(FrontPanel::SetpointForeground(highlighted)));
    const QString& text = index == 0 ? S.SetVoltText : S.SetCurrText;
    display->setStrokes(FrontPanel::DrawSetpointDisplay(text));
    display->setSpokenRows({ FrontPanel::SpokenSetpoint(index, text) });
    display->repaint();
}

void MainFrm::showSwitchPicture()
{
    ui.ImageOnOff->setPixmap(
        PanelPictures::ImageListPicture(static_cast<int>(m_switch.picture()), kSwitchPictureSize));
    ui.ImageOnOff->setOutputOn(m_switch.isOn());
    ui.ImageOnOff->setToolTip(m_switch.toolTip());
    ui.LcdOutput->setToolTip(m_switch.toolTip());
    QPalette p = ui.LcdOutput->palette();
    p.setColor(QPalette::WindowText, QColor(m_switch.labelColour()));
    ui.LcdOutput->setPalette(p);
}

bool MainFrm::extProgramRunning() const
{
    return m_programs->extProgramRunning();
}

void MainFrm::ShowOutputState(bool outputOn)
{
    m_switch.shows(outputOn);
    showSwitchPicture();
}

SetpointState MainFrm::setpointState() const
{
    return { S.SetVoltText, S.SetCurrText, S.UVL, S.UCL, S.CurrFormat, extProgramRunning() };
}

void MainFrm::LcdPSetVC_MouseMove(int index)
{
    const SetpointState state = setpointState();
    if (const auto hint = SetpointClicks::HoverHint(index, state)) {
        SegmentDisplay* display = ui.LcdPSetVC[static_cast<std::size_t>(index)];
        display->setToolTip(*hint);
        if (display->foreground() == QColor(Qt::black))
            DrawSetpointDisplay(index, true);
    }
}

void MainFrm::LcdPSetVC_MouseUp(int index, Qt::MouseButton button)
{
    const SetpointState state = setpointState();
    if (const auto text = SetpointClicks::Clicked(index, button, state)) {
        (index == 0 ? S.SetVoltText : S.SetCurrText) = *text;
        S.DragSetPending[static_cast<std::size_t>(index)] = true;
    }
    if (SetpointClicks::ClickHighlights(button, state))
        DrawSetpointDisplay(index, true);
}

void MainFrm::ImageOnOff_Click()
{
    if (OutputSwitch::clickRequestsToggle(extProgramRunning()))
        S.OutputTogglePending = true;
}

void MainFrm::ClearHoverHighlights()
{
    m_switch.clearHover();
    showSwitchPicture();
    for (int i = 0; i < 2; ++i) {
        if (ui.LcdPSetVC[static_cast<std::size_t>(i)]->foreground() != QColor(Qt::black))
            DrawSetpointDisplay(i, false);
    }
}

// ---------------------------------------------------------------- live log

void MainFrm::TimerPVC_Timer()
{
    if (S.Connected) {
        S.LogSamples.record(S.VoltReading, S.CurrReading);
        if (ui.Option2[0]->isChecked())
            DrawChart();
    }
    ui.TimerPVC->start(m_pacing.nextIntervalMs(S.SampleTime));
}

void MainFrm::DrawChart()
{
    const ChartRanges& ranges = m_chart.ranges();
    LogSource source = LogSource::None;
    if (ui.Option2[0]->isChecked())
        source = LogSource::Live;
    else if (ui.Option2[1]->isChecked())
        source = LogSource::Stored;
    ChartTraces traces;
    const bool showing = ui.Tab1->currentIndex() == 3;
    if (source == LogSource::Live)
        traces = ChartGeometry::TraceSegments(S.LogSamples, S.SampleTime, ranges, showing);
    else if (source == LogSource::Stored)
        traces = ChartGeometry::TraceSegments(S.StoredLog, S.StoredLogSampling, ranges, showing);
    ui.PP->setChart(ChartGeometry::GridLines(ranges), traces, ranges);
    if (const auto text = SamplingStatus::Text(source, S.SampleTime, S.StoredLogSampling))
        ui.setPanel(6, *text);
}

// ---------------------------------------------------------------- events

void MainFrm::wireEvents()
{
    m_programs->wire();
    m_setpoints->wire();
    m_settings->wire();
    m_storage->wire();
    m_dataLog->wire();
    connect(ui.TimerGetD, &QTimer::timeout, this, &MainFrm::TimerGetD_Timer);
    connect(ui.TimerPVC, &QTimer::timeout, this, &MainFrm::TimerPVC_Timer);

    for (QWidget* w : std::initializer_list<QWidget*> {
             ui.ImageOnOff, ui.LcdOutput, ui.LCD, ui.Tab1, ui.Picture1, ui.P_Light, ui.Toolbar2 })
        w->installEventFilter(this);
    ui.Toolbar2->setMouseTracking(true);
    for (int i = 0; i < 2; ++i) {
        SegmentDisplay* display = ui.LcdPSetVC[static_cast<std::size_t>(i)];
        connect(display, &SegmentDisplay::hovered, this, [this, i] { LcdPSetVC_MouseMove(i); });
        connect(display, &SegmentDisplay::clicked, this,
            [this, i](Qt::MouseButton button) { LcdPSetVC_MouseUp(i, button); });
    }
    connect(ui.PP, &ChartWidget::mouseMoved, this, [this] { ClearHoverHighlights(); });
    connect(ui.Option2[0], &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            DrawChart();
    });
    connect(ui.Option2[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            DrawChart();
    });
    connect(ui.Tab1, &QTabWidget::currentChanged, this, [this](int) { Tab1_Click(); });
    connect(ui.ImageOnOff, &OutputSwitchImage::keyClicked, this, &MainFrm::ImageOnOff_Click);
    (new KeyboardAccess(ui, this))->wire();
}

void MainFrm::Tab1_Click()
{
    const int tab = ui.Tab1->currentIndex();
    const bool running = extProgramRunning();
    ui.FGridP->setVisible(tab == 0);
    ui.TextCycle[0]->setVisible(tab == 0);
    ui.FGridE->setVisible(tab == 1);
    ui.TextCycle[1]->setVisible(tab == 1);
    ui.FGridM->setVisible(tab == 2);
    ui.LabelCycle->setVisible(tab <= 1);
    ui.Picture4->setVisible(tab == 3);

    if (tab == 0 || tab == 1) {
        const ProgramTable& table = tab == 0 ? *m_tableP : *m_tableE;
        ui.CmdRunStop->setText(running ? m_captions.stop : m_captions.run);
        const bool runnable
            = table.dataRows() > 0 && TableRules::RowSeconds(table, 1) > 0 && S.Connected;
        ui.CmdRunStop->setEnabled(runnable && (tab == 1 || !running));
        ui.CmdRS->setVisible(tab == 0);
        if (tab == 1)
            m_programs->PlaceOutputChecks();
    } else if (tab == 2) {
        ui.CmdRunStop->setText(m_captions.set);
        const int selected = m_tableM->selectedPreset();
        ui.CmdRunStop->setEnabled(m_programs->presetsComplete()
            && ui.Option1[static_cast<std::size_t>(selected)]->isEnabled() && !running
            && S.Connected);
        ui.CmdRS->show();
    } else if (tab == 3) {
        DrawChart();
        // The shared button acts only on the program and preset tabs.
        ui.CmdRunStop->setEnabled(false);
    } else {
        ui.CmdRunStop->setEnabled(false);
        ui.Toolbar2Buttons[1]->setEnabled(false);
        ui.Toolbar2Buttons[4]->setEnabled(false);
    }
    if (tab != 1)
        m_programs->PlaceOutputChecks();

    m_programs->PlacePresetSelectors();
    if (tab == 2) {
        for (int k = 1; k <= 3; ++k) {
            const bool exists = m_tableM->dataRows() >= k;
            ui.Option1[static_cast<std::size_t>(k)]->setEnabled(
                exists && TableRules::CellNumber(*m_tableM, k, 2) <= S.UVL && S.Connected);
        }
        m_programs->CheckIpmTable();
    }

    ui.Picture2->setVisible(tab <= 3);
    for (int t = 0; t < 4; ++t) {
        ui.CmbTableName[static_cast<std::size_t>(t)]->setVisible(t == tab);
        ui.CmbTableName[static_cast<std::size_t>(t)]->setEnabled(t == tab && !(t == 1 && running));
        ui.TextTableD[static_cast<std::size_t>(t)]->setVisible(t == tab);
        ui.TextTableD[static_cast<std::size_t>(t)]->setEnabled(t == tab);
    }
    if (tab == 3) {
        ui.LabelTableName->setText(m_captions.logName + QStringLiteral(":"));
        ui.LabelTableDescription->setText(m_captions.logDescription + QStringLiteral(":"));
    } else {
        ui.LabelTableName->setText(m_captions.tableName + QStringLiteral(":"));
        ui.LabelTableDescription->setText(m_captions.tableDescription + QStringLiteral(":"));
    }
    ui.Toolbar2Buttons[2]->setEnabled(tab != 4);
    ui.Toolbar2Buttons[5]->setEnabled(ui.Toolbar2Buttons[2]->isEnabled());
    if (tab == 1)
        ui.TextCycle[1]->setEnabled(ui.CmdRunStop->text() == m_captions.run);
    UpdateStorageButtons();
}

void MainFrm::Toolbar2_MouseMove()
{
    const int tab = ui.Tab1->currentIndex();
    const Captions& c = m_captions;
    if (tab == 0 || tab == 2) {
        ui.Toolbar2Buttons[1]->setToolTip(c.saveTable);
        ui.Toolbar2Buttons[4]->setToolTip(c.deleteTable);
        ui.Toolbar2Buttons[5]->setToolTip(c.printTable);
    } else if (tab == 3) {
        ui.Toolbar2Buttons[1]->setToolTip(c.saveLog);
        ui.Toolbar2Buttons[4]->setToolTip(c.deleteLog);
        ui.Toolbar2Buttons[5]->setToolTip(c.printLog);
    }
}

void MainFrm::UpdateStorageButtons()
{
    const int tab = ui.Tab1->currentIndex();
    if (tab < 0 || tab > 3)
        return;
    const QString name = ui.CmbTableName[static_cast<std::size_t>(tab)]->currentText();
    const bool named = !StoredTables::IsUntitled(name);
    // Import and Delete would change the program under a run.
    const bool programRuns = tab == 1 && extProgramRunning();
    ui.Toolbar2Buttons[1]->setEnabled(named);
    ui.Toolbar2Buttons[3]->setEnabled(!programRuns);
    ui.Toolbar2Buttons[4]->setEnabled(named && !programRuns);
    ui.Toolbar2Buttons[5]->setEnabled(ui.Toolbar2Buttons[2]->isEnabled());
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event)
{
    const bool onSwitch = watched == ui.ImageOnOff || watched == ui.LcdOutput;
    if (watched == ui.Toolbar2) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
            Toolbar2_MouseMove();
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseMove) {
        if (onSwitch) {
            m_switch.hover(extProgramRunning());
            showSwitchPicture();
            // Taken here: passed on to the front panel it would clear the
            // highlight it has just set.
            return true;
        }
        // A move over a set-point display is passed on to the front panel
        // after the display has been highlighted: it ends here, since further
        // up it would count as a move off the display.
        if (watched == ui.LCD) {
            const QWidget* under
                = ui.LCD->childAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (under == ui.LcdPSetVC[0] || under == ui.LcdPSetVC[1])
                return true;
        }
        ClearHoverHighlights();
    } else if (event->type() == QEvent::Leave && watched == ui.LCD) {
        // Other controls do not follow the mouse: leaving the front panel ends
        // its highlights.
        ClearHoverHighlights();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const bool left = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        if (onSwitch) {
            if (left)
                ImageOnOff_Click();
            return true;
        }
        if (watched == ui.P_Light && left)
            ui.Option2[0]->setChecked(true);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrm::mouseMoveEvent(QMouseEvent* event)
{
    ClearHoverHighlights();
    QMainWindow::mouseMoveEvent(event);
}

void MainFrm::Form_Activate()
{
    if (m_activated)
        return;
    m_activated = true;
    ui.Tab1->setTabEnabled(0, false);
    DrawSetpointDisplay(0, false);
    DrawSetpointDisplay(1, false);
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
    // Closed from inside an exchange or between two exchanges of a sequence:
    // finish it first, so that "ENDS" is the last line the supply gets.
    if (lineBusy()) {
        event->ignore();
        ui.TimerGetD->stop();
        QTimer::singleShot(20, this, &QWidget::close);
        return;
    }
    shutDown();
    event->accept();
}

void MainFrm::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    ui.TimerGetD->stop();
    ui.TimerE->stop();
    if (S.MaxVolt > 0)
        DisconnectSupply();
}
