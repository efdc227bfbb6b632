// varlokctl as the tests run it against a sysfs and /dev tree of their own:
// the command logic and the owner locks of the real program, but its hidraw
// nodes are Unix sockets (SOCK_SEQPACKET, which keeps report boundaries) on
// which the test plays the mouse.
//
// Usage: varlokctl_socket_nodes SYSFS-ROOT DEV-ROOT [varlokctl arguments]

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/hidbus.h"
#include "device/hidrawbackend.h"
#include "varlokctl/commandline.h"

namespace {

int ConnectNode(const std::string& node, int flags) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (node.size() >= sizeof address.sun_path) {
        return -ENAMETOOLONG;
    }
    std::memcpy(address.sun_path, node.c_str(), node.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -errno;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        return -error;
    }
    ::fcntl(fd, F_SETFL, flags & O_NONBLOCK);
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: varlokctl_socket_nodes SYSFS-ROOT DEV-ROOT [ARGUMENTS]\n";
        return 2;
    }
    using namespace varlok;
    auto bus = std::make_shared<device::HidBus>();
    bus->Attach(std::make_shared<device::HidrawBackend>(argv[1], argv[2], ConnectNode));
    bus->SetOwnerLocks(device::SystemOwnerLocks(device::kToolProgram));
    const std::vector<std::string_view> arguments(argv + 3, argv + argc);
    tools::CommandLine tool({bus, std::cout, std::cerr, stdout, nullptr, false, {}, {}});
    return static_cast<int>(tool.Run(arguments));
}
