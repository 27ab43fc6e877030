#include "locator/win32/template_dialog.h"

#include <commctrl.h>

namespace kovr::locator {

namespace {

// Marks a window as one of ours and leads to its object.
constexpr wchar_t kDialogProperty[] = L"kovr.locator.TemplateDialog";

void InitCommonControlsOnce()
{
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                              ICC_INTERNET_CLASSES | ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    static_cast<void>(initialised);
}

// The messages whose result is the dialog procedure's return value rather
// than DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

} // namespace

TemplateDialog::TemplateDialog(const DialogTemplate &dialogTemplate, DialogFrame frame)
    : template_(dialogTemplate), builder_(dialogTemplate, frame)
{}

TemplateDialog::~TemplateDialog()
{
    if (window_) {
        // The derived object has gone: the window's last messages reach
        // nobody.
        RemovePropW(window_, kDialogProperty);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

INT_PTR TemplateDialog::RunModal(HWND owner)
{
    InitCommonControlsOnce();
    modal_ = true;
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), builder_.Template(), owner, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

bool TemplateDialog::Open(HWND owner)
{
    InitCommonControlsOnce();
    modal_ = false;
    if (!CreateDialogIndirectParamW(GetModuleHandleW(nullptr), builder_.Template(), owner, DialogProc,
                                    reinterpret_cast<LPARAM>(this))) {
        return false;
    }
    ShowWindow(window_, SW_SHOW);
    return true;
}

void TemplateDialog::Close(INT_PTR result)
{
    if (!window_) {
        return;
    }
    result_ = result;
    if (modal_) {
        EndDialog(window_, result);
    } else {
        DestroyWindow(window_);
    }
}

void TemplateDialog::Deliver(MSG &message)
{
    const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    const TemplateDialog *dialog = root ? Of(root) : nullptr;
    if (dialog && !dialog->modal_) {
        const HACCEL accelerators = dialog->Accelerators();
        if ((accelerators && TranslateAcceleratorW(root, accelerators, &message)) || IsDialogMessageW(root, &message)) {
            return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void TemplateDialog::OnCommand(int id, int, HWND)
{
    if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    }
}

LRESULT TemplateDialog::OnNotify(const NMHDR &)
{
    return 0;
}

bool TemplateDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT &)
{
    return false;
}

void TemplateDialog::OnOK()
{
    Close(IDOK);
}

void TemplateDialog::OnCancel()
{
    Close(IDCANCEL);
}

TemplateDialog *TemplateDialog::Of(HWND window)
{
    return static_cast<TemplateDialog *>(GetPropW(window, kDialogProperty));
}

INT_PTR CALLBACK TemplateDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto *dialog = reinterpret_cast<TemplateDialog *>(lParam);
        dialog->window_ = window;
        SetPropW(window, kDialogProperty, dialog);
    }
    TemplateDialog *dialog = Of(window);
    return dialog ? dialog->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR TemplateDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        OnInitDialog();
        const HWND focus = OpeningFocus();
        if (!focus) {
            // The dialog manager gives the focus to the first tab stop.
            return TRUE;
        }
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
        return FALSE;
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY:
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, OnNotify(*reinterpret_cast<const NMHDR *>(lParam)));
        return TRUE;
    case WM_CLOSE:
        OnCancel();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_NCDESTROY:
        RemovePropW(window_, kDialogProperty);
        window_ = nullptr;
        return TRUE;
    default:
        break;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    if (ReturnsDirectly(message)) {
        return static_cast<INT_PTR>(result);
    }
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace kovr::locator
