#include "app/FrontPanelControls.h"

#include "app/MainFrmUi.h"
#include "datalog/ChartWidget.h"
#include "datalog/LogSamples.h"
#include "panel/FrontPanel.h"
#include "panel/OutputSwitchImage.h"
#include "panel/PanelPictures.h"
#include "panel/SegmentDisplay.h"
#include "panel/SetpointClicks.h"
#include "session/SupplySession.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTabWidget>

namespace {

constexpr QSize kSwitchPictureSize(44, 22);

} // namespace

FrontPanelControls::FrontPanelControls(
    SupplySession& session, MainFrmUi& ui_, const LogSamples& liveLog, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , ui(ui_)
    , m_liveLog(liveLog)
{
    connect(&m_session, &SupplySession::readingTaken, this, &FrontPanelControls::readingTaken);
    connect(&m_session, &SupplySession::setpointsChanged, this, [this] {
        DrawSetpointDisplay(0, false);
        DrawSetpointDisplay(1, false);
    });
    // The switch command went out (the mouse is still over the switch); a
    // program step's output is shown plainly once the step is reported.
    connect(&m_session, &SupplySession::outputChanged, this, [this](bool on) {
        m_switch.switched(on);
        showSwitchPicture();
    });
    connect(
        &m_session, &SupplySession::stepSent, this, [this](const SupplySession::SentStep& step) {
            if (!step.acknowledged)
                return;
            m_switch.shows(step.outputOn);
            showSwitchPicture();
        });

    // A move over the other parts of the window ends the highlights too.
    for (QWidget* w : std::initializer_list<QWidget*> {
             ui.ImageOnOff, ui.LcdOutput, ui.LCD, ui.Tab1, ui.Picture1, ui.P_Light })
        w->installEventFilter(this);
    for (int i = 0; i < 2; ++i) {
        SegmentDisplay* display = ui.LcdPSetVC[static_cast<std::size_t>(i)];
        connect(display, &SegmentDisplay::hovered, this, [this, i] { LcdPSetVC_MouseMove(i); });
        connect(display, &SegmentDisplay::clicked, this,
            [this, i](Qt::MouseButton button) { LcdPSetVC_MouseUp(i, button); });
    }
    connect(ui.PP, &ChartWidget::mouseMoved, this, [this] { ClearHoverHighlights(); });
    connect(
        ui.ImageOnOff, &OutputSwitchImage::keyClicked, this, &FrontPanelControls::ImageOnOff_Click);
}

void FrontPanelControls::reset()
{
    m_switch = OutputSwitch();
    showSwitchPicture();
}

// ---------------------------------------------------------------- readings

void FrontPanelControls::readingTaken(const std::optional<SupplyReading>& reading)
{
    if (!reading) {
        // The second failure in a row: the readings are missing.
        if (m_session.state().voltReading == QLatin1String("-1")) {
            ui.P_Light->hide();
            if (ui.LCD->isVisible() && m_liveLog.volts[0] == LogSamples::kNoReading)
                setLcdVisible(false);
        }
        return;
    }
    DrawReadingDisplay();
    ui.LcdMd[0]->setVisible(reading->constantVoltage);
    ui.LcdMd[1]->setVisible(!reading->constantVoltage);
    ui.P_Light->setVisible(ui.P_Light->isHidden());
    if (!ui.LCD->isVisible())
        setLcdVisible(true);
}

void FrontPanelControls::setLcdVisible(bool visible)
{
    QSizePolicy policy = ui.LCD->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui.LCD->setSizePolicy(policy);
    ui.LCD->setVisible(visible);
}

void FrontPanelControls::DrawReadingDisplay()
{
    const SupplyState& P = m_session.state();
    const FrontPanel::ReadingDisplay display
        = FrontPanel::DrawReadingDisplay(P.voltReading, P.currReading, P.powerReading);
    ui.PD->setStrokes(display.strokes);
    ui.PD->setSpokenRows(display.spoken);
}

// ---------------------------------------------------------------- set-points and switch

void FrontPanelControls::DrawSetpointDisplay(int index, bool highlighted)
{
    if (index < 0 || index > 1)
        return;
    SegmentDisplay* display = ui.LcdPSetVC[static_cast<std::size_t>(index)];
    display->setForeground(QColor(FrontPanel::SetpointForeground(highlighted)));
    const QString& text
        = index == 0 ? m_session.state().setVoltText : m_session.state().setCurrText;
    display->setStrokes(FrontPanel::DrawSetpointDisplay(text));
    display->setSpokenRows({ FrontPanel::SpokenSetpoint(index, text) });
    display->repaint();
}

void FrontPanelControls::showSwitchPicture()
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

SetpointState FrontPanelControls::setpointState() const
{
    const SupplyState& P = m_session.state();
    return { P.setVoltText, P.setCurrText, P.uvl, P.ucl, P.currFormat, m_session.programRunning() };
}

void FrontPanelControls::LcdPSetVC_MouseMove(int index)
{
    const SetpointState state = setpointState();
    if (const auto hint = SetpointClicks::HoverHint(index, state)) {
        SegmentDisplay* display = ui.LcdPSetVC[static_cast<std::size_t>(index)];
        display->setToolTip(*hint);
        if (display->foreground() == QColor(Qt::black))
            DrawSetpointDisplay(index, true);
    }
}

void FrontPanelControls::LcdPSetVC_MouseUp(int index, Qt::MouseButton button)
{
    const SetpointState state = setpointState();
    if (const auto text = SetpointClicks::Clicked(index, button, state))
        m_session.requestDisplaySetpoint(index, *text);
    if (SetpointClicks::ClickHighlights(button, state))
        DrawSetpointDisplay(index, true);
}

void FrontPanelControls::ImageOnOff_Click()
{
    if (OutputSwitch::clickRequestsToggle(m_session.programRunning()))
        m_session.requestOutput(!m_switch.isOn());
}

void FrontPanelControls::ClearHoverHighlights()
{
    m_switch.clearHover();
    showSwitchPicture();
    for (int i = 0; i < 2; ++i) {
        if (ui.LcdPSetVC[static_cast<std::size_t>(i)]->foreground() != QColor(Qt::black))
            DrawSetpointDisplay(i, false);
    }
}

bool FrontPanelControls::eventFilter(QObject* watched, QEvent* event)
{
    const bool onSwitch = watched == ui.ImageOnOff || watched == ui.LcdOutput;
    if (event->type() == QEvent::MouseMove) {
        if (onSwitch) {
            m_switch.hover(m_session.programRunning());
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
    return QObject::eventFilter(watched, event);
}
