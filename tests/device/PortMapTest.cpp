#include "device/PortMap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(PortMap, FallsBackToTheUsualDeviceNames)
{
    EXPECT_EQ(PortMap::DevicePath(1, {}), "/dev/ttyUSB0");
    EXPECT_EQ(PortMap::DevicePath(16, {}), "/dev/ttyUSB15");
    EXPECT_EQ(PortMap::DevicePath(17, {}), "/dev/ttyACM0");
    EXPECT_EQ(PortMap::DevicePath(24, {}), "/dev/ttyACM7");
    EXPECT_EQ(PortMap::DevicePath(25, {}), "/dev/ttyS0");
    EXPECT_EQ(PortMap::DevicePath(32, {}), "/dev/ttyS7");
    EXPECT_EQ(PortMap::DevicePath(0, {}), "");
    EXPECT_EQ(PortMap::DevicePath(33, {}), "");
    EXPECT_EQ(PortMap::PortName(12), "Com12");
}

TEST(PortMap, AnEntryOfThePortsFolderWins)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath("Com3");
    ASSERT_TRUE(QFile::link("/dev/null", link));
    EXPECT_EQ(PortMap::DevicePath(3, dir.path()), link);
    EXPECT_EQ(PortMap::DevicePath(4, dir.path()), "/dev/ttyUSB3");
    // A link whose adapter is gone still names the port: opening it fails.
    ASSERT_TRUE(QFile::link(dir.filePath("gone"), dir.filePath("Com5")));
    EXPECT_EQ(PortMap::DevicePath(5, dir.path()), dir.filePath("Com5"));
}
