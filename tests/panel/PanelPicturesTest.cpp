#include "panel/PanelPictures.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// Each state has a picture of its own (two missing pictures would look alike).
TEST(PanelPictures, TheStatesLookDifferent)
{
    const QSize size(40, 40);
    QList<QImage> images;
    for (int index = 5; index <= 10; ++index)
        images << PanelPictures::ImageListPicture(index, size).toImage();
    images << PanelPictures::ConnectionLamp(size).toImage()
           << PanelPictures::PollLamp(size).toImage();
    for (int i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images.at(i).size(), size) << "picture " << i;
        for (int j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images.at(i), images.at(j)) << "pictures " << i << " and " << j;
    }
}

TEST(PanelPictures, UnknownNumbersAndEmptySizesGiveNoPicture)
{
    for (const int index : { 4, 11 })
        EXPECT_TRUE(PanelPictures::ImageListPicture(index, QSize(16, 16)).isNull()) << index;
    EXPECT_TRUE(PanelPictures::SwitchImage(SwitchPicture::On, QSize()).isNull());
    EXPECT_TRUE(PanelPictures::LockImage(true, QSize(0, 10)).isNull());
    EXPECT_TRUE(PanelPictures::PollLamp(QSize(-5, -5)).isNull());
}

} // namespace
