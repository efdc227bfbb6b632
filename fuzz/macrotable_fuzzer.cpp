// The action parser of .mac and .cur files and the table built from them.
// Whatever a hand-edited or imported file holds: every action read back
// writes as a text that reads back to the same action; the pause is never
// above 65535 units; every table that is built states its own length, its
// record count and offsets that point at records whose counts and action
// bytes are those of the actions read, with reserved bytes 0.
//
// Input: the file's bytes. The actions read are split into records at every
// action whose value is 0x00 (so that one input makes tables of several
// records), and the same file is also taken as the list of every record.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzzsupport.h"
#include "keys/macroaction.h"
#include "keys/macrofile.h"
#include "keys/macrotable.h"

namespace {

using varlok::keys::MacroAction;

std::size_t U16(const std::vector<std::uint8_t>& table, std::size_t offset) {
    return table[offset] | (std::size_t{table[offset + 1]} << 8);
}

void CheckTable(const std::vector<std::vector<MacroAction>>& records) {
    const std::size_t length = varlok::keys::MacroTableLength(records);
    const auto table = varlok::keys::BuildMacroTable(records);
    VARLOK_FUZZ_CHECK(table.has_value() == (length != 0 && length <= 0xFFFF));
    if (!table) {
        return;
    }
    VARLOK_FUZZ_CHECK(table->size() == length);
    VARLOK_FUZZ_CHECK(U16(*table, 0) == 0x55AA);
    VARLOK_FUZZ_CHECK(U16(*table, 2) == length);
    VARLOK_FUZZ_CHECK(U16(*table, 4) == records.size());
    for (std::size_t reserved = 6; reserved < 16; ++reserved) {
        VARLOK_FUZZ_CHECK((*table)[reserved] == 0);
    }
    std::size_t expected = 16 + 2 * records.size();
    for (std::size_t index = 0; index < records.size(); ++index) {
        const std::size_t offset = U16(*table, 16 + 2 * index);
        VARLOK_FUZZ_CHECK(offset == expected);
        VARLOK_FUZZ_CHECK(U16(*table, offset) == records[index].size());
        VARLOK_FUZZ_CHECK(U16(*table, offset + 2) == 0);
        for (std::size_t action = 0; action < records[index].size(); ++action) {
            const auto bytes = records[index][action].WireBytes();
            for (std::size_t byte = 0; byte < bytes.size(); ++byte) {
                VARLOK_FUZZ_CHECK((*table)[offset + 4 + 4 * action + byte] == bytes[byte]);
            }
        }
        expected = offset + 4 + 4 * records[index].size();
    }
    VARLOK_FUZZ_CHECK(expected == length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto file = varlok::fuzz::ScratchFolder() / "input.mac";
    varlok::fuzz::WriteFile(file, bytes);
    const varlok::keys::MacroFileContents contents = varlok::keys::ReadMacroFile(file);
    VARLOK_FUZZ_CHECK(contents.actions.size() + contents.unreadable.size() ==
                      static_cast<std::size_t>(contents.count));
    std::vector<std::vector<MacroAction>> records(1);
    for (const MacroAction& action : contents.actions) {
        VARLOK_FUZZ_CHECK(action.PauseUnits() <= varlok::keys::kMaxPauseUnits);
        const auto again = varlok::keys::ParseMacroAction(varlok::keys::FormatMacroAction(action));
        VARLOK_FUZZ_CHECK(again.has_value() && *again == action);
        records.back().push_back(action);
        if (action.value == 0) {
            records.emplace_back();
        }
    }
    CheckTable(records);
    CheckTable(std::vector<std::vector<MacroAction>>(3, contents.actions));
    // The raw input as one action text.
    if (const auto action = varlok::keys::ParseMacroAction(bytes)) {
        VARLOK_FUZZ_CHECK(action->PauseUnits() <= varlok::keys::kMaxPauseUnits);
    }
    return 0;
}
