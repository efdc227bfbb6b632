#pragma once

// The checks of what a program left in the stores, shared by the kill
// campaign's varlok_store_churn and the monkey: every list entry has its
// file, of its size and with its magic, and loads (unless a start set its
// file aside, which leaves it none until the next save); every macro file
// there is parses; no entry is a temporary or set-aside file; the virtual
// mouse's state file decodes.

#include <filesystem>
#include <string>
#include <vector>

namespace varlok::soak {

struct StoreCheck {
    // One line per fault found.
    std::vector<std::string> faults;
    // Temporary files of killed writes in the folders looked at.
    int temporaries = 0;
};

enum class StartFill {
    // Also run the next start's fill of the lists (which may write the
    // first profiles): for stores no program has open.
    Run,
    Skip,
};

// data is the mouse's data folder, install the installation folder with the
// default profiles; state the virtual mouse's state file (none when empty
// or missing).
[[nodiscard]] StoreCheck CheckStores(const std::filesystem::path& data,
                                     const std::filesystem::path& install,
                                     const std::filesystem::path& state, StartFill fill);

// Whether a file name is one of the temporaries a replacement writes.
[[nodiscard]] bool IsTemporaryFile(const std::filesystem::path& path);

}  // namespace varlok::soak
