#pragma once

// Something that receives window messages on the UI thread: every window of
// the program. The message hub delivers posted and sent messages and timer
// ticks (WM_TIMER with the timer id in wParam) to it.

#include "ui/uitypes.h"

namespace varlok::ui {

class MessageTarget {
public:
    virtual ~MessageTarget() = default;

    // Called on the UI thread only. Sets handled when the message was consumed;
    // the result is what a sender receives.
    virtual LResult HandleMessage(MessageId message, WParam wParam, LParam lParam,
                                  bool& handled) = 0;
};

}  // namespace varlok::ui
