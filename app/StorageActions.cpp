#include "app/StorageActions.h"

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/WindowState.h"

StorageActions::StorageActions(MainFrm& window, MainFrmUi& ui_, WindowState& state)
    : m_window(window)
    , ui(ui_)
    , S(state)
{
}

void StorageActions::wire() {}
