#pragma once

// Notifications from controls to their window: the record, the receiver
// interface and the type strings. Delivered synchronously on the UI thread.

#include <string>
#include <string_view>

#include "ui/uitypes.h"

namespace varlok::ui {

class CControlUI;

// Notification type strings, as page code compares them.
namespace msgtype {
inline constexpr std::string_view kWindowInit = "windowinit";
inline constexpr std::string_view kWindowSize = "windowsize";
inline constexpr std::string_view kClick = "click";
inline constexpr std::string_view kSelectChanged = "selectchanged";
inline constexpr std::string_view kValueChanged = "valuechanged";
inline constexpr std::string_view kMoveValueChanged = "movevaluechanged";
inline constexpr std::string_view kItemSelect = "itemselect";
inline constexpr std::string_view kItemClick = "itemclick";
inline constexpr std::string_view kKillFocus = "killfocus";
inline constexpr std::string_view kSetFocus = "setfocus";
inline constexpr std::string_view kTextChanged = "textchanged";
inline constexpr std::string_view kReturn = "return";
inline constexpr std::string_view kMouseEnter = "msenter";
inline constexpr std::string_view kMouseLeave = "msleave";
inline constexpr std::string_view kColorChanged = "colorchanged";
}  // namespace msgtype

// One notification. pSender is the control it concerns (the root control for
// "windowinit" and "windowsize"); it stays valid for the duration of the
// Notify call. Parameters by type:
//   itemselect: wParam = new index, lParam = previous index (-1 for none)
//   valuechanged, movevaluechanged: wParam = the slider's value
//   selectchanged: wParam = 1 when now selected, 0 when deselected
//   colorchanged: wParam = the selected ARGB colour
//   windowsize: wParam = client width, lParam = client height (pixels)
struct TNotifyUI {
    std::string sType;
    CControlUI* pSender = nullptr;
    WParam wParam = 0;
    LParam lParam = 0;
};

// Receives notifications; called on the UI thread only.
class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

}  // namespace varlok::ui
