// Port enumeration on a small device tree laid out like the kernel's sysfs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/PortEnumeration.h"

namespace pavo {
namespace {

namespace fs = std::filesystem;

class DeviceTreeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("pavo-sysfs-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "sys" / "class" / "tty");
        fs::create_directories(root_ / "dev");
        tree_.sysfs = root_ / "sys";
        tree_.dev = root_ / "dev";
    }
    void TearDown() override { fs::remove_all(root_); }

    void Write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    // A class/tty entry; `device` is relative to sys/devices ("" for a virtual terminal).
    void Tty(const std::string& name, const std::string& device, const std::string& type = "") {
        const fs::path entry = tree_.sysfs / "class" / "tty" / name;
        fs::create_directories(entry);
        if (!device.empty()) {
            fs::create_directories(tree_.sysfs / "devices" / device);
            fs::create_symlink(fs::path("../../../devices") / device, entry / "device");
        }
        if (!type.empty()) Write(entry / "type", type);
    }
    // A USB device with an optional product text, at sys/devices/<path>.
    void UsbDevice(const std::string& path, const std::string& product) {
        Write(tree_.sysfs / "devices" / path / "idVendor", "10c4");
        Write(tree_.sysfs / "devices" / path / "idProduct", "ea60");
        if (!product.empty()) Write(tree_.sysfs / "devices" / path / "product", product);
    }

    fs::path root_;
    DeviceTree tree_;
};

TEST_F(DeviceTreeFixture, ListsRealPortsUsbFirstInNaturalOrder) {
    UsbDevice("pci0/usb1/1-1", "CP2102 USB to UART Bridge Controller");
    Tty("ttyUSB0", "pci0/usb1/1-1/1-1:1.0/ttyUSB0");
    UsbDevice("pci0/usb1/1-3", "");
    Tty("ttyUSB10", "pci0/usb1/1-3/1-3:1.0/ttyUSB10");
    UsbDevice("pci0/usb1/1-2", "Pavo DSP");
    Tty("ttyACM0", "pci0/usb1/1-2/1-2:1.0");
    Tty("ttyS0", "pnp0/00:00", "4");
    Tty("ttyS10", "pci0/0000:03:00.0", "4");
    Tty("ttyS2", "pnp0/00:02", "4");
    Tty("ttyS1", "platform/serial8250", "0");  // placeholder: no UART behind it
    Tty("tty0", "");                           // virtual console
    Tty("ptmx", "");

    std::vector<PortInfo> ports{{"stale", "", "", 0, "", ""}};
    EnumerateSerialPorts(ports, false, tree_);

    struct Expected {
        const char* name;
        int usb;
        const char* description;
    };
    const Expected expected[] = {
        {"ttyACM0", 1, "Pavo DSP"},  {"ttyUSB0", 1, "CP2102 USB to UART Bridge Controller"},
        {"ttyUSB10", 1, "ttyUSB10"}, {"ttyS0", 0, "ttyS0"},
        {"ttyS2", 0, "ttyS2"},       {"ttyS10", 0, "ttyS10"},
    };
    ASSERT_EQ(ports.size(), std::size(expected));
    for (size_t i = 0; i < ports.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(ports[i].PortName, expected[i].name);
        EXPECT_EQ(ports[i].BaseName, expected[i].name);
        EXPECT_EQ(ports[i].DevicePath, (tree_.dev / expected[i].name).string());
        EXPECT_EQ(ports[i].IsUsb, expected[i].usb);
        EXPECT_EQ(ports[i].Description, expected[i].description);
        EXPECT_EQ(ports[i].UsbId, expected[i].usb ? "10c4:ea60" : "");
    }
}

TEST_F(DeviceTreeFixture, NoPortsGiveAnEmptyListAndAMissingTreeAnError) {
    Tty("tty0", "");
    Tty("ttyS0", "platform/serial8250", "0");
    std::vector<PortInfo> ports(3);
    EnumerateSerialPorts(ports, false, tree_);
    EXPECT_TRUE(ports.empty());

    fs::remove_all(tree_.sysfs / "class");
    try {
        EnumerateSerialPorts(ports, false, tree_);
        FAIL() << "no error raised";
    } catch (const PortEnumerationError& e) {
        EXPECT_NE(std::string(e.what()).find("Could not read from"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("(err=2)"), std::string::npos) << e.what();
    }
}

TEST_F(DeviceTreeFixture, ProbeKeepsOnlyPortsThatOpenAndAreFree) {
    Tty("ttyS0", "pnp0/00:00", "4");  // node present and free
    Tty("ttyS1", "pnp0/00:01", "4");  // no device node
    Tty("ttyS2", "pnp0/00:02", "4");  // held by another program
    Write(tree_.dev / "ttyS0", "");
    Write(tree_.dev / "ttyS2", "");
    const int holder = ::open((tree_.dev / "ttyS2").c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    std::vector<PortInfo> ports;
    EnumerateSerialPorts(ports, true, tree_);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].PortName, "ttyS0");

    EnumerateSerialPorts(ports, false, tree_);
    EXPECT_EQ(ports.size(), 3u);
    ::close(holder);
}

}  // namespace
}  // namespace pavo
