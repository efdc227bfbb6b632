#pragma once

// The one algorithm behind vertical and horizontal layouts: children with a
// fixed size along the axis get it, the others share the rest equally (within
// their minimum and maximum); across the axis a child takes the full extent
// unless it has a fixed size, then it is placed by align.

#include <functional>
#include <vector>

#include "ui/uitypes.h"

namespace varlok::ui {
class CControlUI;
}

namespace varlok::ui::qt {

// Lays out children in rc; returns the extent along the axis they use
// (pixels). scale turns 96-dpi units into pixels.
int LayoutLinear(const std::vector<CControlUI*>& children, const UiRect& rc, bool vertical,
                 int childPadding, int align, const std::function<int(int)>& scale);

}  // namespace varlok::ui::qt
