#include "app/SettingsPage.h"

#include "app/FocusSelection.h"
#include "app/MainFrmUi.h"
#include "app/Prompts.h"
#include "app/WindowState.h"
#include "core/Captions.h"
#include "core/Numbers.h"
#include "datalog/LogPacing.h"
#include "device/CommandSet.h"
#include "panel/SettingTab.h"
#include "session/PortLock.h"
#include "session/SupplySession.h"
#include "storage/OvoltaDatabase.h"
#include "storage/SupplyList.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <utility>

SettingsPage::SettingsPage(MainFrmUi& ui_, WindowState& state, const Parts& parts, QObject* parent)
    : QObject(parent)
    , ui(ui_)
    , S(state)
    , m_parts(parts)
{
}

void SettingsPage::setDatabase(OvoltaDatabase* database)
{
    m_db = database;
}

const SupplyState& SettingsPage::supply() const
{
    return m_parts.session.state();
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
        if (tab == TabIndex(Tab::Setting))
            Q_EMIT portListWanted();
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
            Q_EMIT portListWanted(); // before the list opens
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
    ui.TextUVL->setText(SettingTab::NormaliseVoltageLimit(ui.TextUVL->text(), supply().maxVolt));
}

void SettingsPage::TextUCL_LostFocus()
{
    ui.TextUCL->setText(SettingTab::NormaliseCurrentLimit(ui.TextUCL->text(), supply().maxCurr));
}

void SettingsPage::CmdDefault_Click()
{
    ui.CboAS->setCurrentIndex(SettingTab::kDefaultSamplingIndex);
    ui.TextUVL->setText(SettingTab::DefaultVoltageLimitText(supply().maxVolt));
    ui.TextUCL->setText(SettingTab::DefaultCurrentLimitText(supply().maxCurr));
    m_uvlChanged = true;
    m_uclChanged = true;
}

void SettingsPage::ShowLimits()
{
    ui.TextUVL->setText(Numbers::ShortestForm(supply().uvl) + u'V');
    ui.TextUCL->setText(Numbers::ShortestForm(supply().ucl) + u'A');
    m_uvlChanged = false;
    m_uclChanged = false;
}

void SettingsPage::CmdOK_Click()
{
    applyPort();
    applySampling();

    const std::optional<float> uvl = changedVoltageLimit();
    const std::optional<float> ucl = changedCurrentLimit();
    if (!uvl && !ucl)
        return;
    // The session sends each limit and reads back what the supply took; the
    // boxes then show that, where it is not what was asked.
    m_parts.session.changeLimits(uvl, ucl, [this, uvl, ucl](bool) {
        // Nothing went out when the supply had gone by then (a port change).
        if (!supply().connected)
            return;
        if (uvl && *uvl != supply().uvl)
            ui.TextUVL->setText(Numbers::ShortestForm(supply().uvl) + u'V');
        if (ucl && *ucl != supply().ucl)
            ui.TextUCL->setText(Numbers::ShortestForm(supply().ucl) + u'A');
        Q_EMIT limitsApplied();
    });
}

void SettingsPage::applyPort()
{
    const std::optional<int> port = SettingTab::PortNumber(ui.CboPort->currentText());
    if (!port || *port == S.CommPortNo)
        return;
    // Another program talking on the chosen port keeps the panel where it is.
    if (const QString refusal = m_parts.portLock ? m_parts.portLock->refusalFor(*port) : QString();
        !refusal.isEmpty()) {
        ui.CboPort->setCurrentIndex(ui.CboPort->findData(S.CommPortNo));
        m_parts.prompts.tell(refusal);
        return;
    }
    S.CommPortNo = *port;
    // Remembered for the next start (the row is added when it is missing);
    // when it cannot be, the port still changes for this run.
    if (m_db) {
        if (const Outcome<void> stored = m_db->storeCommPort(*port); !stored)
            m_parts.prompts.tell(stored.error());
    }
    Q_EMIT portChanged();
}

void SettingsPage::applySampling()
{
    const std::optional<int> seconds = SettingTab::SamplingSeconds(ui.CboAS->currentText());
    if (!seconds || *seconds == S.SampleTime)
        return;
    if (!ask(SettingTab::SamplingChangeQuestion()))
        return;
    S.LogSamples.markEmpty();
    m_parts.pacing.restart();
    S.SampleTime = *seconds;
    ui.setPanel(StatusField::Sampling, SettingTab::NowSamplingPanelText(*seconds));
    ui.TimerPVC->setInterval(*seconds * 1000);
}

std::optional<float> SettingsPage::changedVoltageLimit()
{
    // Limits go only to a supply that answered, and only a limit the user
    // changed is checked and sent: one the supply did not tell (the box shows
    // 0V) is never written back to it.
    if (!supply().connected || !std::exchange(m_uvlChanged, false))
        return std::nullopt;
    // Read as the box shows it after leaving it, also when it never lost the
    // focus: the supply gets nothing outside its rating.
    TextUVL_LostFocus();
    const float wanted = SettingTab::VoltageLimitValue(ui.TextUVL->text());
    if (wanted == supply().uvl)
        return std::nullopt;
    return wanted;
}

std::optional<float> SettingsPage::changedCurrentLimit()
{
    if (!supply().connected || !std::exchange(m_uclChanged, false))
        return std::nullopt;
    TextUCL_LostFocus();
    const float wanted = SettingTab::CurrentLimitValue(ui.TextUCL->text());
    if (wanted == supply().ucl)
        return std::nullopt;
    return wanted;
}

bool SettingsPage::ask(const QString& question)
{
    return m_parts.prompts.ask(question);
}

void SettingsPage::StoreLocation()
{
    if (!m_db)
        return;
    const QString address = ui.CmbAddr->currentText();
    const Outcome<SupplyList::Stored> result
        = SupplyList(*m_db).StoreLocation(address, ui.TextLocation->text());
    if (const std::optional<QString> value
        = storedValue(result, address, &SupplyList::Labels::location)) {
        showStored(ui.TextLocation, StatusField::Location, Captions::English().location, *value);
        S.CurLocation = *value;
    }
}

void SettingsPage::StoreDescription()
{
    if (!m_db)
        return;
    const QString address = ui.CmbAddr->currentText();
    const Outcome<SupplyList::Stored> result
        = SupplyList(*m_db).StoreDescription(address, ui.TextEngineryD->text());
    if (const std::optional<QString> value
        = storedValue(result, address, &SupplyList::Labels::description)) {
        showStored(
            ui.TextEngineryD, StatusField::Description, Captions::English().description, *value);
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
    const SupplyList::Labels labels = SupplyList(*m_db).labels(address);
    if (!labels.found)
        return std::nullopt;
    return labels.*field;
}

void SettingsPage::showStored(
    QLineEdit* box, StatusField panel, const QString& caption, const QString& value)
{
    // Only a changed text is put back, so that the caret stays where the user
    // types; a text that was cut gets its caret at the end.
    if (box->text() != value)
        box->setText(value);
    ui.setPanel(panel, caption + QStringLiteral(" : ") + value);
}
