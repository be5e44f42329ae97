#include "app/SetpointBoxes.h"

#include "app/FocusSelection.h"
#include "app/MainFrmUi.h"
#include "app/Prompts.h"
#include "core/Numbers.h"
#include "panel/PanelColours.h"
#include "session/SupplySession.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QToolBar>

SetpointBoxes::SetpointBoxes(
    SupplySession& session, MainFrmUi& ui_, Prompts& prompts, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , ui(ui_)
    , m_prompts(prompts)
{
}

SetpointBoxes::~SetpointBoxes()
{
    // The window's controls outlive this object by a little while.
    for (QLineEdit* box : ui.TextSetVC) {
        if (box)
            box->removeEventFilter(this);
    }
}

const SupplyState& SetpointBoxes::supply() const
{
    return m_session.state();
}

void SetpointBoxes::wire()
{
    for (QLineEdit* box : ui.TextSetVC)
        box->installEventFilter(this);
    connect(
        ui.SetVoltAction, &QAction::triggered, this, &SetpointBoxes::ToolbarSetVolt_ButtonClick);
    connect(
        ui.SetCurrAction, &QAction::triggered, this, &SetpointBoxes::ToolbarSetCurr_ButtonClick);
}

int SetpointBoxes::boxIndex(const QObject* watched) const
{
    for (int i = 0; i < 2; ++i) {
        if (watched == ui.TextSetVC[static_cast<std::size_t>(i)])
            return i;
    }
    return -1;
}

bool SetpointBoxes::eventFilter(QObject* watched, QEvent* event)
{
    const int i = boxIndex(watched);
    if (i < 0)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::FocusIn:
        TextSetVC_GotFocus(i, event);
        break;
    case QEvent::FocusOut: {
        // Switching to another program or opening a menu is not leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (!m_telling && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            TextSetVC_LostFocus(i);
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            TextSetVC_EnterPressed(i);
            return true;
        }
        break;
    }
    case QEvent::KeyRelease:
        TextSetVC_KeyUp();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void SetpointBoxes::TextSetVC_GotFocus(int index, const QEvent* focusIn)
{
    QLineEdit* box = ui.TextSetVC[static_cast<std::size_t>(index)];
    if (!box->text().isEmpty())
        FocusSelection::SelectAllOnFocus(box, focusIn);
}

void SetpointBoxes::TextSetVC_KeyUp()
{
    const PairCheck check = SetpointEntry::KeyReleased(
        ui.TextSetVC[0]->text(), ui.TextSetVC[1]->text(), supply().uvl, supply().ucl);
    for (QLineEdit* box : ui.TextSetVC)
        setColour(box, check.colour);
    ui.SetVoltAction->setEnabled(check.acceptable);
    ui.SetCurrAction->setEnabled(check.acceptable);
    ui.ToolbarSetVolt->setEnabled(check.acceptable);
    ui.ToolbarSetCurr->setEnabled(check.acceptable);
}

bool SetpointBoxes::applyEnabled(int index) const
{
    if (index == 0)
        return ui.SetVoltAction->isEnabled() && ui.ToolbarSetVolt->isEnabled();
    return ui.SetCurrAction->isEnabled() && ui.ToolbarSetCurr->isEnabled();
}

void SetpointBoxes::TextSetVC_EnterPressed(int index)
{
    if (index == 0) {
        showOutcome(0,
            SetpointEntry::VoltageEnter(
                ui.TextSetVC[0]->text(), applyEnabled(0), ui.TextSetVC[1]->text(), supply().uvl));
    } else {
        showOutcome(1,
            SetpointEntry::CurrentEnter(
                ui.TextSetVC[1]->text(), applyEnabled(1), supply().ucl, supply().currFormat));
    }
}

void SetpointBoxes::TextSetVC_LostFocus(int index)
{
    if (index == 0)
        showOutcome(0, SetpointEntry::VoltageLostFocus(ui.TextSetVC[0]->text(), supply().uvl));
    else
        showOutcome(1,
            SetpointEntry::CurrentLostFocus(
                ui.TextSetVC[1]->text(), supply().ucl, supply().currFormat));
}

void SetpointBoxes::ToolbarSetVolt_ButtonClick()
{
    showOutcome(0, SetpointEntry::ApplyVoltage(ui.TextSetVC[0]->text(), supply().uvl));
}

void SetpointBoxes::ToolbarSetCurr_ButtonClick()
{
    showOutcome(
        1, SetpointEntry::ApplyCurrent(ui.TextSetVC[1]->text(), supply().ucl, supply().currFormat));
}

void SetpointBoxes::showOutcome(int index, const EntryOutcome& outcome)
{
    const auto i = static_cast<std::size_t>(index);
    QLineEdit* box = ui.TextSetVC[i];

    // Polling ticks run while a message box is open: a refused value is
    // withdrawn before the first message, so none of them can send it.
    if (outcome.pending == PendingChange::Clear)
        m_session.cancelTypedRequest(index);
    tell(outcome.messages);

    if (box->text() != outcome.boxText)
        box->setText(outcome.boxText);
    setColour(box, outcome.colour);
    if (outcome.pending == PendingChange::Set) {
        // Only a value that has just passed the check is ever sent; what is
        // typed afterwards waits for its own check.
        const double value = Numbers::LeadingNumber(Numbers::FutComma(outcome.boxText));
        if (index == 0)
            m_session.requestVoltage(value);
        else
            m_session.requestCurrent(value);
    }

    switch (outcome.focus) {
    case EntryFocus::Keep:
        break;
    case EntryFocus::SelectAll:
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
        break;
    case EntryFocus::MoveToCurrentBox:
        ui.TextSetVC[1]->setFocus(Qt::OtherFocusReason);
        break;
    }
}

void SetpointBoxes::setColour(QLineEdit* box, EntryColour colour) const
{
    QColor text;
    switch (colour) {
    case EntryColour::Unchanged:
        return;
    case EntryColour::Accepted:
        text = QColor(PanelColours::kAccepted);
        break;
    case EntryColour::Black:
        text = QColor(PanelColours::kBlack);
        break;
    case EntryColour::WindowText:
        text = QApplication::palette(box).color(QPalette::WindowText);
        break;
    }
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, text);
    box->setPalette(palette);
}

void SetpointBoxes::tell(const QStringList& messages)
{
    for (const QString& message : messages) {
        const QScopedValueRollback telling(m_telling, true);
        m_prompts.tell(message);
    }
}
