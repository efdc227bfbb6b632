#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/busobject.h"

namespace varlok::platform {

// A bus object for tests of the logic behind one: it keeps the snapshot and
// every publication, and makes calls whose answers the test reads back.
// Thread-safe.
class FakeBusObject final : public BusObject {
public:
    explicit FakeBusObject(BusProperties properties = {}) : m_properties(std::move(properties)) {}

    void PublishProperties(const BusProperties& changed) override;

    // The snapshot Get would answer from.
    [[nodiscard]] BusProperties Properties() const;
    // Every publication so far, oldest first.
    [[nodiscard]] std::vector<BusProperties> Publications() const;
    void ClearPublications();

    // A call whose answer lands in *reply (which must outlive the call).
    [[nodiscard]] static BusCall MakeCall(std::string method, std::vector<BusValue> arguments,
                                          BusReply& reply);

private:
    mutable std::mutex m_mutex;
    BusProperties m_properties;
    std::vector<BusProperties> m_publications;
};

}  // namespace varlok::platform
