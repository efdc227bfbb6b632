#include "varlokctl/watchline.h"

#include <cstdio>

namespace varlok::tools {

namespace {

std::string Summary(const MouseStatus& status) {
    if (!status.connected) {
        return "no mouse";
    }
    std::string text;
    const auto add = [&text](const std::string& part) {
        text += (text.empty() ? "" : ", ") + part;
    };
    if (status.profile) {
        add("profile " + std::to_string(*status.profile));
    }
    if (status.stage) {
        add("stage " + std::to_string(*status.stage) +
            (status.dpi ? " (" + std::to_string(*status.dpi) + " DPI)" : std::string()));
    }
    if (status.effect) {
        add(*status.effect);
    }
    return text.empty() ? "mouse connected" : text;
}

std::string JsonString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string JsonNumber(const std::optional<unsigned>& value) {
    return value ? std::to_string(*value) : "null";
}

}  // namespace

void WatchPrinter::Show(const MouseStatus& status) {
    if (!m_last || m_last->via != status.via) {
        Line("state", status);
    } else if (m_last->connected != status.connected) {
        Line(status.connected ? "connected" : "removed", status);
    } else if (status.connected) {
        if (m_last->profile != status.profile) {
            Line("profile", status);
        }
        if (m_last->stage != status.stage || m_last->dpi != status.dpi) {
            Line("stage", status);
        }
        if (m_last->effect != status.effect) {
            Line("effect", status);
        }
    }
    m_last = status;
}

void WatchPrinter::Report(std::string_view event) {
    Line(event, m_last.value_or(MouseStatus{}));
}

void WatchPrinter::Line(std::string_view event, const MouseStatus& status) {
    const std::string summary = Summary(status);
    if (!m_json) {
        m_out << event << ": " << summary << '\n' << std::flush;
        return;
    }
    const std::string text = !status.connected ? "no mouse"
                             : status.dpi      ? std::to_string(*status.dpi) + " DPI"
                                               : "mouse";
    m_out << "{\"event\":" << JsonString(event)
          << ",\"connected\":" << (status.connected ? "true" : "false")
          << ",\"profile\":" << JsonNumber(status.profile)
          << ",\"stage\":" << JsonNumber(status.stage) << ",\"dpi\":" << JsonNumber(status.dpi)
          << ",\"effect\":" << (status.effect ? JsonString(*status.effect) : "null")
          << ",\"via\":" << JsonString(status.via) << ",\"text\":" << JsonString(text)
          << ",\"tooltip\":" << JsonString(summary)
          << ",\"class\":" << JsonString(status.connected ? "connected" : "removed") << "}\n"
          << std::flush;
}

}  // namespace varlok::tools
