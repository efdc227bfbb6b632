#include "varlokctl/serviceerror.h"

#include "service/busnames.h"

namespace varlok::tools {

namespace {

using service::ServiceError;

// What the service says of a mouse that answered with a failure status
// (service/devicereads.cpp), as opposed to one that did not answer.
constexpr std::string_view kFailureStatusText = "with a failure status";

bool Is(const platform::BusReply& reply, ServiceError error) {
    return reply.errorName == service::ErrorName(error);
}

}  // namespace

CallFailure DescribeCallFailure(const platform::BusReply& reply, std::string_view method,
                                std::string_view window) {
    const std::string said = reply.errorMessage;
    const std::string refused =
        std::string(window) + " refused " + std::string(method) + ": " + said;
    if (Is(reply, ServiceError::InvalidArgument) || Is(reply, ServiceError::UnsafeName)) {
        return {ExitCode::Usage, refused};
    }
    if (Is(reply, ServiceError::NotConnected)) {
        return {ExitCode::NoMouse,
                "no mouse found: " + std::string(window) + " has none connected"};
    }
    if (Is(reply, ServiceError::NotFound) || Is(reply, ServiceError::BadFile)) {
        return {ExitCode::Failure, said};
    }
    if (Is(reply, ServiceError::Refused)) {
        return {ExitCode::Failure, refused};
    }
    if (Is(reply, ServiceError::DeviceFailed)) {
        if (said.find(kFailureStatusText) != std::string::npos) {
            return {ExitCode::DeviceError, "the mouse refused " + std::string(method) + " (" +
                                               said + ", through " + std::string(window) + ")"};
        }
        return {ExitCode::NotAnswering,
                "the mouse is not answering (" + said + ", through " + std::string(window) + ")"};
    }
    return {ExitCode::Failure, std::string(window) + " did not carry out " + std::string(method) +
                                   " (" + reply.errorName + ": " + said + ")"};
}

}  // namespace varlok::tools
