#include "keys/page/keypage.h"

#include <utility>

#include "keys/keyfunction.h"
#include "ui/controlui.h"

namespace varlok::keys {

KeyPage::KeyPage(ui::CPaintManagerUI& controls, settings::MouseMirror& mirror,
                 MacroNameLookup macroNames)
    : m_controls(controls),
      m_mirror(mirror),
      m_assignment(mirror),
      m_macroNames(std::move(macroNames)) {}

std::string KeyPage::KeyControl(std::size_t key) {
    return std::string(kKeyControlPrefix) + std::to_string(key);
}

void KeyPage::RegisterRoutes(ui::RouteTable& routes) {
    for (const ui::PageSignal signal :
         {ui::PageSignal::RefreshKeyPage, ui::PageSignal::RefreshMousePage}) {
        routes.OnSignal(kOwner, signal, [this] { RefreshActiveKeyLabels(); });
    }
}

void KeyPage::RefreshActiveKeyLabels() {
    if (const auto slot = m_assignment.ActiveSlotIndex()) {
        RefreshKeyLabels(*slot);
    }
}

void KeyPage::RefreshKeyLabels(std::size_t slot) {
    if (slot >= m_mirror.keySlots.size()) {
        return;
    }
    for (std::size_t key = 0; key < kMouseKeyCount; ++key) {
        ui::CControlUI* control = m_controls.FindControl(KeyControl(key));
        if (control == nullptr) {
            continue;
        }
        const KeyLabel label = LabelOf(KeyEntry(m_mirror.keySlots[slot], key), m_macroNames);
        if (label.kind == KeyLabel::Kind::Unchanged) {
            continue;
        }
        control->SetResourceText(label.kind == KeyLabel::Kind::LanguageKey);
        control->SetText(label.text);
        control->SetToolTip(label.text);
    }
}

}  // namespace varlok::keys
