#include "platform/swayipc.h"

#include <cstring>

#include "platform/jsonvalue.h"
#include "platform/processexecutable.h"

namespace varlok::platform::swayipc {

namespace {

std::uint32_t ReadWord(std::string_view bytes, std::size_t offset) {
    std::uint32_t word = 0;
    std::memcpy(&word, bytes.data() + offset, sizeof word);
    return word;
}

void AppendWord(std::string& bytes, std::uint32_t word) {
    char raw[sizeof word];
    std::memcpy(raw, &word, sizeof word);
    bytes.append(raw, sizeof raw);
}

std::uint32_t PidOf(const JsonValue& node) {
    return ProcessIdOrNone(node.IntegerMember("pid").value_or(0));
}

// The focused node among node and its descendants, depth first.
const JsonValue* FindFocused(const JsonValue& node) {
    if (node.TrueMember("focused")) {
        return &node;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        if (const JsonValue* list = node.Member(children)) {
            for (const JsonValue& child : list->Items()) {
                if (const JsonValue* focused = FindFocused(child)) {
                    return focused;
                }
            }
        }
    }
    return nullptr;
}

}  // namespace

std::string Encode(std::uint32_t type, std::string_view payload) {
    std::string bytes(kMagic);
    AppendWord(bytes, static_cast<std::uint32_t>(payload.size()));
    AppendWord(bytes, type);
    bytes += payload;
    return bytes;
}

std::optional<Header> DecodeHeader(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || bytes.substr(0, kMagic.size()) != kMagic) {
        return std::nullopt;
    }
    const Header header{ReadWord(bytes, kMagic.size() + sizeof(std::uint32_t)),
                        ReadWord(bytes, kMagic.size())};
    if (header.length > kMaxPayload) {
        return std::nullopt;
    }
    return header;
}

FocusChange InterpretEvent(std::uint32_t type, std::string_view payload) {
    const std::optional<JsonValue> event = JsonValue::Parse(payload);
    if (!event) {
        return {};
    }
    const std::string change = event->StringMember("change").value_or("");
    if (type == kWindowEvent) {
        if (change == "focus") {
            const JsonValue* container = event->Member("container");
            return {FocusChange::Kind::WindowFocused, container != nullptr ? PidOf(*container) : 0};
        }
        if (change == "close" || change == "move") {
            return {FocusChange::Kind::AskTree, 0};
        }
    } else if (type == kWorkspaceEvent && change == "focus") {
        return {FocusChange::Kind::AskTree, 0};
    }
    return {};
}

std::optional<std::uint32_t> FocusedProcess(std::string_view tree) {
    const std::optional<JsonValue> root = JsonValue::Parse(tree);
    if (!root) {
        return std::nullopt;
    }
    const JsonValue* focused = FindFocused(*root);
    return focused != nullptr ? PidOf(*focused) : 0;
}

}  // namespace varlok::platform::swayipc
