#include "ui/qt/linearlayout.h"

#include <algorithm>

#include "ui/controlui.h"

namespace varlok::ui::qt {

namespace {

struct Axis {
    bool vertical;
    [[nodiscard]] int Main(UiSize s) const { return vertical ? s.cy : s.cx; }
    [[nodiscard]] int Cross(UiSize s) const { return vertical ? s.cx : s.cy; }
    [[nodiscard]] int MainBefore(const UiRect& r) const { return vertical ? r.top : r.left; }
    [[nodiscard]] int MainAfter(const UiRect& r) const { return vertical ? r.bottom : r.right; }
    [[nodiscard]] int CrossBefore(const UiRect& r) const { return vertical ? r.left : r.top; }
    [[nodiscard]] int CrossAfter(const UiRect& r) const { return vertical ? r.right : r.bottom; }
    [[nodiscard]] UiRect Make(int mainStart, int mainEnd, int crossStart, int crossEnd) const {
        return vertical ? UiRect{crossStart, mainStart, crossEnd, mainEnd}
                        : UiRect{mainStart, crossStart, mainEnd, crossEnd};
    }
};

}  // namespace

int LayoutLinear(const std::vector<CControlUI*>& children, const UiRect& rc, bool vertical,
                 int childPadding, int align, const std::function<int(int)>& scale) {
    const Axis axis{vertical};
    const UiSize available{rc.Width(), rc.Height()};
    const int gap = scale(childPadding);
    int fixedTotal = 0;
    int adjustable = 0;
    for (const CControlUI* child : children) {
        const UiSize size = child->EstimateSize(available);
        const UiRect pad = child->GetPadding();
        fixedTotal += scale(axis.MainBefore(pad)) + scale(axis.MainAfter(pad));
        if (axis.Main(size) > 0) {
            fixedTotal += scale(axis.Main(size));
        } else {
            ++adjustable;
        }
    }
    if (!children.empty()) {
        fixedTotal += gap * static_cast<int>(children.size() - 1);
    }
    const int mainExtent = vertical ? rc.Height() : rc.Width();
    const int free = std::max(0, mainExtent - fixedTotal);
    int remaining = free;
    int adjustableLeft = adjustable;
    int pos = vertical ? rc.top : rc.left;
    const int start = pos;
    const int crossStart = vertical ? rc.left : rc.top;
    const int crossEnd = vertical ? rc.right : rc.bottom;
    for (std::size_t i = 0; i < children.size(); ++i) {
        CControlUI* child = children[i];
        const UiSize size = child->EstimateSize(available);
        const UiRect pad = child->GetPadding();
        const UiSize minSize{child->GetMinWidth(), child->GetMinHeight()};
        const UiSize maxSize{child->GetMaxWidth(), child->GetMaxHeight()};
        int main = 0;
        if (axis.Main(size) > 0) {
            main = scale(axis.Main(size));
        } else {
            main = adjustableLeft > 1 ? free / adjustable : remaining;
            main = std::clamp(main, scale(axis.Main(minSize)),
                              std::max(scale(axis.Main(minSize)), scale(axis.Main(maxSize))));
            remaining = std::max(0, remaining - main);
            --adjustableLeft;
        }
        const int before = scale(axis.MainBefore(pad));
        const int after = scale(axis.MainAfter(pad));
        const int cBefore = scale(axis.CrossBefore(pad));
        const int cAfter = scale(axis.CrossAfter(pad));
        const int crossRoom = crossEnd - crossStart - cBefore - cAfter;
        int cross = axis.Cross(size) > 0 ? scale(axis.Cross(size)) : crossRoom;
        cross = std::clamp(cross, scale(axis.Cross(minSize)),
                           std::max(scale(axis.Cross(minSize)), scale(axis.Cross(maxSize))));
        int cStart = crossStart + cBefore;
        if (align == 1) {
            cStart += (crossRoom - cross) / 2;
        } else if (align == 2) {
            cStart += crossRoom - cross;
        }
        const int mainStart = pos + before;
        child->SetPos(axis.Make(mainStart, mainStart + main, cStart, cStart + cross));
        pos = mainStart + main + after;
        if (i + 1 < children.size()) {
            pos += gap;
        }
    }
    return pos - start;
}

}  // namespace varlok::ui::qt
