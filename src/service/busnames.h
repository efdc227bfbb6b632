#pragma once

// The names of the window's bus service (the contract with varlokctl and
// desktop scripts), and its errors: the one place they are written.

#include <array>
#include <string>
#include <string_view>

namespace varlok::service {

inline constexpr std::string_view kBusName = "io.github.varlok.Varlok1";
inline constexpr std::string_view kObjectPath = "/io/github/varlok/Varlok1";
inline constexpr std::string_view kInterfaceName = "io.github.varlok.Varlok1";

enum class ServiceError {
    InvalidArgument,  // unknown stage, off-grid DPI, bad colour, unknown effect or option
    NotConnected,     // the mouse is absent
    UnsafeName,       // a profile name or path that would leave its folder
    NotFound,         // no such profile, no such process
    BadFile,          // not a profile file of this mouse, or unreadable
    Refused,          // the window refused it (macros too large, ...)
    DeviceFailed,     // the mouse did not answer, or answered with a failure status
};

struct ServiceErrorName {
    ServiceError error;
    std::string_view name;
};

inline constexpr std::array<ServiceErrorName, 7> kServiceErrors{{
    {ServiceError::InvalidArgument, "InvalidArgument"},
    {ServiceError::NotConnected, "NotConnected"},
    {ServiceError::UnsafeName, "UnsafeName"},
    {ServiceError::NotFound, "NotFound"},
    {ServiceError::BadFile, "BadFile"},
    {ServiceError::Refused, "Refused"},
    {ServiceError::DeviceFailed, "DeviceFailed"},
}};

// The D-Bus error name: "io.github.varlok.Varlok1.Error." and the error's.
[[nodiscard]] inline std::string ErrorName(ServiceError error) {
    for (const ServiceErrorName& entry : kServiceErrors) {
        if (entry.error == error) {
            return std::string(kInterfaceName) + ".Error." + std::string(entry.name);
        }
    }
    return std::string(kInterfaceName) + ".Error";
}

}  // namespace varlok::service
