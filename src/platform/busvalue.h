#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varlok::platform {

// One value of a message-bus call, reply or property, in the D-Bus type
// system, without any bus library's types: the service logic builds and reads
// these, and a bus backend turns them into its own. Holds the basic types the
// program's interfaces use, arrays, structs, dictionary entries and variants;
// a value of any other basic type a caller sends arrives as Other, with its
// signature, so that it can be refused by name.
//
// A plain value: copyable, comparable, any thread.
class BusValue {
public:
    enum class Type {
        Boolean,
        Byte,
        Int16,
        UInt16,
        Int32,
        UInt32,
        Int64,
        UInt64,
        Double,
        String,
        Array,
        Struct,
        DictEntry,
        Variant,
        Other,
    };

    // An empty struct "()".
    BusValue() = default;

    [[nodiscard]] static BusValue Boolean(bool value);
    [[nodiscard]] static BusValue Byte(std::uint8_t value);
    [[nodiscard]] static BusValue Int16(std::int16_t value);
    [[nodiscard]] static BusValue UInt16(std::uint16_t value);
    [[nodiscard]] static BusValue Int32(std::int32_t value);
    [[nodiscard]] static BusValue UInt32(std::uint32_t value);
    [[nodiscard]] static BusValue Int64(std::int64_t value);
    [[nodiscard]] static BusValue UInt64(std::uint64_t value);
    [[nodiscard]] static BusValue Double(double value);
    [[nodiscard]] static BusValue String(std::string value);
    // elementSignature is the signature every item has ("y", "ay", "{sv}");
    // it also types an empty array.
    [[nodiscard]] static BusValue Array(std::string elementSignature, std::vector<BusValue> items);
    // "ay" and "aay".
    [[nodiscard]] static BusValue Bytes(std::span<const std::uint8_t> bytes);
    [[nodiscard]] static BusValue ByteArrays(const std::vector<std::vector<std::uint8_t>>& arrays);
    [[nodiscard]] static BusValue Struct(std::vector<BusValue> fields);
    [[nodiscard]] static BusValue DictEntry(BusValue key, BusValue value);
    [[nodiscard]] static BusValue Variant(BusValue inner);
    // A value of a type this class does not model, known by its signature.
    [[nodiscard]] static BusValue Other(std::string signature);

    [[nodiscard]] Type GetType() const { return m_type; }
    // The D-Bus signature ("q", "aq", "a{sv}", "(ayay)").
    [[nodiscard]] std::string Signature() const;

    // The value of a Boolean; nothing for another type.
    [[nodiscard]] std::optional<bool> AsBoolean() const;
    // The value of any integer type (a UInt64 beyond the signed range gives
    // nothing); nothing for another type.
    [[nodiscard]] std::optional<std::int64_t> AsInteger() const;
    // The value of a Double; nothing for another type.
    [[nodiscard]] std::optional<double> AsDouble() const;
    // The text of a String; nothing for another type.
    [[nodiscard]] std::optional<std::string> AsString() const;
    // The bytes of an "ay"; nothing for another type.
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> AsBytes() const;

    // The items of an Array, the fields of a Struct, key and value of a
    // DictEntry, the one value of a Variant; empty for the basic types.
    [[nodiscard]] const std::vector<BusValue>& Items() const { return m_items; }
    // An Array's element signature, or an Other's signature.
    [[nodiscard]] const std::string& ElementSignature() const { return m_text; }

    friend bool operator==(const BusValue&, const BusValue&) = default;

private:
    BusValue(Type type, std::uint64_t bits) : m_type(type), m_bits(bits) {}

    Type m_type = Type::Struct;
    // Integers, booleans and doubles, as their bit pattern.
    std::uint64_t m_bits = 0;
    // A String's text, an Array's element signature or an Other's signature.
    std::string m_text;
    std::vector<BusValue> m_items;
};

}  // namespace varlok::platform
