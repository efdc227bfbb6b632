#pragma once

// The entries of the command table, each defined in its command's own file.

#include "varlokctl/commandtable.h"

namespace varlok::tools {

extern const CommandEntry kListCommand;
extern const CommandEntry kInfoCommand;
extern const CommandEntry kReadSettingsCommand;
extern const CommandEntry kDumpCommand;
extern const CommandEntry kSetCommand;
extern const CommandEntry kSwitchProfileCommand;
extern const CommandEntry kApplyCommand;
extern const CommandEntry kSelectProfileCommand;
extern const CommandEntry kEffectCommand;
extern const CommandEntry kMacrosCommand;
extern const CommandEntry kUploadCommand;
extern const CommandEntry kWatchCommand;
extern const CommandEntry kUdevRuleCommand;

}  // namespace varlok::tools
