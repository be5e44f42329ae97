#include "panel/OutputSwitch.h"

#include "panel/PanelColours.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using P = SwitchPicture;

// Event sequences from power-up (on, plain): h hover, H hover while the
// external program runs, c clear the hover, 0/1 switched off/on by the
// polling tick, o/i a program step shows off/on.
TEST(OutputSwitch, PictureAndLabelAfterEachSequence)
{
    const std::map<char, std::function<void(OutputSwitch&)>> events {
        { 'h', [](OutputSwitch& s) { s.hover(false); } },
        { 'H', [](OutputSwitch& s) { s.hover(true); } },
        { 'c', [](OutputSwitch& s) { s.clearHover(); } },
        { '0', [](OutputSwitch& s) { s.switched(false); } },
        { '1', [](OutputSwitch& s) { s.switched(true); } },
        { 'o', [](OutputSwitch& s) { s.shows(false); } },
        { 'i', [](OutputSwitch& s) { s.shows(true); } },
    };
    const struct {
        const char* events;
        SwitchPicture picture;
    } cases[] = {
        { "", P::On },
        { "hh", P::OnHovered },
        { "hcc", P::On },
        { "01ch", P::OnHovered },
        { "0ch", P::OffHovered },
        { "0chc", P::Off },
        { "h0", P::OffHovered }, // the mouse is still over the switch
        { "h01", P::OnHovered },
        { "H", P::On }, // nothing while the external program runs
        { "o", P::Off }, // a program step: the plain picture
        { "oi", P::On },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.events);
        OutputSwitch sw;
        for (const char* e = c.events; *e; ++e)
            events.at (*e)(sw);
        const bool hovered = c.picture == P::OnHovered || c.picture == P::OffHovered;
        EXPECT_EQ(sw.picture(), c.picture);
        EXPECT_EQ(sw.isOn(), c.picture == P::On || c.picture == P::OnHovered);
        EXPECT_EQ(sw.labelColour(), hovered ? PanelColours::kHighlight : PanelColours::kBlack);
    }
    // A click switches only while no external program runs.
    EXPECT_FALSE(OutputSwitch::clickRequestsToggle(true));
    EXPECT_TRUE(OutputSwitch::clickRequestsToggle(false));
}

} // namespace
