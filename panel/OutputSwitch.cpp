#include "panel/OutputSwitch.h"

#include "core/Captions.h"
#include "panel/PanelColours.h"

bool OutputSwitch::isOn() const
{
    return m_picture == SwitchPicture::On || m_picture == SwitchPicture::OnHovered;
}

void OutputSwitch::hover(bool extProgramRunning)
{
    if (extProgramRunning)
        return;
    m_labelColour = PanelColours::kHighlight;
    if (m_picture == SwitchPicture::On) {
        m_picture = SwitchPicture::OnHovered;
        m_toolTip = Captions::English().clickToOutputOff;
    } else if (m_picture == SwitchPicture::Off) {
        m_picture = SwitchPicture::OffHovered;
        m_toolTip = Captions::English().clickToOutputOn;
    }
}

void OutputSwitch::clearHover()
{
    m_labelColour = PanelColours::kBlack;
    if (m_picture == SwitchPicture::OnHovered)
        m_picture = SwitchPicture::On;
    else if (m_picture == SwitchPicture::OffHovered)
        m_picture = SwitchPicture::Off;
}

void OutputSwitch::switched(bool outputOn)
{
    m_picture = outputOn ? SwitchPicture::OnHovered : SwitchPicture::OffHovered;
    setToolTipFor(outputOn);
}

void OutputSwitch::shows(bool outputOn)
{
    m_picture = outputOn ? SwitchPicture::On : SwitchPicture::Off;
    setToolTipFor(outputOn);
}

void OutputSwitch::setToolTipFor(bool outputOn)
{
    m_toolTip
        = outputOn ? Captions::English().clickToOutputOff : Captions::English().clickToOutputOn;
}
