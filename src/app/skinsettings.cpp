#include "app/skinsettings.h"

#include "platform/debugoutput.h"
#include "ui/controlui.h"

namespace varlok::app {

namespace {

// FLAGS and IMAGE go in one replacement of main.ini, so that no start
// reads a flag without the picture it belongs to.
bool StoreChoice(platform::IniFile& mainIni, std::string_view flags, std::string_view image) {
    const platform::IniValue values[] = {
        {std::string(SkinSettings::kSection), std::string(SkinSettings::kFlagsKey),
         std::string(flags)},
        {std::string(SkinSettings::kSection), std::string(SkinSettings::kImageKey),
         std::string(image)},
    };
    return mainIni.WriteValues(values) == platform::IniWriteResult::Ok;
}

}  // namespace

SkinSettings::SkinSettings(const std::filesystem::path& mainIni) : m_mainIni(mainIni) {}

bool SkinSettings::StorePicture(std::string_view image) {
    if (image.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        platform::DebugOutput::Write("skin picture path not stored: it holds a line break");
        return false;
    }
    return StoreChoice(m_mainIni, "1", image);
}

bool SkinSettings::StoreReset() {
    return StoreChoice(m_mainIni, "0", kStandardBackground);
}

std::optional<std::string> SkinSettings::StartupPicture() const {
    if (m_mainIni.ReadInt(kSection, kFlagsKey, 0) != 1) {
        return std::nullopt;
    }
    std::optional<std::string> image = m_mainIni.Find(kSection, kImageKey);
    if (!image || image->empty()) {
        return std::nullopt;
    }
    return image;
}

bool ApplySkinToRoot(ui::CControlUI* root, const SkinChangedParam& param) {
    if (root == nullptr) {
        return false;
    }
    if (param.useColour) {
        root->SetBkColor(param.colour);
        root->SetBkImage("");
    } else {
        root->SetBkColor(0);
        root->SetBkImage(BackgroundImageDescription(param.image));
    }
    root->Invalidate();
    return true;
}

bool ApplyStartupSkin(ui::CControlUI* root, const SkinSettings& settings) {
    const std::optional<std::string> picture = settings.StartupPicture();
    if (!picture) {
        return false;
    }
    return ApplySkinToRoot(root, SkinChangedParam{false, 0, *picture});
}

std::string BackgroundImageDescription(std::string_view path) {
    if (path.find('=') == std::string_view::npos) {
        return std::string(path);
    }
    const char quote = path.find('\'') == std::string_view::npos ? '\'' : '"';
    return "file=" + std::string(1, quote) + std::string(path) + std::string(1, quote);
}

}  // namespace varlok::app
