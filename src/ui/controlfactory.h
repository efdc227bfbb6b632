#pragma once

// Process-wide registry of control classes that the layout builder can create
// by name in addition to the built-in ones (the custom controls).

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace varlok::ui {

class CControlUI;

class CControlFactory {
public:
    using Factory = std::function<std::unique_ptr<CControlUI>()>;

    static CControlFactory& GetInstance();

    // Registers className (e.g. "CCircleProgressUI"); a second registration
    // of the same name replaces the first. UI thread, before layouts use it.
    void RegistControl(std::string_view className, Factory factory);
    // Creates by the registered name, or by the layout tag form: tag
    // "CircleProgress" also finds "CCircleProgressUI". Names compared without
    // regard to case. Null when unknown.
    [[nodiscard]] std::unique_ptr<CControlUI> CreateControl(std::string_view name) const;

private:
    std::map<std::string, Factory, std::less<>> m_factories;
};

}  // namespace varlok::ui
