#pragma once

#include "panel/SetpointEntry.h"

#include <QObject>
#include <QStringList>

class Prompts;
class QLineEdit;
class SupplySession;
struct MainFrmUi;
struct SupplyState;

// The two set-point boxes `TextSetVC(0)` (voltage) and `TextSetVC(1)`
// (current) with their apply buttons: the boxes' events go to the set-point
// rules, and a checked value is left with the session as a request for its
// polling tick.
class SetpointBoxes : public QObject {
    Q_OBJECT

public:
    SetpointBoxes(SupplySession& session, MainFrmUi& ui, Prompts& prompts, QObject* parent);
    ~SetpointBoxes() override;

    // Connects the controls' events.
    void wire();

    void TextSetVC_GotFocus(int index, const QEvent* focusIn);
    void TextSetVC_KeyUp();
    void TextSetVC_EnterPressed(int index);
    void TextSetVC_LostFocus(int index);
    void ToolbarSetVolt_ButtonClick();
    void ToolbarSetCurr_ButtonClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const SupplyState& supply() const;
    int boxIndex(const QObject* watched) const;
    bool applyEnabled(int index) const;
    void showOutcome(int index, const EntryOutcome& outcome);
    void setColour(QLineEdit* box, EntryColour colour) const;
    // OK-only message boxes, one after the other.
    void tell(const QStringList& messages);

    SupplySession& m_session;
    MainFrmUi& ui;
    Prompts& m_prompts;
    // A message box of ours has the focus: the box losing it to the message
    // is not the user leaving the box.
    bool m_telling = false;
};
