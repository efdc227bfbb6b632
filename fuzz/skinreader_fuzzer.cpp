// Arbitrary bytes through the readers of the skin's files: a window layout
// (built into controls, as the windows build theirs), a language file and a
// menu layout. A layout that cannot be built yields no controls and a reason;
// one that can yields a tree whose every text can be shown. A language file
// that is refused leaves the texts in force as they were; one that is read
// replaces them.
//
// Input: the first byte chooses the reader (0: layout, 1: layout with the
// window's attributes, 2: language file, 3: menu layout; modulo 4); the rest
// is the file.

#include <QApplication>
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "fuzzsupport.h"
#include "ui/containerui.h"
#include "ui/controlui.h"
#include "ui/customcontrols.h"
#include "ui/dialogbuilder.h"
#include "ui/paintmanagerui.h"
#include "ui/qt/menulayout.h"
#include "ui/resourcemanager.h"

namespace {

using varlok::fuzz::ScratchFolder;
using varlok::fuzz::WriteFile;

constexpr std::string_view kKeptKey = "fuzz_kept";
constexpr std::string_view kKeptText = "kept";

// Shows every control's text; a text that is a key is looked up.
void ShowTexts(const varlok::ui::CControlUI& control, int depth) {
    VARLOK_FUZZ_CHECK(depth < 10000);
    static_cast<void>(control.GetShownText());
    if (const auto* container = dynamic_cast<const varlok::ui::CContainerUI*>(&control)) {
        for (int i = 0; i < container->GetCount(); ++i) {
            VARLOK_FUZZ_CHECK(container->GetItemAt(i) != nullptr);
            ShowTexts(*container->GetItemAt(i), depth + 1);
        }
    }
}

// The texts in force before each language input: one known key.
void LoadKeptLanguage() {
    const auto file = ScratchFolder() / "lan_kept.xml";
    WriteFile(file, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Language><Text id=\"" +
                        std::string(kKeptKey) + "\" value=\"" + std::string(kKeptText) +
                        "\"/></Language>\n");
    VARLOK_FUZZ_CHECK(varlok::ui::CResourceManager::GetInstance().LoadLanguage(file.string()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication application(*argc, *argv);
    auto& resources = varlok::ui::CResourceManager::GetInstance();
    resources.SetResourcePath(ScratchFolder().string());
    varlok::ui::RegisterCustomControls();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0:
        case 1: {
            varlok::ui::CPaintManagerUI manager;
            varlok::ui::CDialogBuilder builder;
            const auto root = builder.CreateFromText(file, nullptr, &manager, data[0] % 4 == 1);
            VARLOK_FUZZ_CHECK((root == nullptr) == !builder.GetLastError().empty());
            if (root) {
                ShowTexts(*root, 0);
            }
            break;
        }
        case 2: {
            auto& resources = varlok::ui::CResourceManager::GetInstance();
            LoadKeptLanguage();
            const auto path = ScratchFolder() / "lan_fuzz.xml";
            WriteFile(path, file);
            if (!resources.LoadLanguage(path.string())) {
                VARLOK_FUZZ_CHECK(resources.GetText(kKeptKey) == kKeptText);
            } else if (file.find(kKeptKey) == std::string_view::npos) {
                // Replaced, not merged: a key the new file lacks is gone.
                VARLOK_FUZZ_CHECK(!resources.HasText(kKeptKey));
            }
            break;
        }
        case 3:
            static_cast<void>(varlok::ui::qt::ParseMenuLayout(
                QByteArray(file.data(), static_cast<qsizetype>(file.size()))));
            break;
    }
    return 0;
}
