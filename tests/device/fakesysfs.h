#pragma once

// A sysfs and /dev tree in a temporary folder for the hidraw backend's tests
// (and for programs pointed at it), laid out as the kernel lays out USB and
// Bluetooth HID devices.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace varlok::device::testing {

namespace fs = std::filesystem;

inline void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// A sysfs and /dev tree in a temporary folder, laid out as the kernel lays
// out USB and Bluetooth HID devices:
//   sys/devices/usb1/1-N/1-N:1.I/0003:VVVV:PPPP.KKKK/{uevent,report_descriptor,hidraw/hidrawN}
//   sys/class/hidraw/hidrawN -> the hidraw/hidrawN folder above (its "device" -> ../..)
//   dev/hidrawN (an empty file standing in for the node)
class FakeSysfs {
public:
    FakeSysfs() {
        std::string pattern = (fs::temp_directory_path() / "varlok-hidraw-XXXXXX").string();
        m_root = ::mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
        fs::create_directories(m_root / "sys");
        fs::create_directories(m_root / "dev");
    }
    ~FakeSysfs() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    std::string Sys() const { return (m_root / "sys").string(); }
    std::string Dev() const { return (m_root / "dev").string(); }
    std::string Node(int node) const { return Dev() + "/hidraw" + std::to_string(node); }

    // interfaceNumber empty: a device without a USB interface (Bluetooth).
    // usbPort: the USB device folder is "1-<usbPort>" (default: the node
    // number); two nodes on one port are two interfaces of one device.
    void AddDevice(int node, std::uint16_t vendorId, std::uint16_t productId,
                   std::optional<int> interfaceNumber, const std::vector<std::uint8_t>& descriptor,
                   int instance = 1, std::uint16_t bcdDevice = 0x0102, int usbPort = -1) {
        char name[64];
        fs::path parent;
        const std::string port = "1-" + std::to_string(usbPort < 0 ? node : usbPort);
        if (interfaceNumber) {
            const fs::path usbDevice = m_root / "sys/devices/usb1" / port;
            fs::create_directories(usbDevice);
            std::snprintf(name, sizeof name, "%04x\n", bcdDevice);
            WriteFile(usbDevice / "bcdDevice", name);
            parent = usbDevice / (port + ":1." + std::to_string(*interfaceNumber));
            fs::create_directories(parent);
            std::snprintf(name, sizeof name, "%02x\n", *interfaceNumber);
            WriteFile(parent / "bInterfaceNumber", name);
        } else {
            parent = m_root / "sys/devices/virtual/bt" / ("hci" + std::to_string(node));
            fs::create_directories(parent);
        }
        std::snprintf(name, sizeof name, "%04X:%04X:%04X.%04X", interfaceNumber ? 3 : 5, vendorId,
                      productId, instance);
        const fs::path hid = parent / name;
        fs::create_directories(hid / "hidraw" / ("hidraw" + std::to_string(node)));
        char hidId[64];
        std::snprintf(hidId, sizeof hidId, "%04X:%08X:%08X", interfaceNumber ? 3 : 5, vendorId,
                      productId);
        WriteFile(hid / "uevent", std::string("DRIVER=hid-generic\nHID_ID=") + hidId +
                                      "\nHID_NAME=Test Device\nHID_PHYS=usb-0000:00:14.0-1/input" +
                                      std::to_string(interfaceNumber.value_or(0)) +
                                      "\nHID_UNIQ=\n");
        WriteFile(hid / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
        const fs::path rawFolder = hid / "hidraw" / ("hidraw" + std::to_string(node));
        fs::create_directory_symlink("../..", rawFolder / "device");
        fs::create_directories(m_root / "sys/class/hidraw");
        fs::create_directory_symlink(rawFolder, ClassEntry(node));
        WriteFile(Node(node), "");
        m_hidFolders[node] = hid;
    }

    void RemoveDevice(int node) {
        fs::remove(ClassEntry(node));
        fs::remove_all(m_hidFolders[node]);
        fs::remove(Node(node));
    }

    fs::path ClassEntry(int node) const {
        return m_root / "sys/class/hidraw" / ("hidraw" + std::to_string(node));
    }

private:
    fs::path m_root;
    std::map<int, fs::path> m_hidFolders;
};

}  // namespace varlok::device::testing
