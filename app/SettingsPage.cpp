#include "app/SettingsPage.h"

#include "app/FocusSelection.h"
#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/ProgramTabs.h"
#include "app/WindowState.h"
#include "core/Captions.h"
#include "core/Numbers.h"
#include "device/CommandSet.h"
#include "panel/SettingTab.h"
#include "storage/OvoltaDatabase.h"
#include "storage/SupplyList.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <utility>

namespace {

constexpr int kRepostMs = 20;
constexpr double kBetweenCommands = 0.1;
constexpr int kSettingTab = 4;

} // namespace

SettingsPage::SettingsPage(MainFrm& window, MainFrmUi& ui_, WindowState& state)
    : m_window(window)
    , ui(ui_)
    , S(state)
{
}

SettingsPage::~SettingsPage()
{
    // The window's controls outlive this object by a little while.
    for (QLineEdit* box : watchedBoxes()) {
        if (box)
            box->removeEventFilter(this);
    }
}

QList<QLineEdit*> SettingsPage::watchedBoxes() const
{
    return { ui.TextUVL, ui.TextUCL, ui.TextLocation, ui.TextEngineryD };
}

void SettingsPage::wire()
{
    ui.CboAS->clear();
    ui.CboAS->addItems(SettingTab::SamplingEntries());
    for (QLineEdit* box : watchedBoxes())
        box->installEventFilter(this);
    connect(ui.CmdDefault, &QPushButton::clicked, this, &SettingsPage::CmdDefault_Click);
    connect(ui.CmdOK, &QPushButton::clicked, this, &SettingsPage::CmdOK_Click);
    connect(ui.TextUVL, &QLineEdit::textEdited, this, [this] { m_uvlChanged = true; });
    connect(ui.TextUCL, &QLineEdit::textEdited, this, [this] { m_uclChanged = true; });
    ui.CboPort->installEventFilter(this);
    connect(ui.Tab1, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == kSettingTab)
            m_window.RefreshPortList();
    });
}

bool SettingsPage::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == ui.TextUVL || watched == ui.TextUCL) {
        auto* box = static_cast<QLineEdit*>(watched);
        if (type == QEvent::FocusIn)
            FocusSelection::SelectAllOnFocus(box, event);
        else if (type == QEvent::FocusOut && box == ui.TextUVL)
            TextUVL_LostFocus();
        else if (type == QEvent::FocusOut)
            TextUCL_LostFocus();
    } else if (watched == ui.CboPort) {
        if (type == QEvent::MouseButtonPress)
            m_window.RefreshPortList(); // before the list opens
    } else if (type == QEvent::KeyRelease) {
        if (watched == ui.TextLocation)
            StoreLocation();
        else if (watched == ui.TextEngineryD)
            StoreDescription();
    }
    return QObject::eventFilter(watched, event);
}

void SettingsPage::TextUVL_LostFocus()
{
    ui.TextUVL->setText(SettingTab::NormaliseVoltageLimit(ui.TextUVL->text(), S.MaxVolt));
}

void SettingsPage::TextUCL_LostFocus()
{
    ui.TextUCL->setText(SettingTab::NormaliseCurrentLimit(ui.TextUCL->text(), S.MaxCurr));
}

void SettingsPage::CmdDefault_Click()
{
    ui.CboAS->setCurrentIndex(SettingTab::kDefaultSamplingIndex);
    ui.TextUVL->setText(SettingTab::DefaultVoltageLimitText(S.MaxVolt));
    ui.TextUCL->setText(SettingTab::DefaultCurrentLimitText(S.MaxCurr));
    m_uvlChanged = true;
    m_uclChanged = true;
}

void SettingsPage::ShowLimits()
{
    ui.TextUVL->setText(Numbers::ShortestForm(S.UVL) + u'V');
    ui.TextUCL->setText(Numbers::ShortestForm(S.UCL) + u'A');
    m_uvlChanged = false;
    m_uclChanged = false;
}

void SettingsPage::CmdOK_Click()
{
    // Never on the line in the middle of another exchange.
    if (m_applying || m_window.lineBusy()) {
        QTimer::singleShot(kRepostMs, this, &SettingsPage::CmdOK_Click);
        return;
    }
    m_applying = true;

    applyPort();
    applySampling();

    // Limits go only to a supply that answered: without one the read-back
    // would put 0 V into force and hide "No Connection" in the status bar.
    if (S.Connected) {
        const MainFrm::Sequence sequence(m_window);
        const bool voltSent = applyVoltageLimit();
        const bool currSent = applyCurrentLimit();
        if (voltSent || currSent) {
            m_window.setStatusLimits();
            m_window.programs().CheckIpmTable();
        }
    }
    m_applying = false;
}

void SettingsPage::applyPort()
{
    const std::optional<int> port = SettingTab::PortNumber(ui.CboPort->currentText());
    if (!port || *port == S.CommPortNo)
        return;
    // Another program talking on the chosen port keeps the panel where it is.
    if (const QString refusal = m_window.portRefusal(*port); !refusal.isEmpty()) {
        ui.CboPort->setCurrentIndex(ui.CboPort->findData(S.CommPortNo));
        m_window.tell(refusal);
        return;
    }
    S.CommPortNo = *port;
    // Remembered for the next start (the row is added when it is missing);
    // when it cannot be, the port still changes for this run.
    if (OvoltaDatabase* db = m_window.database()) {
        if (const Outcome<void> stored = db->storeCommPort(*port); !stored)
            m_window.tell(stored.error());
    }
    // The supply left behind goes back to local mode before another is looked for.
    if (S.MaxVolt > 0)
        m_window.DisconnectSupply();
    m_window.link().setPortNumber(*port);
    m_window.ConnectSupply();
}

void SettingsPage::applySampling()
{
    const std::optional<int> seconds = SettingTab::SamplingSeconds(ui.CboAS->currentText());
    if (!seconds || *seconds == S.SampleTime)
        return;
    if (!ask(SettingTab::SamplingChangeQuestion()))
        return;
    S.LogSamples.markEmpty();
    m_window.pacing().restart();
    S.SampleTime = *seconds;
    ui.setPanel(6, SettingTab::NowSamplingPanelText(*seconds));
    ui.TimerPVC->setInterval(*seconds * 1000);
}

bool SettingsPage::applyVoltageLimit()
{
    // Only a limit the user changed is checked and sent: one the supply did
    // not tell (the box shows 0V) is never written back to it.
    if (!std::exchange(m_uvlChanged, false))
        return false;
    // Read as the box shows it after leaving it, also when it never lost the
    // focus: the supply gets nothing outside its rating.
    TextUVL_LostFocus();
    const float wanted = SettingTab::VoltageLimitValue(ui.TextUVL->text());
    if (wanted == S.UVL)
        return false;
    DeviceLink& link = m_window.link();
    S.LastReply = link.FutComm(QStringLiteral("SOVP"), CommandSet::EncodeLimit(wanted, 10));
    link.Delay(kBetweenCommands);
    S.LastReply = link.FutComm(QStringLiteral("GOVP"), QString());
    S.UVL = CommandSet::ParseLimitWithin(S.LastReply, 10, S.MaxVolt);
    if (wanted != S.UVL)
        ui.TextUVL->setText(Numbers::ShortestForm(S.UVL) + u'V');
    link.Delay(kBetweenCommands);
    return true;
}

bool SettingsPage::applyCurrentLimit()
{
    if (!std::exchange(m_uclChanged, false))
        return false;
    TextUCL_LostFocus();
    const float wanted = SettingTab::CurrentLimitValue(ui.TextUCL->text());
    if (wanted == S.UCL)
        return false;
    DeviceLink& link = m_window.link();
    S.LastReply
        = link.FutComm(QStringLiteral("SOCP"), CommandSet::EncodeLimit(wanted, S.CurrScale));
    link.Delay(kBetweenCommands);
    S.LastReply = link.FutComm(QStringLiteral("GOCP"), QString());
    S.UCL = CommandSet::ParseLimitWithin(S.LastReply, S.CurrScale, S.MaxCurr);
    if (wanted != S.UCL)
        ui.TextUCL->setText(Numbers::ShortestForm(S.UCL) + u'A');
    link.Delay(kBetweenCommands);
    return true;
}

bool SettingsPage::ask(const QString& question)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
        QMessageBox::Yes | QMessageBox::No, &m_window);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SettingsPage::StoreLocation()
{
    OvoltaDatabase* db = m_window.database();
    if (!db)
        return;
    const QString address = ui.CmbAddr->currentText();
    const Outcome<SupplyList::Stored> result
        = SupplyList(*db).StoreLocation(address, ui.TextLocation->text());
    if (const std::optional<QString> value
        = storedValue(result, address, &SupplyList::Labels::location)) {
        showStored(ui.TextLocation, 2, Captions::English().location, *value);
        S.CurLocation = *value;
    }
}

void SettingsPage::StoreDescription()
{
    OvoltaDatabase* db = m_window.database();
    if (!db)
        return;
    const QString address = ui.CmbAddr->currentText();
    const Outcome<SupplyList::Stored> result
        = SupplyList(*db).StoreDescription(address, ui.TextEngineryD->text());
    if (const std::optional<QString> value
        = storedValue(result, address, &SupplyList::Labels::description)) {
        showStored(ui.TextEngineryD, 3, Captions::English().description, *value);
        S.CurDescription = *value;
    }
}

std::optional<QString> SettingsPage::storedValue(const Outcome<SupplyList::Stored>& result,
    const QString& address, QString SupplyList::Labels::*field) const
{
    if (result)
        return result->text;
    // Storing failed: show what the database really holds, so that a refused
    // text does not look stored; nothing changes when even that cannot be read.
    const SupplyList::Labels labels = SupplyList(*m_window.database()).labels(address);
    if (!labels.found)
        return std::nullopt;
    return labels.*field;
}

void SettingsPage::showStored(
    QLineEdit* box, int panel, const QString& caption, const QString& value)
{
    // Only a changed text is put back, so that the caret stays where the user
    // types; a text that was cut gets its caret at the end.
    if (box->text() != value)
        box->setText(value);
    ui.setPanel(panel, caption + QStringLiteral(" : ") + value);
}
