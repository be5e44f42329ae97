#include "app/SettingsPage.h"

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/WindowState.h"

SettingsPage::SettingsPage(MainFrm& window, MainFrmUi& ui_, WindowState& state)
    : m_window(window)
    , ui(ui_)
    , S(state)
{
}

void SettingsPage::wire() {}
