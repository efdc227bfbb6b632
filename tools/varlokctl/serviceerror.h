#pragma once

// How varlokctl answers a call that the varlok window did not carry out: the
// service's error names mapped onto the tool's exit codes.
//
//   InvalidArgument, UnsafeName        2  bad usage (the window's message says why)
//   NotConnected                       3  no mouse found
//   NotFound, BadFile, Refused         1  other failure
//   DeviceFailed                       5  the mouse is not answering, or
//                                      6  when the window says the mouse answered with a
//                                         failure status
//   anything else (the window gone, no answer in time)   1

#include <string>
#include <string_view>

#include "platform/buscall.h"
#include "varlokctl/exitcode.h"

namespace varlok::tools {

struct CallFailure {
    ExitCode code = ExitCode::Failure;
    // Without the "varlokctl: " in front and the line end.
    std::string message;
};

// reply is an error reply to method; window names the window ("the varlok
// window (pid 42)").
[[nodiscard]] CallFailure DescribeCallFailure(const platform::BusReply& reply,
                                              std::string_view method, std::string_view window);

}  // namespace varlok::tools
