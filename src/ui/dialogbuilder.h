#pragma once

// Builds controls from a layout file (docs/ui-layout-format.md).

#include <memory>
#include <string>
#include <string_view>

namespace varlok::ui {

class CControlUI;
class CPaintManagerUI;

// Asked by the builder for every element whose class it does not know. Return
// the control to use (for example the root of a sub-layout built with
// CDialogBuilder::Create and the same callback), or null to skip the element.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual std::unique_ptr<CControlUI> CreateControl(std::string_view className) = 0;
};

class CDialogBuilder {
public:
    // Builds the layout named xml: a name of res.xml ("XML_MAIN"), a file
    // relative to the resource path, or a full path. Unknown classes go to
    // callback (may be null). The fonts, styles and defaults the file
    // declares join manager (may be null); the window attributes of a
    // <Window> root join it only when applyWindowAttributes is set.
    // Returns the root control, or null when the file is missing or not
    // well-formed XML; nothing half-built is returned. UI thread only.
    std::unique_ptr<CControlUI> Create(std::string_view xml, IDialogBuilderCallback* callback,
                                       CPaintManagerUI* manager,
                                       bool applyWindowAttributes = false);
    // Builds from XML text instead of a file.
    std::unique_ptr<CControlUI> CreateFromText(std::string_view xmlText,
                                               IDialogBuilderCallback* callback,
                                               CPaintManagerUI* manager,
                                               bool applyWindowAttributes = false);
    // Why the last Create returned null (empty after success).
    [[nodiscard]] const std::string& GetLastError() const { return m_lastError; }

private:
    std::string m_lastError;
};

}  // namespace varlok::ui
