#include "app/SetpointBoxes.h"

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/WindowState.h"

SetpointBoxes::SetpointBoxes(MainFrm& window, MainFrmUi& ui_, WindowState& state)
    : m_window(window)
    , ui(ui_)
    , S(state)
{
}

void SetpointBoxes::wire() {}
