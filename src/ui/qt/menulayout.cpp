#include "ui/qt/menulayout.h"

#include <QXmlStreamReader>

namespace varlok::ui::qt {

namespace {

std::string Attribute(const QXmlStreamAttributes& attributes, const char* name) {
    return attributes.value(QLatin1String(name)).toString().toStdString();
}

std::optional<bool> Flag(const QXmlStreamAttributes& attributes, const char* name) {
    if (!attributes.hasAttribute(QLatin1String(name))) {
        return std::nullopt;
    }
    const QStringView value = attributes.value(QLatin1String(name));
    return value.compare(u"true", Qt::CaseInsensitive) == 0 || value == u"1";
}

// Reads the children of the current element up to its end element.
void ReadItems(QXmlStreamReader& xml, int depth, bool resourceText,
               std::vector<MenuItemSpec>& items) {
    while (xml.readNextStartElement()) {
        if (depth > kMaxMenuDepth) {
            xml.skipCurrentElement();
            continue;
        }
        if (xml.name() == u"Separator") {
            MenuItemSpec separator;
            separator.info.depth = depth;
            separator.info.separator = true;
            separator.info.enabled = false;
            items.push_back(separator);
            xml.skipCurrentElement();
        } else if (xml.name() == u"MenuElement") {
            const QXmlStreamAttributes attributes = xml.attributes();
            MenuItemSpec item;
            item.info.name = Attribute(attributes, "name");
            item.info.text = Attribute(attributes, "text");
            item.info.userData = Attribute(attributes, "userdata");
            item.info.depth = depth;
            item.info.enabled = Flag(attributes, "enabled").value_or(true);
            item.info.checkable = Flag(attributes, "checkable").value_or(false);
            item.info.checked = Flag(attributes, "checked").value_or(false);
            item.resourceText = Flag(attributes, "resourcetext").value_or(resourceText);
            const std::size_t index = items.size();
            items.push_back(item);
            ReadItems(xml, depth + 1, resourceText, items);
            items[index].info.hasSubMenu = items.size() > index + 1;
        } else {
            xml.skipCurrentElement();
        }
    }
}

}  // namespace

std::optional<std::vector<MenuItemSpec>> ParseMenuLayout(const QByteArray& text) {
    QXmlStreamReader xml(text);
    if (!xml.readNextStartElement() || xml.name() != u"Menu") {
        return std::nullopt;
    }
    const bool resourceText = Flag(xml.attributes(), "resourcetext").value_or(false);
    std::vector<MenuItemSpec> items;
    ReadItems(xml, 0, resourceText, items);
    if (xml.hasError()) {
        return std::nullopt;
    }
    return items;
}

}  // namespace varlok::ui::qt
