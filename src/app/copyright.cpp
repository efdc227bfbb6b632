#include "app/copyright.h"

#include "platform/debugoutput.h"
#include "ui/controlui.h"
#include "varlok/version.h"

namespace varlok::app {

namespace {

constexpr std::string_view kProgramName = "VARLOK";
// Neither has been decided for the project yet; the window says so rather
// than naming a licence or a site nobody chose.
constexpr std::string_view kLicence;
constexpr std::string_view kHomePage;

// Language keys of the lines that depend on the two above.
constexpr std::string_view kLicenceKey = "about_licence";
constexpr std::string_view kNoLicenceKey = "about_licence_none";

void SetLiteral(ui::CControlUI* control, std::string_view text) {
    if (control != nullptr) {
        control->SetResourceText(false);
        control->SetText(text);
    }
}

}  // namespace

Ccopyright::Ccopyright(std::string layoutFile) : CFramelessDialog(std::move(layoutFile), kClosed) {}

std::string_view Ccopyright::ProgramName() {
    return kProgramName;
}

std::string_view Ccopyright::Version() {
    return kVersion;
}

std::string_view Ccopyright::Licence() {
    return kLicence;
}

std::string_view Ccopyright::HomePage() {
    return kHomePage;
}

void Ccopyright::InitWindow() {
    auto& manager = GetPaintManager();
    m_netText = manager.FindControl("NetText");
    SetLiteral(manager.FindControl("about_name"), kProgramName);
    if (ui::CControlUI* version = manager.FindControl("about_version_value")) {
        SetLiteral(version, kVersion);
        version->SetVisible(!kVersion.empty());
    }
    if (ui::CControlUI* versionLabel = manager.FindControl("about_version")) {
        versionLabel->SetVisible(!kVersion.empty());
    }
    if (ui::CControlUI* licenceName = manager.FindControl("about_licence_value")) {
        SetLiteral(licenceName, kLicence);
        licenceName->SetVisible(!kLicence.empty());
    }
    if (ui::CControlUI* licence = manager.FindControl("about_licence")) {
        licence->SetResourceText(true);
        licence->SetText(kLicence.empty() ? kNoLicenceKey : kLicenceKey);
    }
    if (m_netText != nullptr) {
        m_netText->SetVisible(!kHomePage.empty());
    }
}

void Ccopyright::Notify(ui::TNotifyUI& msg) {
    // NetText is hidden while the project has no home page, so closebtn is
    // the only control with something to do.
    if (msg.sType == ui::msgtype::kClick && msg.pSender != nullptr &&
        SameName(msg.pSender->GetName(), "closebtn")) {
        Close(kClosed);
    }
}

bool Ccopyright::Open(ui::WindowImplBase& owner) {
    if (!Create(&owner, kTitle)) {
        platform::DebugOutput::Write("About window layout missing; not shown");
        Close(kClosed);
        return false;
    }
    CenterWindow();
    ShowWindow(true, true);
    return true;
}

}  // namespace varlok::app
