#include "ui/resourcemanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "ui/containerui.h"
#include "ui/paintmanagerui.h"
#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/qt/imagecache.h"

namespace varlok::ui {

namespace {

// Applies fn to every control of a tree, combo box items included.
template <class Fn>
void ForEachControl(CControlUI* control, const Fn& fn) {
    if (control == nullptr) {
        return;
    }
    fn(*control);
    if (auto* container = dynamic_cast<CContainerUI*>(control)) {
        for (int i = 0; i < container->GetCount(); ++i) {
            ForEachControl(container->GetItemAt(i), fn);
        }
    }
}

}  // namespace

CResourceManager& CResourceManager::GetInstance() {
    static CResourceManager manager;
    return manager;
}

void CResourceManager::SetInstancePath(std::string_view path) {
    m_instancePath = path;
    if (!m_instancePath.empty() && m_instancePath.back() != '/') {
        m_instancePath += '/';
    }
}

void CResourceManager::SetResourcePath(std::string_view path) {
    m_resourcePath = path;
    if (!m_resourcePath.empty() && m_resourcePath.back() != '/') {
        m_resourcePath += '/';
    }
}

bool CResourceManager::LoadResource(std::string_view file) {
    m_xmlFiles.clear();
    QFile input(qt::ToQString(ResolvePath(file)));
    if (!input.open(QIODevice::ReadOnly)) {
        return false;
    }
    std::map<std::string, std::string, std::less<>> files;
    QXmlStreamReader xml(&input);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        const auto attributes = xml.attributes();
        const QString name = attributes.value(QLatin1String("name")).toString();
        const QString path = attributes.value(QLatin1String("path")).toString();
        if (!name.isEmpty() && !path.isEmpty()) {
            files[qt::ToStdString(name)] = qt::ToStdString(path);
        }
    }
    if (xml.hasError()) {
        return false;
    }
    m_xmlFiles = std::move(files);
    return true;
}

std::string CResourceManager::GetXmlFile(std::string_view name) const {
    const auto it = m_xmlFiles.find(name);
    return it != m_xmlFiles.end() ? it->second : std::string();
}

std::string CResourceManager::ResolvePath(std::string_view file) const {
    const QString path = qt::ToQString(file);
    if (path.isEmpty() || QDir::isAbsolutePath(path)) {
        return std::string(file);
    }
    return m_resourcePath + std::string(file);
}

void CResourceManager::SetLanguage(std::string_view language) {
    m_language = language;
}

bool CResourceManager::LoadLanguage(std::string_view file) {
    QFile input(qt::ToQString(ResolvePath(file)));
    if (!input.open(QIODevice::ReadOnly)) {
        return false;
    }
    std::map<std::string, std::string, std::less<>> texts;
    QXmlStreamReader xml(&input);
    bool sawRoot = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (!sawRoot) {
            sawRoot = true;
            continue;
        }
        if (xml.name() != QLatin1String("Text")) {
            xml.skipCurrentElement();
            continue;
        }
        const auto attributes = xml.attributes();
        const QString id = attributes.value(QLatin1String("id")).toString();
        QString value;
        if (attributes.hasAttribute(QLatin1String("value"))) {
            value = attributes.value(QLatin1String("value")).toString();
            xml.skipCurrentElement();
        } else {
            value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
        if (!id.isEmpty()) {
            texts[qt::ToStdString(id)] = qt::ToStdString(value);
        }
    }
    if (xml.hasError() || !sawRoot) {
        return false;
    }
    m_texts = std::move(texts);
    return true;
}

std::string CResourceManager::GetText(std::string_view key) const {
    if (const auto it = m_texts.find(key); it != m_texts.end()) {
        return it->second;
    }
    if (m_query != nullptr) {
        if (auto text = m_query->QueryControlText(key)) {
            return *text;
        }
    }
    return std::string(key);
}

bool CResourceManager::HasText(std::string_view key) const {
    return m_texts.find(key) != m_texts.end();
}

void CResourceManager::ReloadText() {
    for (CPaintManagerUI* manager : CPaintManagerUI::AllManagers()) {
        ForEachControl(manager->GetRoot(), [](CControlUI& control) {
            if (control.IsResourceText() || control.IsResourceToolTip()) {
                control.SetToolTip(std::string(control.GetToolTip()));
                control.Invalidate();
            }
        });
        manager->NeedUpdate();
    }
}

void CResourceManager::Release() {
    m_xmlFiles.clear();
    m_texts.clear();
    m_language.clear();
    m_query = nullptr;
    qt::ImageCache::Instance().Clear();
}

}  // namespace varlok::ui
