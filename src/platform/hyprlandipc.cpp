#include "platform/hyprlandipc.h"

#include "platform/jsonvalue.h"
#include "platform/processexecutable.h"

namespace varlok::platform::hyprlandipc {

namespace {

constexpr std::string_view kActiveWindowEvent = "activewindowv2>>";

// "0x55AB..." and "55ab..." name the same window.
std::string NormalAddress(std::string_view address) {
    if (address.starts_with("0x") || address.starts_with("0X")) {
        address.remove_prefix(2);
    }
    std::string normal;
    for (const char c : address) {
        normal += c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return normal;
}

}  // namespace

std::vector<std::string> SocketFolders(std::string_view runtimeDir, std::string_view signature) {
    std::vector<std::string> folders;
    if (!runtimeDir.empty()) {
        folders.push_back(std::string(runtimeDir) + "/hypr/" + std::string(signature) + "/");
    }
    folders.push_back("/tmp/hypr/" + std::string(signature) + "/");
    return folders;
}

std::vector<std::string> LineSplitter::Add(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view part = bytes.substr(0, end);
        if (!m_dropping) {
            m_pending += part;
        }
        if (m_pending.size() > kMaxLine) {
            m_pending.clear();
            m_dropping = true;
        }
        if (end == std::string_view::npos) {
            break;
        }
        if (!m_dropping) {
            lines.push_back(std::move(m_pending));
        }
        m_pending.clear();
        m_dropping = false;
        bytes.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<std::string> ActiveWindowAddress(std::string_view line) {
    if (!line.starts_with(kActiveWindowEvent)) {
        return std::nullopt;
    }
    line.remove_prefix(kActiveWindowEvent.size());
    // No window: an empty address, or "," from releases that send two fields.
    return line == "," ? std::string() : NormalAddress(line.substr(0, line.find(',')));
}

std::optional<std::uint32_t> ProcessOfWindow(std::string_view clients, std::string_view address) {
    const std::optional<JsonValue> windows = JsonValue::Parse(clients);
    if (!windows || windows->GetType() != JsonValue::Type::Array) {
        return std::nullopt;
    }
    const std::string wanted = NormalAddress(address);
    for (const JsonValue& window : windows->Items()) {
        if (NormalAddress(window.StringMember("address").value_or("")) != wanted) {
            continue;
        }
        return ProcessIdOrNone(window.IntegerMember("pid").value_or(0));
    }
    return 0;
}

}  // namespace varlok::platform::hyprlandipc
