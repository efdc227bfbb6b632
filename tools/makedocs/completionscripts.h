#pragma once

// varlokctl's completion for bash, zsh and fish, made from its command
// table: the commands, their options and operands, the global options, and
// what each value may be (effect names, profile lists, numbers, profile
// files by their extension).

#include <string>

namespace varlok::tools::docs {

// For bash-completion (installed as .../bash-completion/completions/varlokctl).
[[nodiscard]] std::string BashCompletion();
// For zsh's completion system (installed as _varlokctl in a $fpath folder).
[[nodiscard]] std::string ZshCompletion();
// For fish (installed as varlokctl.fish in a vendor_completions.d folder).
[[nodiscard]] std::string FishCompletion();

}  // namespace varlok::tools::docs
