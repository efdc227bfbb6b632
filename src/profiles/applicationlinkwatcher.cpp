#include "profiles/applicationlinkwatcher.h"

#include "platform/debugoutput.h"

namespace varlok::profiles {

void ApplicationLinkWatcher::Run(platform::Event& stop) {
    if (!stop.IsSet()) {
        m_follow();
    }
    while (true) {
        const std::optional<std::size_t> fired =
            platform::WaitAny(stop, m_foreground.Changed(), platform::Event::kInfinite);
        if (!fired || *fired == 0) {
            break;
        }
        m_follow();
    }
    platform::DebugOutput::Write("鼠标灯光进程侦测线程设定退出");
}

}  // namespace varlok::profiles
