#include <gtest/gtest.h>

#include <cerrno>

#include "serial/port_access.h"

using namespace zel;

TEST(PortPermissionHint, OnlyForAPermissionRefusal) {
    EXPECT_EQ(PortPermissionHint("ttyUSB0", ENOENT), "");
    EXPECT_EQ(PortPermissionHint("ttyUSB0", 0), "");
    // The group of the device when it exists, dialout otherwise.
    EXPECT_NE(PortPermissionHint("/dev/null", EACCES).find("group root"), std::string::npos);
    EXPECT_NE(PortPermissionHint("zelvanor-no-such-port", EPERM).find("usermod -aG dialout"),
              std::string::npos);
}
