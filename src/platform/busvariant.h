#pragma once

// Conversion between BusValue and GLib's GVariant, for the GDBus backend.
// Internal to the platform layer's GLib code and its tests: only targets
// that link gio-2.0 themselves may include this header.

#include <glib.h>

#include <string>

#include "platform/busvalue.h"

namespace varlok::platform {

// A new floating GVariant holding value. Text that is not valid UTF-8 (a
// file name can be any bytes) is sent with its invalid bytes replaced, as
// D-Bus strings must be UTF-8.
[[nodiscard]] GVariant* ToGVariant(const BusValue& value);

// text with the bytes that are not valid UTF-8 replaced (U+FFFD).
[[nodiscard]] std::string ValidUtf8(const std::string& text);

// The value of a GVariant (not consumed). Object paths and signatures become
// strings; the types BusValue does not model become Other.
[[nodiscard]] BusValue FromGVariant(GVariant* variant);

}  // namespace varlok::platform
