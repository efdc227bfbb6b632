#include "ui/dialogbuilder.h"

#include <QFile>
#include <QXmlStreamReader>
#include <functional>
#include <map>
#include <vector>

#include "ui/checkboxui.h"
#include "ui/colorpaletteui.h"
#include "ui/comboui.h"
#include "ui/controlfactory.h"
#include "ui/editui.h"
#include "ui/horizontallayoutui.h"
#include "ui/labelui.h"
#include "ui/layeredpictureui.h"
#include "ui/lightpictureui.h"
#include "ui/listcontainerelementui.h"
#include "ui/listlabelelementui.h"
#include "ui/listui.h"
#include "ui/optionui.h"
#include "ui/paintmanagerui.h"
#include "ui/progressui.h"
#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/resourcemanager.h"
#include "ui/sliderui.h"
#include "ui/tablayoutui.h"
#include "ui/textui.h"
#include "ui/verticallayoutui.h"

namespace varlok::ui {

namespace {

// The parsed file, so that a malformed file builds nothing at all.
struct Node {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<Node> children;

    [[nodiscard]] std::string Get(std::string_view key) const {
        for (const auto& [k, v] : attributes) {
            if (attr::Equals(k, key)) {
                return v;
            }
        }
        return {};
    }
    [[nodiscard]] bool Has(std::string_view key) const {
        for (const auto& [k, v] : attributes) {
            if (attr::Equals(k, key)) {
                return true;
            }
        }
        return false;
    }
};

bool ParseXml(QXmlStreamReader& xml, Node& root, std::string& error) {
    std::vector<Node*> stack;
    bool haveRoot = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            Node node;
            node.name = qt::ToStdString(xml.name().toString());
            for (const auto& a : xml.attributes()) {
                node.attributes.emplace_back(qt::ToStdString(a.name().toString()),
                                             qt::ToStdString(a.value().toString()));
            }
            if (stack.empty()) {
                root = std::move(node);
                haveRoot = true;
                stack.push_back(&root);
            } else {
                stack.back()->children.push_back(std::move(node));
                stack.push_back(&stack.back()->children.back());
            }
        } else if (xml.isEndElement() && !stack.empty()) {
            stack.pop_back();
        }
    }
    if (xml.hasError()) {
        error = "malformed XML at line " + std::to_string(xml.lineNumber()) + ": " +
                qt::ToStdString(xml.errorString());
        return false;
    }
    if (!haveRoot) {
        error = "no root element";
        return false;
    }
    return true;
}

using Maker = std::function<std::unique_ptr<CControlUI>()>;

template <class T>
Maker Make() {
    return [] { return std::make_unique<T>(); };
}

const std::map<std::string, Maker>& BuiltIns() {
    static const std::map<std::string, Maker> makers = {
        {"control", Make<CControlUI>()},
        {"container", Make<CContainerUI>()},
        {"verticallayout", Make<CVerticalLayoutUI>()},
        {"horizontallayout", Make<CHorizontalLayoutUI>()},
        {"tablayout", Make<CTabLayoutUI>()},
        {"label", Make<CLabelUI>()},
        {"text", Make<CTextUI>()},
        {"button", Make<CButtonUI>()},
        {"option", Make<COptionUI>()},
        {"checkbox", Make<CCheckBoxUI>()},
        {"edit", Make<CEditUI>()},
        {"combo", Make<CComboUI>()},
        {"list", Make<CListUI>()},
        {"listlabelelement", Make<CListLabelElementUI>()},
        {"listcontainerelement", Make<CListContainerElementUI>()},
        {"slider", Make<CSliderUI>()},
        {"progress", Make<CProgressUI>()},
        {"colorpalette", Make<CColorPaletteUI>()},
        {"layeredpicture", Make<CLayeredPictureUI>()},
        {"lightpicture", Make<CLightPictureUI>()},
    };
    return makers;
}

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

class Builder {
public:
    Builder(IDialogBuilderCallback* callback, CPaintManagerUI* manager, int depth)
        : m_callback(callback), m_manager(manager), m_depth(depth) {}

    std::unique_ptr<CControlUI> BuildRoot(const Node& root, bool applyWindow) {
        if (!attr::Equals(root.name, "Window")) {
            return BuildControl(root);
        }
        if (m_manager != nullptr) {
            ApplyWindowDeclarations(root, applyWindow);
        }
        for (const Node& child : root.children) {
            if (IsDeclaration(child.name)) {
                continue;
            }
            if (auto control = BuildControl(child)) {
                return control;
            }
        }
        return nullptr;
    }

private:
    static bool IsDeclaration(std::string_view name) {
        return attr::Equals(name, "Font") || attr::Equals(name, "Style") ||
               attr::Equals(name, "Default") || attr::Equals(name, "Image");
    }

    void ApplyWindowDeclarations(const Node& window, bool applyWindow) {
        if (applyWindow) {
            for (const auto& [name, value] : window.attributes) {
                if (attr::Equals(name, "size")) {
                    m_manager->SetInitSize(attr::ParseSize(value));
                } else if (attr::Equals(name, "caption")) {
                    m_manager->SetCaptionRect(attr::ParseRect(value));
                } else if (attr::Equals(name, "roundcorner")) {
                    m_manager->SetRoundCorner(attr::ParseSize(value));
                } else if (attr::Equals(name, "mininfo")) {
                    m_manager->SetMinInfo(attr::ParseSize(value));
                } else if (attr::Equals(name, "resourcetext")) {
                    m_manager->SetDefaultResourceText(attr::ParseBool(value));
                }
            }
        }
        for (const Node& child : window.children) {
            if (attr::Equals(child.name, "Font")) {
                FontInfo font;
                font.family = child.Get("name");
                font.size = child.Has("size") ? attr::ParseInt(child.Get("size")) : 12;
                font.bold = attr::ParseBool(child.Get("bold"));
                font.italic = attr::ParseBool(child.Get("italic"));
                font.underline = attr::ParseBool(child.Get("underline"));
                m_manager->AddFont(font, attr::ParseBool(child.Get("default")));
            } else if (attr::Equals(child.name, "Style")) {
                m_manager->AddStyle(child.Get("name"), child.Get("value"));
            } else if (attr::Equals(child.name, "Default")) {
                m_manager->AddDefaultAttributeList(child.Get("name"), child.Get("value"));
            }
        }
    }

    std::unique_ptr<CControlUI> Create(const std::string& tag) {
        const auto& builtIns = BuiltIns();
        if (auto it = builtIns.find(Lower(tag)); it != builtIns.end()) {
            return it->second();
        }
        if (auto control = CControlFactory::GetInstance().CreateControl(tag)) {
            return control;
        }
        if (m_callback != nullptr) {
            return m_callback->CreateControl(tag);
        }
        return nullptr;
    }

    std::unique_ptr<CControlUI> BuildInclude(const Node& node) {
        if (m_depth > kMaxDepth) {
            return nullptr;
        }
        CDialogBuilder builder;
        return builder.Create(node.Get("source"), m_callback, m_manager, false);
    }

    void ApplyAttribute(CControlUI& control, const std::string& name, const std::string& value) {
        if (attr::Equals(name, "style")) {
            if (m_manager != nullptr) {
                control.ApplyAttributeList(m_manager->GetStyle(value));
            }
            return;
        }
        control.SetAttribute(name, value);
    }

    std::unique_ptr<CControlUI> BuildControl(const Node& node) {
        std::unique_ptr<CControlUI> control;
        if (attr::Equals(node.name, "Include")) {
            control = BuildInclude(node);
        } else {
            control = Create(node.name);
        }
        if (!control) {
            return nullptr;
        }
        if (m_manager != nullptr && m_manager->IsDefaultResourceText() &&
            dynamic_cast<CEditUI*>(control.get()) == nullptr) {
            control->SetResourceText(true);
        }
        if (m_manager != nullptr) {
            const std::string defaults = m_manager->GetDefaultAttributeList(node.name);
            if (!defaults.empty()) {
                control->ApplyAttributeList(defaults);
            }
        }
        // Children before the attributes that depend on them ("selectedid").
        std::vector<std::pair<std::string, std::string>> late;
        for (const auto& [name, value] : node.attributes) {
            if (attr::Equals(node.name, "Include") &&
                (attr::Equals(name, "source") || attr::Equals(name, "count"))) {
                continue;
            }
            if (attr::Equals(name, "selectedid")) {
                late.emplace_back(name, value);
                continue;
            }
            ApplyAttribute(*control, name, value);
        }
        // A layout's tooltip is a key even where its text is not (a symbol,
        // an edit's or a list's own text).
        if (m_manager != nullptr && m_manager->IsDefaultResourceText()) {
            control->SetResourceToolTip(true);
        }
        if (auto* container = dynamic_cast<CContainerUI*>(control.get())) {
            for (const Node& child : node.children) {
                if (IsDeclaration(child.name)) {
                    continue;
                }
                if (auto built = BuildControl(child)) {
                    container->Add(std::move(built));
                }
            }
        }
        for (const auto& [name, value] : late) {
            ApplyAttribute(*control, name, value);
        }
        return control;
    }

    static constexpr int kMaxDepth = 16;
    IDialogBuilderCallback* m_callback = nullptr;
    CPaintManagerUI* m_manager = nullptr;
    int m_depth = 0;
};

thread_local int t_depth = 0;

}  // namespace

std::unique_ptr<CControlUI> CDialogBuilder::Create(std::string_view xml,
                                                   IDialogBuilderCallback* callback,
                                                   CPaintManagerUI* manager,
                                                   bool applyWindowAttributes) {
    m_lastError.clear();
    const CResourceManager& resources = CResourceManager::GetInstance();
    std::string file = resources.GetXmlFile(xml);
    if (file.empty()) {
        file = std::string(xml);
    }
    QFile input(qt::ToQString(resources.ResolvePath(file)));
    if (file.empty() || !input.open(QIODevice::ReadOnly)) {
        m_lastError = "cannot open layout " + std::string(xml);
        return nullptr;
    }
    const QByteArray content = input.readAll();
    return CreateFromText(std::string_view(content.constData(), content.size()), callback, manager,
                          applyWindowAttributes);
}

std::unique_ptr<CControlUI> CDialogBuilder::CreateFromText(std::string_view xmlText,
                                                           IDialogBuilderCallback* callback,
                                                           CPaintManagerUI* manager,
                                                           bool applyWindowAttributes) {
    m_lastError.clear();
    if (t_depth > 16) {
        // Sub-layouts that include each other would never end.
        m_lastError = "layouts nested too deeply";
        return nullptr;
    }
    QXmlStreamReader xml(QByteArray(xmlText.data(), static_cast<qsizetype>(xmlText.size())));
    Node root;
    if (!ParseXml(xml, root, m_lastError)) {
        return nullptr;
    }
    ++t_depth;
    Builder builder(callback, manager, t_depth);
    auto control = builder.BuildRoot(root, applyWindowAttributes);
    --t_depth;
    if (!control) {
        m_lastError = "the layout holds no control";
    }
    return control;
}

}  // namespace varlok::ui
