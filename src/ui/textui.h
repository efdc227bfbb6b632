#pragma once

// A text block: a label that wraps onto several lines and may carry markup
// (see CRenderEngine::DrawHtmlText). Never drags the window from a caption.

#include "ui/labelui.h"

namespace varlok::ui {

class CTextUI : public CLabelUI {
public:
    CTextUI();
    [[nodiscard]] std::string_view GetClass() const override;
};

}  // namespace varlok::ui
