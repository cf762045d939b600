#include <gtest/gtest.h>

#include <cerrno>

#include "serial/port_access.h"
#include "serial/serial_line.h"

using namespace zel;

TEST(PortOwnerGroup, TheDevicesGroupOrDialout) {
    EXPECT_EQ(PortOwnerGroup("/dev/null"), "root");
    EXPECT_EQ(PortOwnerGroup("null"), "root"); // a bare name is a device of /dev
    EXPECT_EQ(PortOwnerGroup("zelvanor-no-such-port"), "dialout");
}

TEST(PortExists, PathsAndBareNames) {
    EXPECT_TRUE(PortExists("/dev/null"));
    EXPECT_TRUE(PortExists("null"));
    EXPECT_FALSE(PortExists("zelvanor-no-such-port"));
    EXPECT_FALSE(PortExists("/nonexistent/ttyX"));
    EXPECT_FALSE(PortExists(""));
}

// What opening a device on Linux reports, and the reason a user is told.
TEST(ClassifyOpenStatus, LinuxOpenStatuses) {
    const struct {
        int32_t status;
        PortFault fault;
    } cases[] = {
        {0, PortFault::None},
        {ENOENT, PortFault::Missing},
        {ENOTDIR, PortFault::Missing},
        {ENODEV, PortFault::Missing},
        {ENXIO, PortFault::Missing},
        {EBUSY, PortFault::InUse},
        {ErrAlreadyOwned, PortFault::InUse},
        {EACCES, PortFault::Permission},
        {EPERM, PortFault::Permission},
        {ENOTTY, PortFault::NotSerial},
        {EISDIR, PortFault::NotSerial},
        {ErrParameter, PortFault::SettingRefused},
        {EIO, PortFault::Other},
        {ErrTimeout, PortFault::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyOpenStatus(c.status), c.fault) << c.status;
}
