#pragma once

#include <cstdint>
#include <string_view>

#include "device/devicelink.h"
#include "settings/exchangehooks.h"
#include "settings/mousemirror.h"
#include "settings/profilesaves.h"
#include "settings/tableuploads.h"

namespace varlok::settings {

// The exchanges that keep the host mirror and the mouse in step: the full
// read after a connection or an announced change, the re-read of the
// current record, the switch of onboard profile, the write-back of changed
// settings and the save of the key table.
//
// Device results are not shown to the user; failures go to the debug
// output. A read that fails never puts bytes into the mirror that were not
// read: a block read that stops part-way keeps the chunks it received and
// the mirror's own bytes after them.
//
// Thread affinity: the UI thread (timer, message and click handlers). Each
// group of commands runs under the link's I/O lock, so no other thread's
// command lands inside it; hooks and saves are called with the lock
// released.
class ConfigurationExchange {
public:
    // link, mirror, saves, hooks and uploads must outlive this object.
    ConfigurationExchange(device::DeviceLink& link, MouseMirror& mirror, ProfileSaves& saves,
                          ExchangeHooks& hooks, TableUploads& uploads);

    // Reads the whole mouse: information block, factory key map and the
    // five key tables, in one transfer bracket. The settings area is not
    // read: the record in force becomes record table entry 0 as the host
    // holds it, with byte 0 (the active profile) set to 0. Then the zone
    // selector is taken from entry 0 and the device profile saved. The
    // caller refreshes the pages.
    void SyncDevice();

    // Re-reads the current settings record (after the device switched
    // profile on its own): the record in force is first stored into its
    // profile's entry, then the device's record at offset 0 becomes entry 0
    // and the record in force, always with byte 0 set to 0. Saves the
    // lighting and device profiles; the caller refreshes the mouse page.
    // Takes the mirror's recordChangedOnDevice mark first.
    void RefreshCurrentRecord();

    // Switches the device to onboard profile `index` (0-4; anything else is
    // ignored). A change not yet flushed is sent first, to the profile it
    // was made on. Nothing more happens when the device already reports that
    // profile, or when its active index cannot be read or the switch cannot
    // be written. An active index above 4 names no record table entry: the
    // record in force is then not stored anywhere, and the switch goes on.
    // A switch ends with ExchangeHooks::OnboardProfileSwitched. True when
    // the device switched and the record in force is the new profile's.
    bool SelectOnboardProfile(int index);

    // Timer 2: sends the record in force when it was marked dirty (one
    // WriteSettings of 56 bytes at offset 0, the record then zeros), and
    // clears the mark whatever the device answered: a failed write is
    // dropped, and the next change sends the whole record again. While the
    // mouse has changed its record in force by itself and the re-read has
    // not yet taken it (recordChangedOnDevice), the mark is cleared and
    // nothing is sent: the record held is the one the mouse left.
    void FlushSettings();

    // The key page's save button: SaveStarted; the cursor-script and macro
    // tables (TableUploads), then the key table of the active profile
    // (BeginTransfer, KeyBlockWriter's read and write of its window,
    // EndTransfer) and the device profile save; SaveFinished. A refused
    // table stops the device writes after it; SaveFinished is sent in every
    // case. An active profile above 4 in the record is refused: no key table
    // is sent. True when the key table was sent (whatever the device
    // answered).
    bool SaveToDevice();

private:
    bool WriteActiveKeySlot();
    // Logs a failed command of the named step (when the link is connected:
    // an unconnected link failing is no news).
    void Report(std::string_view step, device::LinkResult result) const;

    device::DeviceLink& m_link;
    MouseMirror& m_mirror;
    ProfileSaves& m_saves;
    ExchangeHooks& m_hooks;
    TableUploads& m_uploads;
};

}  // namespace varlok::settings
