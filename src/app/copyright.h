#pragma once

#include <string>
#include <string_view>

#include "app/dialogframe.h"

namespace varlok::app {

// The About window: the program's name, its version, what it is for, its
// licence and, when the project has one, a link to its home page (NetText).
// Not modal; closebtn closes it with 2. Whoever opens it keeps the object
// until IsFinished(). UI thread only.
class Ccopyright : public CFramelessDialog {
public:
    static constexpr std::string_view kLayout = "CopyRight.xml";
    static constexpr std::string_view kTitle = "关于";
    static constexpr int kClosed = 2;

    explicit Ccopyright(std::string layoutFile = std::string(kLayout));

    // The program's name as the About window shows it.
    [[nodiscard]] static std::string_view ProgramName();
    // The version the program was built as (the build system's project
    // version).
    [[nodiscard]] static std::string_view Version();
    // The licence the program is given under; empty while none was chosen
    // (the window then says so).
    [[nodiscard]] static std::string_view Licence();
    // The project's home page; empty when it has none (NetText is hidden).
    [[nodiscard]] static std::string_view HomePage();

    void Notify(ui::TNotifyUI& msg) override;

    // Opens an About window owned by owner, centred on it (on the screen
    // when the owner is hidden). False when the layout cannot be built.
    bool Open(ui::WindowImplBase& owner);

protected:
    [[nodiscard]] std::string GetWindowClassName() const override { return "UICOPYRIGHT"; }
    void InitWindow() override;

private:
    ui::CControlUI* m_netText = nullptr;
};

}  // namespace varlok::app
