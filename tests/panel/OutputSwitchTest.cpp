#include "panel/OutputSwitch.h"

#include "panel/PanelColours.h"

#include <gtest/gtest.h>

namespace {

TEST(OutputSwitch, StartsOnWithABlackLabel)
{
    const OutputSwitch sw;
    EXPECT_EQ(sw.picture(), SwitchPicture::On);
    EXPECT_TRUE(sw.isOn());
    EXPECT_EQ(sw.labelColour(), PanelColours::kBlack);
}

TEST(OutputSwitch, HoverAndClearMoveBetweenPlainAndHovered)
{
    const struct {
        bool startOn;
        SwitchPicture hovered;
        const char* toolTip;
        SwitchPicture cleared;
    } cases[] = {
        { true, SwitchPicture::OnHovered, "Click to Output Off", SwitchPicture::On },
        { false, SwitchPicture::OffHovered, "Click to Output On", SwitchPicture::Off },
    };
    for (const auto& c : cases) {
        OutputSwitch sw;
        if (!c.startOn) {
            sw.switched(false);
            sw.clearHover();
        }
        sw.hover(false);
        EXPECT_EQ(sw.picture(), c.hovered);
        EXPECT_EQ(sw.toolTip(), QString::fromLatin1(c.toolTip));
        EXPECT_EQ(sw.labelColour(), PanelColours::kHighlight);
        sw.hover(false); // a second move keeps the hovered picture
        EXPECT_EQ(sw.picture(), c.hovered);
        sw.clearHover();
        EXPECT_EQ(sw.picture(), c.cleared);
        EXPECT_EQ(sw.labelColour(), PanelColours::kBlack);
        sw.clearHover();
        EXPECT_EQ(sw.picture(), c.cleared);
    }
}

TEST(OutputSwitch, NothingHappensWhileTheExternalProgramRuns)
{
    OutputSwitch sw;
    sw.hover(true);
    EXPECT_EQ(sw.picture(), SwitchPicture::On);
    EXPECT_EQ(sw.labelColour(), PanelColours::kBlack);
    EXPECT_TRUE(sw.toolTip().isEmpty());
    EXPECT_FALSE(OutputSwitch::clickRequestsToggle(true));
    EXPECT_TRUE(OutputSwitch::clickRequestsToggle(false));
}

TEST(OutputSwitch, SwitchingShowsTheHoveredPictureOfTheNewState)
{
    OutputSwitch sw;
    sw.hover(false);
    sw.switched(false);
    EXPECT_EQ(sw.picture(), SwitchPicture::OffHovered);
    EXPECT_FALSE(sw.isOn());
    EXPECT_EQ(sw.toolTip(), QStringLiteral("Click to Output On"));
    sw.switched(true);
    EXPECT_EQ(sw.picture(), SwitchPicture::OnHovered);
    EXPECT_TRUE(sw.isOn());
    EXPECT_EQ(sw.toolTip(), QStringLiteral("Click to Output Off"));
}

TEST(OutputSwitch, AProgramStepShowsThePlainPictureOfItsState)
{
    OutputSwitch sw;
    sw.shows(false);
    EXPECT_EQ(sw.picture(), SwitchPicture::Off);
    EXPECT_EQ(sw.toolTip(), QStringLiteral("Click to Output On"));
    sw.shows(true);
    EXPECT_EQ(sw.picture(), SwitchPicture::On);
    EXPECT_EQ(sw.toolTip(), QStringLiteral("Click to Output Off"));
}

} // namespace
