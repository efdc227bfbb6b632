#include "platform/busvalue.h"

#include <bit>
#include <limits>
#include <utility>

namespace varlok::platform {

namespace {

// Sign-extended into the 64-bit pattern, so that AsInteger reads it back.
std::uint64_t SignedBits(std::int64_t value) {
    return static_cast<std::uint64_t>(value);
}

}  // namespace

BusValue BusValue::Boolean(bool value) {
    return {Type::Boolean, value ? 1U : 0U};
}

BusValue BusValue::Byte(std::uint8_t value) {
    return {Type::Byte, value};
}

BusValue BusValue::Int16(std::int16_t value) {
    return {Type::Int16, SignedBits(value)};
}

BusValue BusValue::UInt16(std::uint16_t value) {
    return {Type::UInt16, value};
}

BusValue BusValue::Int32(std::int32_t value) {
    return {Type::Int32, SignedBits(value)};
}

BusValue BusValue::UInt32(std::uint32_t value) {
    return {Type::UInt32, value};
}

BusValue BusValue::Int64(std::int64_t value) {
    return {Type::Int64, SignedBits(value)};
}

BusValue BusValue::UInt64(std::uint64_t value) {
    return {Type::UInt64, value};
}

BusValue BusValue::Double(double value) {
    return {Type::Double, std::bit_cast<std::uint64_t>(value)};
}

BusValue BusValue::String(std::string value) {
    BusValue result(Type::String, 0);
    result.m_text = std::move(value);
    return result;
}

BusValue BusValue::Array(std::string elementSignature, std::vector<BusValue> items) {
    BusValue result(Type::Array, 0);
    result.m_text = std::move(elementSignature);
    result.m_items = std::move(items);
    return result;
}

BusValue BusValue::Bytes(std::span<const std::uint8_t> bytes) {
    std::vector<BusValue> items;
    items.reserve(bytes.size());
    for (const std::uint8_t byte : bytes) {
        items.push_back(Byte(byte));
    }
    return Array("y", std::move(items));
}

BusValue BusValue::ByteArrays(const std::vector<std::vector<std::uint8_t>>& arrays) {
    std::vector<BusValue> items;
    items.reserve(arrays.size());
    for (const std::vector<std::uint8_t>& bytes : arrays) {
        items.push_back(Bytes(bytes));
    }
    return Array("ay", std::move(items));
}

BusValue BusValue::Struct(std::vector<BusValue> fields) {
    BusValue result(Type::Struct, 0);
    result.m_items = std::move(fields);
    return result;
}

BusValue BusValue::DictEntry(BusValue key, BusValue value) {
    BusValue result(Type::DictEntry, 0);
    result.m_items = {std::move(key), std::move(value)};
    return result;
}

BusValue BusValue::Variant(BusValue inner) {
    BusValue result(Type::Variant, 0);
    result.m_items = {std::move(inner)};
    return result;
}

BusValue BusValue::Other(std::string signature) {
    BusValue result(Type::Other, 0);
    result.m_text = std::move(signature);
    return result;
}

std::string BusValue::Signature() const {
    switch (m_type) {
        case Type::Boolean:
            return "b";
        case Type::Byte:
            return "y";
        case Type::Int16:
            return "n";
        case Type::UInt16:
            return "q";
        case Type::Int32:
            return "i";
        case Type::UInt32:
            return "u";
        case Type::Int64:
            return "x";
        case Type::UInt64:
            return "t";
        case Type::Double:
            return "d";
        case Type::String:
            return "s";
        case Type::Variant:
            return "v";
        case Type::Other:
            return m_text;
        case Type::Array:
            return "a" + m_text;
        case Type::Struct:
        case Type::DictEntry: {
            std::string signature;
            for (const BusValue& item : m_items) {
                signature += item.Signature();
            }
            return m_type == Type::Struct ? "(" + signature + ")" : "{" + signature + "}";
        }
    }
    return {};
}

std::optional<bool> BusValue::AsBoolean() const {
    if (m_type != Type::Boolean) {
        return std::nullopt;
    }
    return m_bits != 0;
}

std::optional<std::int64_t> BusValue::AsInteger() const {
    switch (m_type) {
        case Type::Byte:
        case Type::UInt16:
        case Type::UInt32:
        case Type::Int16:
        case Type::Int32:
        case Type::Int64:
            return static_cast<std::int64_t>(m_bits);
        case Type::UInt64:
            if (m_bits > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                return std::nullopt;
            }
            return static_cast<std::int64_t>(m_bits);
        default:
            return std::nullopt;
    }
}

std::optional<double> BusValue::AsDouble() const {
    if (m_type != Type::Double) {
        return std::nullopt;
    }
    return std::bit_cast<double>(m_bits);
}

std::optional<std::string> BusValue::AsString() const {
    if (m_type != Type::String) {
        return std::nullopt;
    }
    return m_text;
}

std::optional<std::vector<std::uint8_t>> BusValue::AsBytes() const {
    if (m_type != Type::Array || m_text != "y") {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(m_items.size());
    for (const BusValue& item : m_items) {
        bytes.push_back(static_cast<std::uint8_t>(item.m_bits));
    }
    return bytes;
}

}  // namespace varlok::platform
