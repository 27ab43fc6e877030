// A core DialogTemplate as the DLGTEMPLATEEX that the dialog manager
// creates windows from, built in memory: the Qt face and this one take
// their geometry and texts from the same tables.
#pragma once

#include "locator/core/dialog_template.h"

#include <windows.h>

#include <vector>

namespace kovr::locator {

// A dialog owned by another window, or the program's main window (which
// can be minimised and has a taskbar button).
enum class DialogFrame { Owned, MainWindow };

// The template's controls in tab order, positions in dialog units, the
// caption and texts in English, the font "MS Shell Dlg" at the template's
// point size. A control is visible unless Hidden and a tab stop when
// TabStop. Each control starts a group of its own but a radio button
// after another, so that the arrow keys move within a set of radio
// buttons. A label shows & as it is, unless its text uses one to name a
// mnemonic, so that a device's name shows whole.
class DialogBuilder {
public:
    DialogBuilder(const DialogTemplate &dialogTemplate, DialogFrame frame);

    // For DialogBoxIndirectParamW and CreateDialogIndirectParamW; valid
    // while the builder lives.
    const DLGTEMPLATE *Template() const;

private:
    void Append(WORD word);
    void AppendDword(DWORD value);
    void AppendText(const std::wstring &text);
    void AlignToDword();
    void AppendControl(const ControlTemplate &control, bool startsGroup);

    std::vector<WORD> words_;
};

} // namespace kovr::locator
