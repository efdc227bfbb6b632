#pragma once

#include <filesystem>

#include "ui/uitypes.h"

namespace varlok::ui {

class WindowImplBase;

// Desktop services of the window system: a window's picture, the pointer's
// position, the program's icon. UI thread.

// Renders the window as it would appear on screen (also when it is drawn
// offscreen) and writes it as a PNG picture. False when the window does not
// exist or the file cannot be written.
[[nodiscard]] bool SaveWindowPicture(WindowImplBase& window, const std::filesystem::path& file);

// The mouse pointer's position in screen coordinates (where popup menus open).
[[nodiscard]] UiPoint CursorPosition();

// The icon every window of the program shows (title bars, task switchers).
// False when the picture cannot be read.
bool SetApplicationIcon(const std::filesystem::path& picture);

// Draws a picture (an SVG or a bitmap) into size x size pixels, keeping its
// transparency, and writes that as a PNG file: the icon sizes the desktop
// wants. False when it cannot be read or the file not written.
[[nodiscard]] bool WritePictureAsPng(const std::filesystem::path& picture, int size,
                                     const std::filesystem::path& file);

}  // namespace varlok::ui
