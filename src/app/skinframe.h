#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "app/dialogframe.h"
#include "app/skinobserver.h"
#include "app/skinsettings.h"

namespace varlok::ui {
class CControlUI;
}

namespace varlok::app {

// The skin popup that opens under the main window's skin button: picture
// choices (skin_image_btn, the picture path in the user data), colour
// choices (skin_color_btn, the button's background colour), the standard
// background (skin_reset) and a picture file of the user's own
// (skin_Custom). Each choice is published to every receiver first; picture
// choices and the reset are then remembered in main.ini. The popup closes as
// soon as it stops being the active window (WM_ACTIVATE with WA_INACTIVE: a
// click elsewhere), without a change. Whoever opens it keeps the object
// until IsFinished(). UI thread only.
class CSkinFrame : public CFramelessDialog {
public:
    static constexpr std::string_view kLayout = "skin.xml";
    static constexpr std::string_view kTitle = "skinframe";
    // The file dialog of skin_Custom.
    static constexpr std::string_view kPictureExtension = "png";
    static constexpr std::string_view kPictureInitialName = "*.png";
    static constexpr std::string_view kPictureFilter = "(*.png) | *.png |(*.*)|*.*||";

    CSkinFrame(SkinPublisherType& publisher, const std::filesystem::path& mainIni,
               std::string layoutFile = std::string(kLayout));

    // Creates the popup topmost, places it under button (a control of
    // parent) with its right edge on the button's right edge, shows it and
    // makes it the active window with the keyboard focus. False when the
    // layout cannot be built.
    bool Open(const ui::WindowImplBase& parent, const ui::CControlUI& button);

    // The popup's top-left corner for a button rectangle in screen
    // coordinates: (button right - popup width, button bottom).
    [[nodiscard]] static ui::UiPoint Placement(const ui::UiRect& buttonOnScreen,
                                               ui::UiSize popupSize);

    void Notify(ui::TNotifyUI& msg) override;

protected:
    [[nodiscard]] std::string GetWindowClassName() const override { return "UISkinFrame"; }
    ui::LResult HandleCustomMessage(ui::MessageId message, ui::WParam wParam, ui::LParam lParam,
                                    bool& handled) override;

private:
    void OnClick(const ui::CControlUI& sender);
    void ChooseCustomPicture();
    void SelectPage(int page);

    SkinPublisherType& m_publisher;
    SkinSettings m_settings;
    bool m_choosingFile = false;
};

}  // namespace varlok::app
