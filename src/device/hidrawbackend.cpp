#include "device/hidrawbackend.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "device/filedescriptor.h"
#include "device/hidpath.h"
#include "device/hidrawconnection.h"
#include "device/hidreportdescriptor.h"

namespace varlok::device {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kScheme = "hidraw:";
constexpr std::string_view kNodePrefix = "hidraw";
// The kernel's limit is 4096 bytes (HID_MAX_DESCRIPTOR_SIZE); allow more.
constexpr std::size_t kMaxFileBytes = 65536;

std::optional<std::string> ReadSmallFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string content;
    char chunk[4096];
    while (content.size() < kMaxFileBytes && file.read(chunk, sizeof chunk).gcount() > 0) {
        content.append(chunk, static_cast<std::size_t>(file.gcount()));
    }
    content.resize(std::min(content.size(), kMaxFileBytes));
    return content;
}

// A sysfs attribute holding one hexadecimal number ("01\n", "0102\n").
std::optional<std::uint32_t> ReadHexAttribute(const fs::path& path) {
    const auto text = ReadSmallFile(path);
    if (!text) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    bool digits = false;
    for (const char c : *text) {
        const int digit = (c >= '0' && c <= '9')   ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
        if (digit < 0) {
            break;
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
        digits = true;
    }
    return digits ? std::optional(value) : std::nullopt;
}

// The value of "KEY=value" in a uevent file.
std::optional<std::string> UeventValue(const std::string& uevent, std::string_view key) {
    std::size_t start = 0;
    while (start < uevent.size()) {
        std::size_t end = uevent.find('\n', start);
        if (end == std::string::npos) {
            end = uevent.size();
        }
        const std::string_view line(uevent.data() + start, end - start);
        if (line.size() > key.size() && line.substr(0, key.size()) == key &&
            line[key.size()] == '=') {
            return std::string(line.substr(key.size() + 1));
        }
        start = end + 1;
    }
    return std::nullopt;
}

// "0003:00000C45:00007643" -> vendor 0x0C45, product 0x7643.
bool ParseHidId(const std::string& hidId, std::uint16_t& vendorId, std::uint16_t& productId) {
    unsigned bus = 0;
    unsigned vendor = 0;
    unsigned product = 0;
    if (std::sscanf(hidId.c_str(), "%x:%x:%x", &bus, &vendor, &product) != 3) {
        return false;
    }
    vendorId = static_cast<std::uint16_t>(vendor);
    productId = static_cast<std::uint16_t>(product);
    return true;
}

// "hidraw" followed by decimal digits only.
std::optional<unsigned long> NodeNumber(std::string_view name) {
    if (name.size() <= kNodePrefix.size() || name.substr(0, kNodePrefix.size()) != kNodePrefix) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(kNodePrefix.size());
    if (digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoul(std::string(digits));
}

HidOpenError OpenErrorFrom(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return HidOpenError::PermissionDenied;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return HidOpenError::NotFound;
        case EBUSY:
            return HidOpenError::Busy;
        default:
            return HidOpenError::Failed;
    }
}

// 64-bit FNV-1a: short, stable names for long sysfs paths.
std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    return hash;
}

int OpenNode(const std::string& node, int flags) {
    const int fd = ::open(node.c_str(), flags);
    return fd >= 0 ? fd : -errno;
}

}  // namespace

struct HidrawBackend::NodeInfo {
    Identity identity;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0;
    std::optional<std::uint32_t> interfaceNumber;  // USB interfaces only
    std::vector<std::uint8_t> descriptor;
};

HidrawBackend::HidrawBackend(std::string sysfsRoot, std::string devRoot, NodeOpener opener)
    : m_sysfsRoot(std::move(sysfsRoot)),
      m_devRoot(std::move(devRoot)),
      m_opener(opener ? std::move(opener) : NodeOpener(OpenNode)) {}

std::optional<HidrawBackend::NodeInfo> HidrawBackend::ReadNode(const std::string& name) const {
    std::error_code error;
    const fs::path device =
        fs::canonical(fs::path(m_sysfsRoot) / "class" / "hidraw" / name / "device", error);
    if (error) {
        return std::nullopt;
    }
    const auto uevent = ReadSmallFile(device / "uevent");
    const auto hidId = uevent ? UeventValue(*uevent, "HID_ID") : std::nullopt;
    const auto descriptor = ReadSmallFile(device / "report_descriptor");
    NodeInfo info;
    if (!hidId || !descriptor || !ParseHidId(*hidId, info.vendorId, info.productId)) {
        return std::nullopt;
    }
    info.identity = {device.string(), *hidId};
    info.descriptor.assign(descriptor->begin(), descriptor->end());
    // A USB HID device sits in its interface's folder, which sits in the
    // USB device's folder.
    const fs::path usbInterface = device.parent_path();
    info.interfaceNumber = ReadHexAttribute(usbInterface / "bInterfaceNumber");
    if (info.interfaceNumber) {
        info.version = static_cast<std::uint16_t>(
            ReadHexAttribute(usbInterface.parent_path() / "bcdDevice").value_or(0));
    }
    return info;
}

bool HidrawBackend::Enumerate(std::vector<std::string>& paths) {
    const fs::path classFolder = fs::path(m_sysfsRoot) / "class" / "hidraw";
    std::error_code error;
    if (!fs::exists(classFolder, error)) {
        return !error;  // no hidraw driver loaded: nothing present
    }
    std::vector<std::pair<unsigned long, std::string>> nodes;
    for (fs::directory_iterator it(classFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (const auto number = NodeNumber(name)) {
            nodes.emplace_back(*number, name);
        }
    }
    if (error) {
        return false;
    }
    std::sort(nodes.begin(), nodes.end());

    std::lock_guard lock(m_mutex);
    for (const auto& [number, name] : nodes) {
        const std::optional<NodeInfo> info = ReadNode(name);
        if (!info) {
            continue;  // gone meanwhile, or not readable: not present for us
        }
        HidReportDescriptor descriptor;
        const std::size_t collections =
            descriptor.Parse(info->descriptor).Ok() ? descriptor.Collections().size() : 1;
        char ids[64];
        std::snprintf(ids, sizeof ids, "#vid_%04x&pid_%04x", info->vendorId, info->productId);
        std::string base = std::string(kScheme) + m_devRoot + "/" + name + ids;
        if (info->interfaceNumber) {
            char marker[16];
            std::snprintf(marker, sizeof marker, "&mi_%02x", *info->interfaceNumber);
            base += marker;
        }
        for (std::size_t index = 1; index <= std::max<std::size_t>(collections, 1); ++index) {
            std::string path = base;
            if (collections > 1) {
                char marker[16];
                std::snprintf(marker, sizeof marker, "&col%02zx", index);
                path += marker;
            }
            m_identities[path] = info->identity;
            paths.push_back(std::move(path));
        }
    }
    return true;
}

std::string HidrawBackend::NodeNameOf(std::string_view path) const {
    if (path.substr(0, kScheme.size()) != kScheme) {
        return {};
    }
    std::string_view node = path.substr(kScheme.size());
    node = node.substr(0, node.find('#'));
    const std::string prefix = m_devRoot + "/";
    if (node.size() <= prefix.size() || node.substr(0, prefix.size()) != prefix) {
        return {};
    }
    const std::string_view name = node.substr(prefix.size());
    return NodeNumber(name) ? std::string(name) : std::string();
}

std::unique_ptr<HidConnection> HidrawBackend::Open(std::string_view path,
                                                   const HidOpenRequest& request,
                                                   HidOpenError& error) {
    error = HidOpenError::None;
    const std::string name = NodeNameOf(path);
    const std::optional<NodeInfo> info = name.empty() ? std::nullopt : ReadNode(name);
    if (!info || HexAfterMarker(path, "vid_").value_or(0) != info->vendorId ||
        HexAfterMarker(path, "pid_").value_or(0) != info->productId) {
        error = HidOpenError::NotFound;
        return nullptr;
    }
    const std::string node = m_devRoot + "/" + name;
    FileDescriptor nodeFd;
    if (request.read || request.write) {
        // hidraw has no sharing modes; exclusive access is not enforced.
        const int access = request.read && request.write ? O_RDWR
                           : request.write               ? O_WRONLY
                                                         : O_RDONLY;
        const int fd = m_opener(node, access | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = OpenErrorFrom(-fd);
            return nullptr;
        }
        nodeFd.Reset(fd);
    }
    FileDescriptor abortEvent(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!abortEvent.Valid()) {
        error = HidOpenError::Failed;
        return nullptr;
    }
    HidReportDescriptor descriptor;
    const bool numbered = descriptor.Parse(info->descriptor).Ok() && descriptor.Numbered();
    const HidAttributes attributes{info->vendorId, info->productId, info->version};
    return std::make_unique<HidrawConnection>(std::move(nodeFd), std::move(abortEvent),
                                              info->descriptor, attributes, numbered);
}

std::string HidrawBackend::OwnerKey(std::string_view path) {
    const std::string name = NodeNameOf(path);
    const std::optional<NodeInfo> info = name.empty() ? std::nullopt : ReadNode(name);
    if (!info) {
        return {};
    }
    const fs::path hidDevice(info->identity.deviceFolder);
    const fs::path physical =
        info->interfaceNumber ? hidDevice.parent_path().parent_path() : hidDevice.parent_path();
    std::error_code error;
    const fs::path root = fs::canonical(m_sysfsRoot, error);
    char key[64];
    std::snprintf(key, sizeof key, "hidraw-%04x-%04x-%016llx", info->vendorId, info->productId,
                  static_cast<unsigned long long>(Fnv1a(
                      error ? physical.string() : physical.lexically_relative(root).string())));
    return key;
}

bool HidrawBackend::Probe(std::string_view path) {
    const std::string name = NodeNameOf(path);
    if (name.empty()) {
        return false;
    }
    struct stat status {};
    if (::stat((m_devRoot + "/" + name).c_str(), &status) != 0) {
        return false;
    }
    const std::optional<NodeInfo> info = ReadNode(name);
    if (!info) {
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        const auto known = m_identities.find(path);
        if (known != m_identities.end()) {
            return known->second.deviceFolder == info->identity.deviceFolder &&
                   known->second.hidId == info->identity.hidId;
        }
    }
    const auto interfaceNumber = HexAfterMarker(path, "&mi_");
    return HexAfterMarker(path, "vid_").value_or(0) == info->vendorId &&
           HexAfterMarker(path, "pid_").value_or(0) == info->productId &&
           interfaceNumber == info->interfaceNumber;
}

}  // namespace varlok::device
