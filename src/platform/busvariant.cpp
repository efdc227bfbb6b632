#include "platform/busvariant.h"

#include <string>
#include <vector>

#include "platform/glibpointers.h"

namespace varlok::platform {

std::string ValidUtf8(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        return text;
    }
    const GCharPtr valid(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
    return valid.get();
}

namespace {

GVariant* ContainerVariant(const BusValue& value) {
    std::vector<GVariant*> children;
    children.reserve(value.Items().size());
    for (const BusValue& item : value.Items()) {
        children.push_back(ToGVariant(item));
    }
    switch (value.GetType()) {
        case BusValue::Type::Array: {
            const GVariantType* element =
                G_VARIANT_TYPE(value.ElementSignature().c_str());  // checked by GLib
            return g_variant_new_array(element, children.data(), children.size());
        }
        case BusValue::Type::DictEntry:
            return g_variant_new_dict_entry(children.at(0), children.at(1));
        case BusValue::Type::Variant:
            return g_variant_new_variant(children.at(0));
        default:
            return g_variant_new_tuple(children.data(), children.size());
    }
}

}  // namespace

GVariant* ToGVariant(const BusValue& value) {
    const std::int64_t number = value.AsInteger().value_or(0);
    switch (value.GetType()) {
        case BusValue::Type::Boolean:
            return g_variant_new_boolean(value.AsBoolean().value_or(false) ? TRUE : FALSE);
        case BusValue::Type::Byte:
            return g_variant_new_byte(static_cast<guint8>(number));
        case BusValue::Type::Int16:
            return g_variant_new_int16(static_cast<gint16>(number));
        case BusValue::Type::UInt16:
            return g_variant_new_uint16(static_cast<guint16>(number));
        case BusValue::Type::Int32:
            return g_variant_new_int32(static_cast<gint32>(number));
        case BusValue::Type::UInt32:
            return g_variant_new_uint32(static_cast<guint32>(number));
        case BusValue::Type::Int64:
            return g_variant_new_int64(number);
        case BusValue::Type::UInt64:
            return g_variant_new_uint64(static_cast<guint64>(number));
        case BusValue::Type::Double:
            return g_variant_new_double(value.AsDouble().value_or(0));
        case BusValue::Type::String:
            return g_variant_new_string(
                ValidUtf8(value.AsString().value_or(std::string())).c_str());
        case BusValue::Type::Other:
            // Nothing of ours sends one; an empty struct keeps the message well formed.
            return g_variant_new_tuple(nullptr, 0);
        case BusValue::Type::Array:
        case BusValue::Type::Struct:
        case BusValue::Type::DictEntry:
        case BusValue::Type::Variant:
            return ContainerVariant(value);
    }
    return g_variant_new_tuple(nullptr, 0);
}

BusValue FromGVariant(GVariant* variant) {
    switch (g_variant_classify(variant)) {
        case G_VARIANT_CLASS_BOOLEAN:
            return BusValue::Boolean(g_variant_get_boolean(variant) != FALSE);
        case G_VARIANT_CLASS_BYTE:
            return BusValue::Byte(g_variant_get_byte(variant));
        case G_VARIANT_CLASS_INT16:
            return BusValue::Int16(g_variant_get_int16(variant));
        case G_VARIANT_CLASS_UINT16:
            return BusValue::UInt16(g_variant_get_uint16(variant));
        case G_VARIANT_CLASS_INT32:
            return BusValue::Int32(g_variant_get_int32(variant));
        case G_VARIANT_CLASS_UINT32:
            return BusValue::UInt32(g_variant_get_uint32(variant));
        case G_VARIANT_CLASS_INT64:
            return BusValue::Int64(g_variant_get_int64(variant));
        case G_VARIANT_CLASS_UINT64:
            return BusValue::UInt64(g_variant_get_uint64(variant));
        case G_VARIANT_CLASS_DOUBLE:
            return BusValue::Double(g_variant_get_double(variant));
        case G_VARIANT_CLASS_STRING:
        case G_VARIANT_CLASS_OBJECT_PATH:
        case G_VARIANT_CLASS_SIGNATURE:
            return BusValue::String(g_variant_get_string(variant, nullptr));
        default:
            break;
    }
    std::vector<BusValue> items;
    const gsize count = g_variant_is_container(variant) ? g_variant_n_children(variant) : 0;
    items.reserve(count);
    for (gsize i = 0; i < count; ++i) {
        const GVariantPtr child(g_variant_get_child_value(variant, i));
        items.push_back(FromGVariant(child.get()));
    }
    const GVariantType* type = g_variant_get_type(variant);
    switch (g_variant_classify(variant)) {
        case G_VARIANT_CLASS_ARRAY: {
            const GVariantType* element = g_variant_type_element(type);
            return BusValue::Array(std::string(g_variant_type_peek_string(element),
                                               g_variant_type_get_string_length(element)),
                                   std::move(items));
        }
        case G_VARIANT_CLASS_TUPLE:
            return BusValue::Struct(std::move(items));
        case G_VARIANT_CLASS_DICT_ENTRY:
            return BusValue::DictEntry(std::move(items.at(0)), std::move(items.at(1)));
        case G_VARIANT_CLASS_VARIANT:
            return BusValue::Variant(std::move(items.at(0)));
        default:
            return BusValue::Other(g_variant_get_type_string(variant));
    }
}

}  // namespace varlok::platform
