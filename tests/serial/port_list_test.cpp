#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "serial/port_list.h"

using namespace zel;
namespace fs = std::filesystem;

namespace {

class FakeSysfs : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("zel-sysfs-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + std::to_string(getpid()));
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    void Tty(const std::string& name, bool device, const char* type = nullptr) {
        fs::create_directories(root / name);
        if (device) fs::create_directories(root / name / "device");
        if (type) std::ofstream(root / name / "type") << type << "\n";
    }
    fs::path root;
};

} // namespace

TEST_F(FakeSysfs, ListsTheSerialDevicesOnly) {
    Tty("ttyUSB0", true);
    Tty("ttyACM1", true);
    Tty("ttyS0", true, "0"); // an 8250 slot without a UART
    Tty("ttyS1", true, "4");
    Tty("tty0", false); // a virtual console
    Tty("ptmx", false);
    EXPECT_EQ(SerialPortPaths(root.string()),
              (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS1", "/dev/ttyUSB0"}));
    EXPECT_EQ(JoinPortNames(SerialPortPaths(root.string())),
              "/dev/ttyACM1,/dev/ttyS1,/dev/ttyUSB0");
}

TEST_F(FakeSysfs, NoSerialPortGivesAnEmptyList) {
    Tty("tty0", false);
    EXPECT_TRUE(SerialPortPaths(root.string()).empty());
    EXPECT_TRUE(SerialPortPaths((root / "missing").string()).empty());
    EXPECT_EQ(JoinPortNames({}), "");
}

TEST(PortNames, NamesWithBlanksCommasOrQuotesAreQuoted) {
    EXPECT_EQ(JoinPortNames({"/dev/a b", "/dev/c,d", "/dev/e\"f", "/dev/g"}),
              "\"/dev/a b\",\"/dev/c,d\",\"/dev/e\"\"f\",/dev/g");
}

// A USB adapter that comes back as another ttyUSBn keeps its name under by-id.
TEST_F(FakeSysfs, StableNameOfAPort) {
    const fs::path dev = root / "dev";
    const fs::path byId = root / "by-id";
    fs::create_directories(dev);
    fs::create_directories(byId);
    std::ofstream(dev / "ttyUSB0") << "";
    std::ofstream(dev / "ttyUSB1") << "";
    fs::create_symlink(dev / "ttyUSB0", byId / "usb-FTDI_FT232R_A1B2-if00-port0");
    const std::string stable = (byId / "usb-FTDI_FT232R_A1B2-if00-port0").string();
    const struct {
        std::string port, expected;
    } cases[] = {
        {(dev / "ttyUSB0").string(), stable},
        {stable, stable},                                         // already stable
        {(dev / "ttyUSB1").string(), (dev / "ttyUSB1").string()}, // no stable name
        {(dev / "gone").string(), (dev / "gone").string()},       // not there
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StablePortName(c.port, byId.string()), c.expected) << c.port;
    EXPECT_EQ(StablePortName((dev / "ttyUSB0").string(), (root / "none").string()),
              (dev / "ttyUSB0").string());
}
