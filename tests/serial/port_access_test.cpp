#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <vector>

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

// Who may open a device for reading and writing: the first class of the mode that applies
// decides, as the kernel checks it (an owner without the bits is refused even when the group
// has them); root may always.
TEST(OwnershipAllowsReadWrite, OwnerGroupOthersAndRoot) {
    const unsigned kDialout = 20, kUser = 1000, kOther = 1001;
    const struct {
        const char* what;
        DeviceOwnership device;
        unsigned uid;
        std::vector<unsigned> groups;
        bool allowed;
    } cases[] = {
        {"usual tty, user not in dialout", {S_IFCHR | 0660, 0, kDialout}, kUser, {kUser}, false},
        {"usual tty, user in dialout",
         {S_IFCHR | 0660, 0, kDialout},
         kUser,
         {kUser, kDialout},
         true},
        {"root", {S_IFCHR | 0600, 0, 0}, 0, {0}, true},
        {"read only for the group", {S_IFCHR | 0640, 0, kDialout}, kUser, {kDialout}, false},
        {"open to all", {S_IFCHR | 0666, 0, kDialout}, kUser, {kUser}, true},
        {"the user's own pseudo-terminal", {S_IFCHR | 0620, kUser, 5}, kUser, {kUser}, true},
        {"owner without the bits, group with them",
         {S_IFCHR | 0060, kUser, kDialout},
         kUser,
         {kDialout},
         false},
        {"another user's device", {S_IFCHR | 0600, kOther, kOther}, kUser, {kUser}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OwnershipAllowsReadWrite(c.device, c.uid, c.groups), c.allowed) << c.what;
}

TEST(PortRefusedToUser, OnlyAnExistingDeviceIsRefused) {
    EXPECT_FALSE(PortRefusedToUser("zelvanor-no-such-port"));
    EXPECT_FALSE(PortRefusedToUser(""));
    EXPECT_FALSE(PortRefusedToUser("/dev/null")); // 0666
}
