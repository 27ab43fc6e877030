#include "locator/win32/dialog_builder.h"

#include "locator/win32/wide_text.h"

#include <commctrl.h>

#include <cstring>

namespace kovr::locator {

namespace {

// The predefined classes, by their atoms.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// The font the templates were laid out in; the system maps it to its
// scalable form where it has one.
constexpr wchar_t kFontName[] = L"MS Sans Serif";

DWORD FrameStyle(DialogFrame frame)
{
    // DS_SETFONT: the templates' font at their size (not DS_SHELLFONT's
    // newer one, whose other metrics would move every control); DS_CENTER:
    // over the owner, or the screen.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    return frame == DialogFrame::MainWindow ? style | WS_MINIMIZEBOX : style;
}

bool NamesMnemonic(const char *text)
{
    return text && std::strchr(text, '&');
}

DWORD KindStyle(const ControlTemplate &control)
{
    switch (control.kind) {
    case ControlKind::Label:
        return SS_LEFT | (NamesMnemonic(control.text) ? 0 : SS_NOPREFIX);
    case ControlKind::GroupBox:
        return BS_GROUPBOX;
    case ControlKind::PushButton:
        return BS_PUSHBUTTON;
    case ControlKind::DefaultPushButton:
        return BS_DEFPUSHBUTTON;
    case ControlKind::RadioButton:
        return BS_AUTORADIOBUTTON;
    case ControlKind::CheckBox:
        return BS_AUTOCHECKBOX;
    case ControlKind::Edit:
        return ES_AUTOHSCROLL | ES_LEFT;
    case ControlKind::PasswordEdit:
        return ES_AUTOHSCROLL | ES_LEFT | ES_PASSWORD;
    case ControlKind::ListView:
        return LVS_REPORT | LVS_SHOWSELALWAYS;
    case ControlKind::AddressControl:
    case ControlKind::ProgressBar:
        return 0;
    }
    return 0;
}

DWORD KindExtendedStyle(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::PasswordEdit:
    case ControlKind::ListView:
        return WS_EX_CLIENTEDGE;
    default:
        return 0;
    }
}

} // namespace

DialogBuilder::DialogBuilder(const DialogTemplate &dialogTemplate, DialogFrame frame)
{
    Append(1);      // dlgVer
    Append(0xFFFF); // signature: DLGTEMPLATEEX
    AppendDword(0); // helpID
    AppendDword(frame == DialogFrame::MainWindow ? WS_EX_APPWINDOW : 0);
    AppendDword(FrameStyle(frame));
    Append(static_cast<WORD>(dialogTemplate.controlCount));
    for (const int value : {0, 0, dialogTemplate.width, dialogTemplate.height}) {
        Append(static_cast<WORD>(static_cast<short>(value)));
    }
    Append(0); // no menu
    Append(0); // the dialog class
    AppendText(Wide(dialogTemplate.caption));
    Append(static_cast<WORD>(dialogTemplate.pointSize));
    Append(FW_NORMAL);
    Append(MAKEWORD(FALSE, DEFAULT_CHARSET)); // italic, charset
    AppendText(kFontName);

    for (size_t i = 0; i < dialogTemplate.controlCount; ++i) {
        const ControlTemplate &control = dialogTemplate.controls[i];
        const bool afterRadio = i > 0 && dialogTemplate.controls[i - 1].kind == ControlKind::RadioButton;
        AppendControl(control, !(control.kind == ControlKind::RadioButton && afterRadio));
    }
}

const DLGTEMPLATE *DialogBuilder::Template() const
{
    return reinterpret_cast<const DLGTEMPLATE *>(words_.data());
}

void DialogBuilder::Append(WORD word)
{
    words_.push_back(word);
}

void DialogBuilder::AppendDword(DWORD value)
{
    Append(LOWORD(value));
    Append(HIWORD(value));
}

void DialogBuilder::AppendText(const std::wstring &text)
{
    for (const wchar_t c : text) {
        Append(static_cast<WORD>(c));
    }
    Append(0);
}

void DialogBuilder::AlignToDword()
{
    // The vector's storage is aligned for any type; each item starts on a
    // DWORD boundary from it.
    if (words_.size() % 2 != 0) {
        Append(0);
    }
}

void DialogBuilder::AppendControl(const ControlTemplate &control, bool startsGroup)
{
    AlignToDword();
    DWORD style = WS_CHILD | KindStyle(control);
    style |= (control.flags & Hidden) ? 0 : WS_VISIBLE;
    style |= (control.flags & TabStop) ? WS_TABSTOP : 0;
    style |= startsGroup ? WS_GROUP : 0;
    AppendDword(0); // helpID
    AppendDword(KindExtendedStyle(control.kind));
    AppendDword(style);
    for (const int value : {control.x, control.y, control.width, control.height}) {
        Append(static_cast<WORD>(static_cast<short>(value)));
    }
    AppendDword(static_cast<DWORD>(control.id));
    switch (control.kind) {
    case ControlKind::Label:
        Append(0xFFFF);
        Append(kStaticClass);
        break;
    case ControlKind::Edit:
    case ControlKind::PasswordEdit:
        Append(0xFFFF);
        Append(kEditClass);
        break;
    case ControlKind::ListView:
        AppendText(WC_LISTVIEWW);
        break;
    case ControlKind::AddressControl:
        AppendText(WC_IPADDRESSW);
        break;
    case ControlKind::ProgressBar:
        AppendText(PROGRESS_CLASSW);
        break;
    default:
        Append(0xFFFF);
        Append(kButtonClass);
        break;
    }
    AppendText(control.text ? Wide(control.text) : std::wstring());
    Append(0); // no creation data
}

} // namespace kovr::locator
