#include "app/PresetControls.h"

#include "app/PresetGrid.h"
#include "core/Captions.h"
#include "programs/PresetTransfer.h"
#include "programs/ProgramTable.h"
#include "session/SupplySession.h"

#include <QPushButton>
#include <QTabWidget>

PresetControls::PresetControls(
    SupplySession& session, PresetGrid& presets, const Controls& controls, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_presets(presets)
    , m_controls(controls)
{
    connect(m_controls.readButton, &QPushButton::clicked, this, &PresetControls::readClick);
    connect(m_controls.saveButton, &QPushButton::clicked, this, &PresetControls::saveClick);
    connect(m_controls.setButton, &QPushButton::clicked, this, &PresetControls::setClick);
    connect(&m_session, &SupplySession::presetsRead, this, &PresetControls::presetsRead);
    // The tick sends the presets as they are by then: brought within the limits first.
    connect(&m_session, &SupplySession::presetUploadStarting, this, [this] {
        if (m_presets.clampToLimits())
            m_presets.check();
    });
    connect(&m_presets, &PresetGrid::setAllowed, this, [this](bool allowed) {
        if (shownTab() == Tab::Presets)
            m_controls.setButton->setEnabled(allowed);
    });
    connect(&m_presets, &PresetGrid::setRequested, this, [this] {
        if (m_controls.setButton->isEnabled())
            setClick();
    });
}

Tab PresetControls::shownTab() const
{
    return static_cast<Tab>(m_controls.tabs->currentIndex());
}

void PresetControls::setClick()
{
    if (shownTab() != Tab::Presets)
        return;
    if (PresetTransfer::SetRequestsUpload(m_session.state().connected, m_presets.table()))
        m_session.requestPresetUpload(m_presets.table());
}

void PresetControls::readClick()
{
    switch (PresetTransfer::ReadFroPsClick(TabIndex(shownTab()))) {
    case PresetTransfer::ReadRequest::RaiseReadPending:
        m_session.requestPresetRead();
        m_presets.hideEditorQuietly();
        return;
    case PresetTransfer::ReadRequest::FocusButton:
        m_controls.readButton->setFocus(Qt::OtherFocusReason);
        return;
    case PresetTransfer::ReadRequest::Nothing:
        return;
    }
}

void PresetControls::saveClick()
{
    const Tab tab = shownTab();
    if (tab == Tab::Presets) {
        // Presets above the limits would be stored in the supply as they are.
        m_presets.clampToLimits();
        m_session.savePresets(m_presets.table(), [this](bool) { m_presets.check(); });
        return;
    }
    m_presets.check();
    if (IsProgramTab(tab))
        m_controls.saveButton->setFocus(Qt::OtherFocusReason);
}

void PresetControls::presetsRead(bool read)
{
    if (read) {
        m_presets.placeOverlay();
        m_presets.enableSelectors();
    } else {
        m_presets.hideSelectors();
    }
    m_presets.check();
}

void PresetControls::tabShown(Tab tab)
{
    if (IsProgramTab(tab)) {
        m_controls.readButton->setVisible(tab == Tab::InternalProgram);
        return;
    }
    if (tab != Tab::Presets)
        return;
    m_controls.setButton->setText(Captions::English().set);
    const int selected = m_presets.table().selectedPreset();
    m_controls.setButton->setEnabled(m_presets.complete() && m_presets.selectorEnabled(selected)
        && !m_session.programRunning() && m_session.state().connected);
    m_controls.readButton->show();
    m_presets.check();
}
