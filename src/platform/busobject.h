#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/buscall.h"
#include "platform/busvalue.h"

namespace varlok::platform {

// Property values by property name.
using BusProperties = std::map<std::string, BusValue, std::less<>>;

// An object exported on a message bus under one interface: method calls go
// to the exporter's call handler, and property reads (Get, GetAll) are
// answered from a snapshot of the values the owner published last, without
// asking the owner. The backend knows nothing of what the methods and
// properties mean.
class BusObject {
public:
    // Receives each method call; the backend says on which thread.
    using CallHandler = std::function<void(BusCall call)>;

    virtual ~BusObject() = default;

    // Replaces these properties' values in the snapshot and announces them
    // with org.freedesktop.DBus.Properties.PropertiesChanged. Any thread;
    // the publications of one thread are announced in their order.
    virtual void PublishProperties(const BusProperties& changed) = 0;
};

}  // namespace varlok::platform
