#include "panel/OutputSwitch.h"

#include "panel/PanelColours.h"

#include <gtest/gtest.h>

namespace {

using P = SwitchPicture;

// Event sequences from power-up (on, plain): h hover, H hover while the
// external program runs, c clear the hover, 0/1 switched off/on by the
// polling tick, o/i a program step shows off/on.
TEST(OutputSwitch, PictureAndLabelAfterEachSequence)
{
    const struct {
        const char* events;
        SwitchPicture picture;
        bool highlighted;
    } cases[] = {
        { "", P::On, false },
        { "h", P::OnHovered, true },
        { "hh", P::OnHovered, true }, // a second move keeps the hovered picture
        { "hc", P::On, false },
        { "hcc", P::On, false },
        { "01ch", P::OnHovered, true },
        { "0ch", P::OffHovered, true },
        { "0chc", P::Off, false },
        { "h0", P::OffHovered, true }, // the mouse is still over the switch
        { "h01", P::OnHovered, true },
        { "H", P::On, false }, // nothing while the external program runs
        { "o", P::Off, false }, // a program step: the plain picture
        { "oi", P::On, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.events);
        OutputSwitch sw;
        for (const char* e = c.events; *e; ++e) {
            switch (*e) {
            case 'h':
                sw.hover(false);
                break;
            case 'H':
                sw.hover(true);
                break;
            case 'c':
                sw.clearHover();
                break;
            case '0':
                sw.switched(false);
                break;
            case '1':
                sw.switched(true);
                break;
            case 'o':
                sw.shows(false);
                break;
            case 'i':
                sw.shows(true);
                break;
            }
        }
        EXPECT_EQ(sw.picture(), c.picture);
        EXPECT_EQ(sw.isOn(), c.picture == P::On || c.picture == P::OnHovered);
        EXPECT_EQ(
            sw.labelColour(), c.highlighted ? PanelColours::kHighlight : PanelColours::kBlack);
    }
}

TEST(OutputSwitch, TheToolTipOffersTheOtherStateAndNothingWhileTheProgramRuns)
{
    OutputSwitch sw;
    sw.hover(true);
    EXPECT_TRUE(sw.toolTip().isEmpty());
    sw.hover(false);
    EXPECT_TRUE(sw.toolTip().endsWith("Off"));
    sw.shows(false);
    EXPECT_TRUE(sw.toolTip().endsWith("On"));
    EXPECT_FALSE(OutputSwitch::clickRequestsToggle(true));
    EXPECT_TRUE(OutputSwitch::clickRequestsToggle(false));
}

} // namespace
