#include "platform/jsonvalue.h"

#include <json-glib/json-glib.h>

#include "platform/glibpointers.h"

namespace varlok::platform {

// Turns json-glib's nodes into JsonValues.
class JsonBuilder {
public:
    static std::optional<JsonValue> From(JsonNode* node, int depth) {
        if (depth > JsonValue::kMaxDepth) {
            return std::nullopt;
        }
        JsonValue value;
        switch (json_node_get_node_type(node)) {
            case JSON_NODE_NULL:
                return value;
            case JSON_NODE_VALUE:
                return FromBasic(node);
            case JSON_NODE_ARRAY: {
                value.m_type = JsonValue::Type::Array;
                JsonArray* array = json_node_get_array(node);
                const guint length = json_array_get_length(array);
                for (guint i = 0; i < length; ++i) {
                    std::optional<JsonValue> item =
                        From(json_array_get_element(array, i), depth + 1);
                    if (!item) {
                        return std::nullopt;
                    }
                    value.m_items.push_back(std::move(*item));
                }
                return value;
            }
            case JSON_NODE_OBJECT: {
                value.m_type = JsonValue::Type::Object;
                JsonObject* object = json_node_get_object(node);
                JsonObjectIter members;
                json_object_iter_init(&members, object);
                const gchar* name = nullptr;
                JsonNode* member = nullptr;
                while (json_object_iter_next(&members, &name, &member)) {
                    std::optional<JsonValue> item = From(member, depth + 1);
                    if (!item) {
                        return std::nullopt;
                    }
                    value.m_names.emplace_back(name);
                    value.m_items.push_back(std::move(*item));
                }
                return value;
            }
        }
        return std::nullopt;
    }

private:
    static std::optional<JsonValue> FromBasic(JsonNode* node) {
        JsonValue value;
        switch (json_node_get_value_type(node)) {
            case G_TYPE_BOOLEAN:
                value.m_type = JsonValue::Type::Boolean;
                value.m_boolean = json_node_get_boolean(node) != FALSE;
                return value;
            case G_TYPE_INT64:
                value.m_type = JsonValue::Type::Integer;
                value.m_integer = json_node_get_int(node);
                return value;
            case G_TYPE_DOUBLE:
                value.m_type = JsonValue::Type::Double;
                value.m_double = json_node_get_double(node);
                return value;
            case G_TYPE_STRING:
                value.m_type = JsonValue::Type::String;
                value.m_text = json_node_get_string(node);
                return value;
            default:
                return std::nullopt;
        }
    }
};

std::optional<JsonValue> JsonValue::Parse(std::string_view text) {
    GObjectPtr<JsonParser> parser(json_parser_new_immutable());
    GError* rawError = nullptr;
    const bool parsed = json_parser_load_from_data(parser.get(), text.data(),
                                                   static_cast<gssize>(text.size()), &rawError);
    const GErrorPtr error(rawError);
    JsonNode* root = parsed ? json_parser_get_root(parser.get()) : nullptr;
    if (root == nullptr) {
        return std::nullopt;
    }
    return JsonBuilder::From(root, 0);
}

const JsonValue* JsonValue::Member(std::string_view name) const {
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == name) {
            return &m_items[i];
        }
    }
    return nullptr;
}

std::optional<std::int64_t> JsonValue::AsInteger() const {
    return m_type == Type::Integer ? std::optional(m_integer) : std::nullopt;
}

std::optional<bool> JsonValue::AsBoolean() const {
    return m_type == Type::Boolean ? std::optional(m_boolean) : std::nullopt;
}

std::optional<std::string> JsonValue::AsString() const {
    return m_type == Type::String ? std::optional(m_text) : std::nullopt;
}

std::optional<std::int64_t> JsonValue::IntegerMember(std::string_view name) const {
    const JsonValue* member = Member(name);
    return member != nullptr ? member->AsInteger() : std::nullopt;
}

std::optional<std::string> JsonValue::StringMember(std::string_view name) const {
    const JsonValue* member = Member(name);
    return member != nullptr ? member->AsString() : std::nullopt;
}

bool JsonValue::TrueMember(std::string_view name) const {
    const JsonValue* member = Member(name);
    return member != nullptr && member->AsBoolean().value_or(false);
}

}  // namespace varlok::platform
