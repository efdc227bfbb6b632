#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/skinobserver.h"
#include "platform/inifile.h"

namespace varlok::ui {
class CControlUI;
}

namespace varlok::app {

// The background choice as main.ini keeps it across starts, in section
// SKINIMAGE: FLAGS "1" with IMAGE naming a picture chosen from the skin, or
// FLAGS "0" (or missing) for the skin's standard background. Colours and
// picture files of the user's own are never stored. Holds only the file's
// location; safe to use from any thread (IniFile serialises writes).
class SkinSettings {
public:
    static constexpr std::string_view kSection = "SKINIMAGE";
    static constexpr std::string_view kFlagsKey = "FLAGS";
    static constexpr std::string_view kImageKey = "IMAGE";
    static constexpr std::string_view kStandardBackground = "common/background.png";

    explicit SkinSettings(const std::filesystem::path& mainIni);

    // A picture chosen from the skin: FLAGS "1" and IMAGE, in one write. A
    // path that main.ini cannot hold (line breaks) leaves the file as it
    // was. False when nothing was written; the choice then lasts for this
    // run only.
    bool StorePicture(std::string_view image);
    // Back to the standard background: FLAGS "0", IMAGE
    // "common/background.png".
    bool StoreReset();

    // What the next start shows: the stored picture when FLAGS reads as the
    // number 1 and IMAGE names one; std::nullopt leaves the standard
    // background alone.
    [[nodiscard]] std::optional<std::string> StartupPicture() const;

private:
    platform::IniFile m_mainIni;
};

// Shows a skin choice on a window's root control: a colour with no picture,
// or a picture with no colour. False (and nothing happens) without a root.
bool ApplySkinToRoot(ui::CControlUI* root, const SkinChangedParam& param);

// The start-up rule: shows the picture main.ini names, if any, on root.
// True when a picture was applied.
bool ApplyStartupSkin(ui::CControlUI* root, const SkinSettings& settings);

// A picture path as the UI library's picture description: the path itself,
// or file='path' when the path holds an '=' that would otherwise be read as
// a description.
[[nodiscard]] std::string BackgroundImageDescription(std::string_view path);

}  // namespace varlok::app
