#include "platform/entrynames.h"

#include <algorithm>
#include <string>
#include <vector>

namespace varlok::platform {

namespace {

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

}  // namespace

EntryNameProblem CheckEntryName(std::string_view name) {
    if (name.empty()) {
        return EntryNameProblem::Empty;
    }
    if (name == "." || name == ".." || name.find_first_of("/\\") != std::string_view::npos) {
        return EntryNameProblem::LeavesFolder;
    }
    if (std::ranges::any_of(name,
                            [](char c) { return IsControl(static_cast<unsigned char>(c)); })) {
        return EntryNameProblem::ControlCharacter;
    }
    if (name.front() == ' ' || name.back() == ' ') {
        return EntryNameProblem::SurroundingBlanks;
    }
    if (name.size() > kMaxEntryNameBytes) {
        return EntryNameProblem::TooLong;
    }
    return EntryNameProblem::Ok;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

std::optional<std::filesystem::path> EntryFilePath(const std::filesystem::path& folder,
                                                   std::string_view name,
                                                   std::string_view extension) {
    if (!IsSafeEntryName(name)) {
        return std::nullopt;
    }
    const std::string fileName = std::string(name) + std::string(extension);
    const std::filesystem::path exact = folder / fileName;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(exact, error))) {
        return exact;
    }
    // Another spelling of the same name; the first in name order, so that
    // the choice does not depend on the order the folder lists its files.
    std::vector<std::string> matches;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (SameNameIgnoringCase(candidate, fileName)) {
            matches.push_back(candidate);
        }
    }
    if (matches.empty()) {
        return exact;
    }
    return folder / *std::ranges::min_element(matches);
}

}  // namespace varlok::platform
