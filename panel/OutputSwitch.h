#pragma once

#include "panel/PanelColours.h"

#include <QRgb>
#include <QString>

// Pictures of the output switch `ImageOnOff`, numbered as in the window's
// image list.
enum class SwitchPicture { On = 5, Off = 6, OnHovered = 7, OffHovered = 8 };

// The output switch's picture, tool-tip and the colour of its label
// `LcdOutput`. The picture is the output state the panel believes in.
class OutputSwitch {
public:
    SwitchPicture picture() const { return m_picture; }
    bool isOn() const;
    // Tool-tip of `ImageOnOff`; `LcdOutput` carries the same one.
    QString toolTip() const { return m_toolTip; }
    QRgb labelColour() const { return m_labelColour; }

    // `HighlightOutputSwitch`: the mouse is over the switch or its label.
    // Does nothing while the external program runs.
    void hover(bool extProgramRunning);
    // The output switch's share of `ClearHoverHighlights`.
    void clearHover();
    // A click on the switch or its label: whether to raise `OutputTogglePending`.
    static bool clickRequestsToggle(bool extProgramRunning) { return !extProgramRunning; }
    // The polling tick has sent the switch command; the mouse is still over
    // the switch, so the hovered picture of the new state shows.
    void switched(bool outputOn);
    // A program step has set the output: the plain picture of the new state,
    // since the mouse is usually elsewhere.
    void shows(bool outputOn);

private:
    void setToolTipFor(bool outputOn);

    SwitchPicture m_picture = SwitchPicture::On;
    QString m_toolTip;
    QRgb m_labelColour = PanelColours::kBlack;
};
