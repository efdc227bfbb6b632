#include "platform/fakebusobject.h"

#include <utility>

namespace varlok::platform {

void FakeBusObject::PublishProperties(const BusProperties& changed) {
    const std::lock_guard lock(m_mutex);
    for (const auto& [name, value] : changed) {
        m_properties[name] = value;
    }
    m_publications.push_back(changed);
}

BusProperties FakeBusObject::Properties() const {
    const std::lock_guard lock(m_mutex);
    return m_properties;
}

std::vector<BusProperties> FakeBusObject::Publications() const {
    const std::lock_guard lock(m_mutex);
    return m_publications;
}

void FakeBusObject::ClearPublications() {
    const std::lock_guard lock(m_mutex);
    m_publications.clear();
}

BusCall FakeBusObject::MakeCall(std::string method, std::vector<BusValue> arguments,
                                BusReply& reply) {
    return BusCall(std::move(method), std::move(arguments),
                   [&reply](BusReply answer) { reply = std::move(answer); });
}

}  // namespace varlok::platform
