#include "ui/controlfactory.h"

#include <algorithm>
#include <cctype>

#include "ui/controlui.h"

namespace varlok::ui {

namespace {

std::string Lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

}  // namespace

CControlFactory& CControlFactory::GetInstance() {
    static CControlFactory factory;
    return factory;
}

void CControlFactory::RegistControl(std::string_view className, Factory factory) {
    if (className.empty() || !factory) {
        return;
    }
    m_factories[Lower(className)] = std::move(factory);
}

std::unique_ptr<CControlUI> CControlFactory::CreateControl(std::string_view name) const {
    if (name.empty()) {
        return nullptr;
    }
    auto it = m_factories.find(Lower(name));
    if (it == m_factories.end()) {
        it = m_factories.find("c" + Lower(name) + "ui");
    }
    if (it == m_factories.end()) {
        return nullptr;
    }
    return it->second();
}

}  // namespace varlok::ui
