#include "platform/buscaller.h"

#include <memory>
#include <utility>

#include "platform/glibpointers.h"

namespace varlok::platform {

namespace {

BusObjectAddress PropertiesOf(const BusObjectAddress& target) {
    return {target.busName, target.objectPath, kDbusPropertiesInterface};
}

}  // namespace

BusCaller ConnectBusCaller(const std::string& address, std::chrono::milliseconds timeout) {
    auto client = std::make_shared<GdbusClient>(address);
    return [client, timeout](const BusObjectAddress& target, const std::string& method,
                             std::vector<BusValue> arguments) {
        return client->Call(target, method, std::move(arguments), timeout);
    };
}

std::optional<BusValue> ReadBusProperty(const BusCaller& caller, const BusObjectAddress& target,
                                        const std::string& name) {
    const BusReply reply = caller(PropertiesOf(target), "Get",
                                  {BusValue::String(target.interfaceName), BusValue::String(name)});
    if (reply.IsError() || reply.values.size() != 1 ||
        reply.values[0].GetType() != BusValue::Type::Variant) {
        return std::nullopt;
    }
    return reply.values[0].Items().at(0);
}

BusReply WriteBusProperty(const BusCaller& caller, const BusObjectAddress& target,
                          const std::string& name, BusValue value) {
    return caller(PropertiesOf(target), "Set",
                  {BusValue::String(target.interfaceName), BusValue::String(name),
                   BusValue::Variant(std::move(value))});
}

}  // namespace varlok::platform
