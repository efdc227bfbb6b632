#include "ui/qt/namefilter.h"

#include <string_view>

namespace varlok::ui::qt {

namespace {

std::string JoinPatterns(const std::vector<std::string>& patterns, std::string_view separator,
                         bool forQt) {
    std::string joined;
    for (const std::string& pattern : patterns) {
        if (!joined.empty()) {
            joined += separator;
        }
        joined += (forQt && pattern == "*.*") ? std::string("*") : pattern;
    }
    return joined;
}

}  // namespace

std::string ToQtNameFilter(const FileFilter& filter) {
    const std::string qtPatterns = "(" + JoinPatterns(filter.patterns, " ", true) + ")";
    std::string_view text = filter.displayText;
    for (const std::string_view separator : {";", " "}) {
        const std::string own = "(" + JoinPatterns(filter.patterns, separator, false) + ")";
        if (text.size() >= own.size() && text.substr(text.size() - own.size()) == own) {
            text.remove_suffix(own.size());
            return std::string(text) + qtPatterns;
        }
    }
    return text.empty() ? qtPatterns : std::string(text) + " " + qtPatterns;
}

}  // namespace varlok::ui::qt
