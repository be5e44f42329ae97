#include "app/DataLogTab.h"

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/WindowState.h"

DataLogTab::DataLogTab(MainFrm& window, MainFrmUi& ui_, WindowState& state)
    : m_window(window)
    , ui(ui_)
    , S(state)
{
}

void DataLogTab::wire() {}
