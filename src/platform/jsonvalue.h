#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varlok::platform {

// One value of a JSON text, as a compositor's socket sends them (Sway's IPC,
// Hyprland's queries), parsed by json-glib and held without its types. A
// plain value: copyable, any thread.
class JsonValue {
public:
    enum class Type { Null, Boolean, Integer, Double, String, Array, Object };

    // Nesting deeper than this is refused: no compositor's answer comes near.
    static constexpr int kMaxDepth = 128;

    // The value of a whole JSON text; nothing when it is not one.
    [[nodiscard]] static std::optional<JsonValue> Parse(std::string_view text);

    JsonValue() = default;

    [[nodiscard]] Type GetType() const { return m_type; }
    // An object's member of that name; nullptr when there is none, or for
    // another type.
    [[nodiscard]] const JsonValue* Member(std::string_view name) const;
    // An integer's value; nothing for another type.
    [[nodiscard]] std::optional<std::int64_t> AsInteger() const;
    [[nodiscard]] std::optional<bool> AsBoolean() const;
    [[nodiscard]] std::optional<std::string> AsString() const;
    // An array's items (an object's member values, in order); empty for the
    // other types.
    [[nodiscard]] const std::vector<JsonValue>& Items() const { return m_items; }

    // The member's value as that type, nothing when missing or of another.
    [[nodiscard]] std::optional<std::int64_t> IntegerMember(std::string_view name) const;
    [[nodiscard]] std::optional<std::string> StringMember(std::string_view name) const;
    [[nodiscard]] bool TrueMember(std::string_view name) const;

private:
    friend class JsonBuilder;

    Type m_type = Type::Null;
    std::int64_t m_integer = 0;
    double m_double = 0;
    bool m_boolean = false;
    std::string m_text;
    std::vector<JsonValue> m_items;
    // An object's member names, one per item.
    std::vector<std::string> m_names;
};

}  // namespace varlok::platform
