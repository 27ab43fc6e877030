#pragma once

#include "locator/core/dialog_template.h"
#include "locator/win32/dialog_builder.h"

#include <windows.h>

namespace kovr::locator {

// The base of every window of this face: a fixed-size dialog made from a
// core template (see DialogBuilder), modal or modeless, whose messages
// reach the virtual handlers below. Everything runs on the thread that
// opened it.
//
// Keyboard: Tab and Shift+Tab move through the tab stops in template
// order, Alt+letter presses a mnemonic, Enter presses the focused push
// button, else the default one, else runs OnOK; Escape and the close box
// run OnCancel. The button with id 1 (IDOK) runs OnOK, the one with id 2
// (IDCANCEL) OnCancel. A modal dialog's loop does this itself; the loop
// that runs a modeless one passes each message through Deliver.
//
// The window goes when Close is called (and as the object goes, if still
// open); OnDestroy runs then, while the controls still exist. A derived
// class whose OnDestroy lets go of something calls Close in its own
// destructor, since the base's destructor can no longer reach it.
class TemplateDialog {
public:
    TemplateDialog(const DialogTemplate &dialogTemplate, DialogFrame frame = DialogFrame::Owned);
    virtual ~TemplateDialog();
    TemplateDialog(const TemplateDialog &) = delete;
    TemplateDialog &operator=(const TemplateDialog &) = delete;

    // Shows the dialog over `owner`, which is disabled meanwhile, and
    // returns once it has closed: the result Close was given (IDOK,
    // IDCANCEL, ...), or -1 when it could not be created.
    INT_PTR RunModal(HWND owner);
    // Creates and shows the dialog and returns at once; false when it could
    // not be created. Its messages go through Deliver.
    bool Open(HWND owner);
    // Ends the modal run or destroys the modeless window; Result() gives
    // `result` afterwards.
    void Close(INT_PTR result);

    // The dialog's window: none before it opens and once it has gone.
    HWND Window() const { return window_; }
    // The control with this id (ids other than -1 are unique in a template).
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    const DialogTemplate &Template() const { return template_; }
    INT_PTR Result() const { return result_; }

    // One message of a message loop: the keys of the modeless dialog it is
    // for (that dialog's accelerators, then the dialog keys), or else
    // translated and dispatched as usual.
    static void Deliver(MSG &message);

protected:
    // The controls exist; the focus then goes to OpeningFocus, or when that
    // is none, to the first visible and enabled tab stop.
    virtual void OnInitDialog() {}
    virtual HWND OpeningFocus() { return nullptr; }
    // WM_COMMAND: a button, a menu entry or an accelerator (code 1).
    virtual void OnCommand(int id, int code, HWND control);
    // WM_NOTIFY; the result goes back to the control.
    virtual LRESULT OnNotify(const NMHDR &header);
    // Any other message: true when handled, with its result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result);
    virtual void OnOK();
    virtual void OnCancel();
    // The window is going, modal or not.
    virtual void OnDestroy() {}
    // Keyboard shortcuts of a modeless dialog, which its WM_COMMAND gets
    // with code 1; none by default.
    virtual HACCEL Accelerators() const { return nullptr; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    static TemplateDialog *Of(HWND window);

    const DialogTemplate &template_;
    const DialogBuilder builder_;
    HWND window_ = nullptr;
    bool modal_ = false;
    INT_PTR result_ = 0;
};

} // namespace kovr::locator
