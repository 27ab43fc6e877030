#pragma once

#include "locator/core/dialog_template.h"
#include "locator/dialog_units.h"

#include <QDialog>
#include <QHash>

namespace kovr::locator {

// A fixed-size dialog built from a template, keyboard behaviour included:
// Enter presses the focused push button, else the default button, else runs
// OnOK; Escape and the close box run the cancel command. The button with id 1
// runs OnOK, the one with id 2 cancels. Each entry field and list is named
// by the label beside it.
class TemplateDialog : public QDialog {
    Q_OBJECT

public:
    explicit TemplateDialog(const DialogTemplate &dialogTemplate, QWidget *parent = nullptr);

    // The control with this id (ids other than -1 are unique in a template).
    QWidget *Control(int id) const { return controls_.value(id); }
    template <typename T>
    T *ControlAs(int id) const
    {
        return qobject_cast<T *>(Control(id));
    }

    const DialogUnits &Units() const { return units_; }

protected:
    // Runs once, when the dialog is first shown; then the focus goes to
    // OpeningFocus, or when that is none, to the first visible and enabled
    // tab stop.
    virtual void OnInitDialog() {}
    virtual QWidget *OpeningFocus() { return nullptr; }
    virtual void OnOK();

    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CreateControls(const DialogTemplate &dialogTemplate);
    void LabelInputs(const DialogTemplate &dialogTemplate);
    void FocusFirstTabStop();
    void TabToCheckedRadio(const DialogTemplate &dialogTemplate);

    DialogUnits units_;
    QHash<int, QWidget *> controls_;
    QList<QWidget *> created_; // in template order
    QList<QWidget *> tabStops_;
    bool initialised_ = false;
};

} // namespace kovr::locator
