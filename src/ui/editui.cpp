#include "ui/editui.h"

#include <QRegularExpressionValidator>

#include "ui/paintmanagerui.h"
#include "ui/qt/attributes.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/convert.h"
#include "ui/qt/editbox.h"
#include "ui/qt/paintcontext.h"

namespace varlok::ui {

namespace {

qt::EditBox* Box(const CControlUI& control) {
    return control.Widget().findChild<qt::EditBox*>(QString(), Qt::FindDirectChildrenOnly);
}

}  // namespace

CEditUI::CEditUI() {
    auto* box = new qt::EditBox(*this, &Widget());
    box->setMaxLength(m_maxChar);
    box->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    Widget().setFocusProxy(box);
    SetTextPadding(UiRect{6, 0, 6, 0});
    SetBorderSize(1);
    ApplyLook();
}

CEditUI::~CEditUI() {
    if (qt::EditBox* box = Box(*this)) {
        box->DetachControl();
    }
}

std::string_view CEditUI::GetClass() const {
    return "EditUI";
}

std::string CEditUI::GetText() const {
    return qt::ToStdString(Box(*this)->text());
}

void CEditUI::SetText(std::string_view text) {
    qt::EditBox* box = Box(*this);
    const QString value = qt::ToQString(text);
    if (box->text() != value) {
        box->setText(value);
    }
    CLabelUI::SetText(text);
}

void CEditUI::SetMaxChar(int count) {
    m_maxChar = count > 0 ? count : 32767;
    Box(*this)->setMaxLength(m_maxChar);
}

void CEditUI::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    Box(*this)->setReadOnly(readOnly);
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    m_numberOnly = numberOnly;
    qt::EditBox* box = Box(*this);
    if (numberOnly) {
        box->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    } else {
        box->setValidator(nullptr);
    }
}

void CEditUI::SetPasswordMode(bool password) {
    m_password = password;
    Box(*this)->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}

void CEditUI::SetPromptText(std::string_view text) {
    m_prompt = text;
    Box(*this)->setPlaceholderText(qt::ToQString(text));
}

void CEditUI::SetAttribute(std::string_view name, std::string_view value) {
    using attr::Equals;
    if (Equals(name, "maxchar")) {
        SetMaxChar(attr::ParseInt(value));
    } else if (Equals(name, "readonly")) {
        SetReadOnly(attr::ParseBool(value));
    } else if (Equals(name, "numberonly")) {
        SetNumberOnly(attr::ParseBool(value));
    } else if (Equals(name, "password")) {
        SetPasswordMode(attr::ParseBool(value));
    } else if (Equals(name, "prompttext")) {
        SetPromptText(value);
    } else if (Equals(name, "focusbordercolor")) {
        m_focusBorderColor = attr::ParseColour(value).value_or(0);
        Invalidate();
    } else {
        CLabelUI::SetAttribute(name, value);
        if (Equals(name, "textcolor") || Equals(name, "font") || Equals(name, "align") ||
            Equals(name, "textpadding")) {
            ApplyLook();
        }
    }
}

void CEditUI::ApplyLook() {
    qt::EditBox* box = Box(*this);
    QPalette palette = box->palette();
    const Argb text = CurrentTextColor();
    palette.setColor(QPalette::Text, qt::ToQColor(text));
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Window, Qt::transparent);
    palette.setColor(QPalette::Highlight, QColor(0x3D, 0xB8, 0xFF, 0xA0));
    QColor prompt = qt::ToQColor(text);
    prompt.setAlpha(110);
    palette.setColor(QPalette::PlaceholderText, prompt);
    box->setPalette(palette);
    box->setAutoFillBackground(false);
    box->setFont(qt::MakeFont(GetManager(), GetFont()));
    const unsigned style = GetTextStyle();
    Qt::Alignment align = Qt::AlignVCenter;
    align |= (style & textstyle::kCenter)  ? Qt::AlignHCenter
             : (style & textstyle::kRight) ? Qt::AlignRight
                                           : Qt::AlignLeft;
    box->setAlignment(align);
}

void CEditUI::SetPos(const UiRect& rc) {
    CLabelUI::SetPos(rc);
    ApplyLook();
    const UiRect pad = GetTextPadding();
    Box(*this)->setGeometry(Scale(pad.left), Scale(pad.top),
                            std::max(0, rc.Width() - Scale(pad.left) - Scale(pad.right)),
                            std::max(0, rc.Height() - Scale(pad.top) - Scale(pad.bottom)));
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    ApplyLook();
}

void CEditUI::SetFocus() {
    Box(*this)->setFocus(Qt::OtherFocusReason);
}

void CEditUI::PaintText(PaintContext& /*context*/) {}

std::optional<TextPlacement> CEditUI::GetTextPlacement() const {
    return std::nullopt;
}

void CEditUI::PaintBorder(PaintContext& context) {
    if (Box(*this)->hasFocus() && m_focusBorderColor != 0) {
        const int size = std::max(1, GetBorderSize());
        if (GetBorderRound().cx > 0) {
            CRenderEngine::DrawRoundRect(
                context, GetPos(), Scale(size),
                UiSize{Scale(GetBorderRound().cx), Scale(GetBorderRound().cy)}, m_focusBorderColor);
        } else {
            CRenderEngine::DrawRect(context, GetPos(), Scale(size), m_focusBorderColor);
        }
        return;
    }
    CLabelUI::PaintBorder(context);
}

void CEditUI::DoEvent(TEventUI& event) {
    if (event.type == EventType::KeyDown && event.key == kKeyReturn) {
        SendNotify(msgtype::kReturn);
        return;
    }
    if (event.type == EventType::SetFocus || event.type == EventType::KillFocus) {
        ApplyLook();
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::OnUserTextChanged() {
    Invalidate();
    SendNotify(msgtype::kTextChanged);
}

}  // namespace varlok::ui
