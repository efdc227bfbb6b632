#pragma once

#include <optional>
#include <string>

#include "lighting/effectchange.h"
#include "platform/busvalue.h"

namespace varlok::service {

// Takes SetLightingEffect's options (an a{sv}: speed, brightness, direction,
// seven, colour, wheel, logo) into change; the refusal's text when one is
// unknown or has a value of the wrong type or range. Numbers may come as any
// integer type (gdbus sends int32).
[[nodiscard]] std::optional<std::string> TakeEffectOptions(const platform::BusValue& options,
                                                           lighting::EffectChange& change);

}  // namespace varlok::service
