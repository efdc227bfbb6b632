#include "keys/tableupload.h"

namespace varlok::keys {

device::LinkResult SendTable(device::DeviceLink& link, TableKind kind,
                             std::span<const std::uint8_t> table) {
    using device::LinkResult;
    const auto lock = link.LockIo();
    LinkResult first = link.BeginTransfer();
    const LinkResult write =
        kind == TableKind::Macros ? link.WriteMacroData(table) : link.WriteCursorData(table);
    if (first == LinkResult::Success) {
        first = write;
    }
    const LinkResult end = link.EndTransfer();
    return first == LinkResult::Success ? end : first;
}

}  // namespace varlok::keys
