#pragma once

#include <cstddef>
#include <functional>
#include <utility>

#include "device/devicelink.h"
#include "keys/cursorscripts.h"
#include "keys/macrostore.h"
#include "keys/storemessage.h"
#include "settings/tableuploads.h"

namespace varlok::keys {

// The tables of a save to the mouse, as the exchange asks for them: the
// cursor scripts and the macro store sent by UploadStores (the one sequence
// varlokctl's upload uses too), and a refusal told through the message sink
// (the window shows it in a message box).
//
// Thread affinity: the thread that runs the save (the UI thread).
class StoreUploader final : public settings::TableUploads {
public:
    using MessageSink = std::function<void(const StoreMessage&)>;

    // scripts and macros must outlive the uploader.
    StoreUploader(const CursorScripts& scripts, const MacroStore& macros, MessageSink tell)
        : m_scripts(scripts), m_macros(macros), m_tell(std::move(tell)) {}

    [[nodiscard]] settings::UploadResult UploadTables(device::DeviceLink& link,
                                                      std::size_t macroCapacityBytes) override;

private:
    const CursorScripts& m_scripts;
    const MacroStore& m_macros;
    MessageSink m_tell;
};

}  // namespace varlok::keys
