#pragma once

// The entries of the command table, each defined in its command's own file.

#include "varlokctl/commandtable.h"

namespace varlok::tools {

extern const CommandSpec kListCommand;
extern const CommandSpec kInfoCommand;
extern const CommandSpec kReadSettingsCommand;
extern const CommandSpec kDumpCommand;
extern const CommandSpec kSetCommand;
extern const CommandSpec kSwitchProfileCommand;
extern const CommandSpec kApplyCommand;
extern const CommandSpec kSelectProfileCommand;
extern const CommandSpec kEffectCommand;
extern const CommandSpec kMacrosCommand;
extern const CommandSpec kUploadCommand;
extern const CommandSpec kWatchCommand;
extern const CommandSpec kUdevRuleCommand;

}  // namespace varlok::tools
