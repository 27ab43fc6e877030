#include "locator/template_dialog.h"

#include "locator/control_label.h"
#include "locator/ip_address_control.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace kovr::locator {

namespace {

QFont DialogFont(int pointSize)
{
    QFont font = QApplication::font();
    font.setPointSize(pointSize);
    return font;
}

QPushButton *CreatePushButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    // The dialog decides what Enter presses, not the focus.
    button->setAutoDefault(false);
    return button;
}

QWidget *CreateControl(const ControlTemplate &control, const QString &text, QWidget *parent)
{
    switch (control.kind) {
    case ControlKind::Label: {
        auto *label = new QLabel(text, parent);
        // Device texts are shown as stored, never as markup.
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::PushButton:
        return CreatePushButton(text, parent);
    case ControlKind::DefaultPushButton: {
        QPushButton *button = CreatePushButton(text, parent);
        button->setDefault(true);
        return button;
    }
    case ControlKind::RadioButton: {
        auto *radio = new QRadioButton(text, parent);
        // Covers whatever lies beneath, such as a group box's edge.
        radio->setAutoFillBackground(true);
        return radio;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::Edit:
    case ControlKind::PasswordEdit: {
        auto *edit = new QLineEdit(parent);
        if (control.kind == ControlKind::PasswordEdit) {
            edit->setEchoMode(QLineEdit::Password);
        }
        return edit;
    }
    case ControlKind::ListView: {
        auto *list = new QTreeWidget(parent);
        list->setRootIsDecorated(false);
        list->setItemsExpandable(false);
        list->setUniformRowHeights(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setAllColumnsShowFocus(true);
        list->header()->setStretchLastSection(false);
        list->header()->setSectionsMovable(false);
        return list;
    }
    case ControlKind::AddressControl:
        return new IpAddressControl(parent);
    case ControlKind::ProgressBar:
        return new QProgressBar(parent);
    }
    return nullptr;
}

// Controls that show no words of their own, whose label names them.
bool IsInput(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::PasswordEdit || kind == ControlKind::AddressControl ||
           kind == ControlKind::ListView;
}

bool TakesFocus(ControlKind kind)
{
    return kind != ControlKind::Label && kind != ControlKind::GroupBox && kind != ControlKind::ProgressBar;
}

bool IsEnterKey(const QKeyEvent *event)
{
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    return plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter);
}

} // namespace

TemplateDialog::TemplateDialog(const DialogTemplate &dialogTemplate, QWidget *parent)
    : QDialog(parent), units_(DialogFont(dialogTemplate.pointSize))
{
    setFont(DialogFont(dialogTemplate.pointSize));
    setWindowTitle(QCoreApplication::translate(dialogTemplate.context, dialogTemplate.caption));
    setFixedSize(units_.ToPixels(0, 0, dialogTemplate.width, dialogTemplate.height).size());
    CreateControls(dialogTemplate);
}

void TemplateDialog::CreateControls(const DialogTemplate &dialogTemplate)
{
    for (size_t i = 0; i < dialogTemplate.controlCount; ++i) {
        const ControlTemplate &control = dialogTemplate.controls[i];
        const QString text =
            control.text ? QCoreApplication::translate(dialogTemplate.context, control.text) : QString();
        QWidget *widget = CreateControl(control, text, this);
        QRect geometry = units_.ToPixels(control.x, control.y, control.width, control.height);
        if (control.kind == ControlKind::GroupBox && text.isEmpty()) {
            // A frame without a caption still starts half a text line down,
            // where a caption's middle would be.
            geometry.setTop(geometry.top() + units_.CharHeight() / 2);
        }
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            // A wrapped text that needs a little more room than the template
            // gives (fonts differ) grows downwards rather than being cut off.
            geometry.setHeight(std::max(geometry.height(), label->heightForWidth(geometry.width())));
        }
        widget->setGeometry(geometry);

        if (TakesFocus(control.kind)) {
            // A compound control passes the focus on to its first part.
            QWidget *focusTarget = widget->focusProxy() ? widget->focusProxy() : widget;
            focusTarget->setFocusPolicy((control.flags & TabStop) ? Qt::StrongFocus : Qt::ClickFocus);
            if (control.flags & TabStop) {
                tabStops_.append(widget);
            }
        }
        if (control.flags & Hidden) {
            widget->hide();
        }

        if (control.id != ControlId::Static) {
            controls_.insert(control.id, widget);
        }
        created_.append(widget);
    }

    LabelInputs(dialogTemplate);
    TabToCheckedRadio(dialogTemplate);

    if (auto *ok = ControlAs<QPushButton>(ControlId::Ok)) {
        connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    }
    if (auto *cancel = ControlAs<QPushButton>(ControlId::Cancel)) {
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
}

void TemplateDialog::LabelInputs(const DialogTemplate &dialogTemplate)
{
    // The label just before an input names it, or else the one just after.
    const auto labelAt = [&](size_t i) {
        return i < dialogTemplate.controlCount && dialogTemplate.controls[i].kind == ControlKind::Label
                   ? qobject_cast<QLabel *>(created_[static_cast<int>(i)])
                   : nullptr;
    };
    for (size_t i = 0; i < dialogTemplate.controlCount; ++i) {
        if (!IsInput(dialogTemplate.controls[i].kind)) {
            continue;
        }
        QLabel *label = i > 0 && labelAt(i - 1) ? labelAt(i - 1) : labelAt(i + 1);
        if (label) {
            LabelControl(*label, *created_[static_cast<int>(i)]);
        }
    }
}

void TemplateDialog::TabToCheckedRadio(const DialogTemplate &dialogTemplate)
{
    // The buttons of a group share their parent, which makes them exclusive
    // and moves the arrow keys among them; Tab reaches the checked one.
    bool groupTabStop = false;
    for (size_t i = 0; i < dialogTemplate.controlCount; ++i) {
        const ControlTemplate &control = dialogTemplate.controls[i];
        if (control.kind != ControlKind::RadioButton) {
            continue;
        }
        if (i == 0 || dialogTemplate.controls[i - 1].kind != ControlKind::RadioButton) {
            groupTabStop = (control.flags & TabStop) != 0;
        }
        auto *radio = qobject_cast<QRadioButton *>(created_[static_cast<int>(i)]);
        if (!groupTabStop || !radio) {
            continue;
        }
        connect(radio, &QRadioButton::toggled, this, [radio](bool checked) {
            if (!checked) {
                return;
            }
            for (QRadioButton *peer :
                 radio->parentWidget()->findChildren<QRadioButton *>(QString(), Qt::FindDirectChildrenOnly)) {
                peer->setFocusPolicy(peer == radio ? Qt::StrongFocus : Qt::ClickFocus);
            }
        });
    }
}

void TemplateDialog::OnOK()
{
    accept();
}

void TemplateDialog::showEvent(QShowEvent *event)
{
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
        if (QWidget *focus = OpeningFocus()) {
            focus->setFocus(Qt::TabFocusReason);
        } else {
            FocusFirstTabStop();
        }
    }
    QDialog::showEvent(event);
}

void TemplateDialog::FocusFirstTabStop()
{
    for (QWidget *widget : std::as_const(tabStops_)) {
        if (!widget->isHidden() && widget->isEnabled()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TemplateDialog::keyPressEvent(QKeyEvent *event)
{
    if (!IsEnterKey(event)) {
        QDialog::keyPressEvent(event);
        return;
    }
    if (auto *focused = qobject_cast<QPushButton *>(focusWidget())) {
        focused->click();
        return;
    }
    for (QPushButton *button : findChildren<QPushButton *>()) {
        if (button->isDefault() && !button->isHidden()) {
            if (button->isEnabled()) {
                button->click();
            }
            return;
        }
    }
    OnOK();
}

} // namespace kovr::locator
