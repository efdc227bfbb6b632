#pragma once

#include <string_view>

namespace varlok::platform {

// How far the program's start has come, for the debugger channel: each
// phase is written once, as "start-up: PHASE at N ms", N counted from the
// moment the kernel started the process (the exec, to its clock tick of
// 10 ms), so that a slow start can be taken apart phase by phase with
// VARLOK_DEBUG=1. A phase named again is not written again. Thread-safe.
void MarkStartupPhase(std::string_view phase);

}  // namespace varlok::platform
