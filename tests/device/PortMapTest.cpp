#include "device/PortMap.h"

#include "tests/support/QtPrinting.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// An entry of the ports folder wins, even a link whose adapter is gone (opening
// it then fails); otherwise the usual device names.
TEST(PortMap, DevicePaths)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link("/dev/null", dir.filePath("Com3")));
    ASSERT_TRUE(QFile::link(dir.filePath("gone"), dir.filePath("Com5")));
    const std::pair<int, QString> cases[] = { { 1, "/dev/ttyUSB0" }, { 16, "/dev/ttyUSB15" },
        { 17, "/dev/ttyACM0" }, { 24, "/dev/ttyACM7" }, { 25, "/dev/ttyS0" }, { 32, "/dev/ttyS7" },
        { 0, "" }, { 33, "" }, { 3, dir.filePath("Com3") }, { 5, dir.filePath("Com5") } };
    for (const auto& [port, path] : cases)
        EXPECT_EQ(PortMap::DevicePath(port, dir.path()), path) << port;
    EXPECT_EQ(PortMap::DevicePath(3, {}), "/dev/ttyUSB2");
    EXPECT_EQ(PortMap::PortName(12), "Com12");
}
