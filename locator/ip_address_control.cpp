#include "locator/ip_address_control.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>

namespace kovr::locator {

namespace {

constexpr int kMaxDigits = 3;
constexpr int kMaxFieldValue = 255;

} // namespace

IpAddressControl::IpAddressControl(QWidget *parent) : QWidget(parent)
{
    auto *digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < kFieldCount; ++i) {
        auto *field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(kMaxDigits);
        field->setValidator(digits);
        // The control draws one frame and background behind all four fields.
        QPalette palette = field->palette();
        palette.setBrush(QPalette::Base, Qt::transparent);
        field->setPalette(palette);
        // One tab stop for the whole control: only the first field takes Tab.
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
        fields_[static_cast<size_t>(i)] = field;

        if (i + 1 < kFieldCount) {
            auto *dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            dots_[static_cast<size_t>(i)] = dot;
        }
    }
    setFocusProxy(fields_[0]);
}

void IpAddressControl::SetAddress(uint32_t packed)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const uint32_t octet = (packed >> (8 * (kFieldCount - 1 - i))) & 0xFF;
        Field(i)->setText(QString::number(octet));
    }
}

uint32_t IpAddressControl::GetAddress() const
{
    uint32_t packed = 0;
    for (QLineEdit *field : fields_) {
        // Blank reads as 0; a value over 255 can only stand while being typed.
        const uint32_t octet = std::min(field->text().toUInt(), static_cast<uint32_t>(kMaxFieldValue));
        packed = (packed << 8) | octet;
    }
    return packed;
}

int IpAddressControl::IndexOf(const QObject *field) const
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (Field(i) == field) {
            return i;
        }
    }
    return -1;
}

void IpAddressControl::OnFieldEdited(int index)
{
    QLineEdit *field = Field(index);
    if (field->text().toUInt() > kMaxFieldValue) {
        field->setText(QString::number(kMaxFieldValue));
    }
    if (field->text().size() == kMaxDigits && field->cursorPosition() == kMaxDigits && index + 1 < kFieldCount) {
        MoveTo(index + 1, false);
    }
}

void IpAddressControl::MoveTo(int index, bool atEnd)
{
    QLineEdit *field = Field(index);
    field->setFocus(Qt::OtherFocusReason);
    if (atEnd) {
        field->end(false);
    } else {
        field->selectAll();
    }
}

bool IpAddressControl::eventFilter(QObject *watched, QEvent *event)
{
    const int index = IndexOf(watched);
    if (index >= 0 && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update(); // the shared frame shows whether any field has the focus
    }
    if (index < 0 || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }

    const auto *key = static_cast<QKeyEvent *>(event);
    const QLineEdit *field = Field(index);
    const bool hasNext = index + 1 < kFieldCount;
    const bool hasPrevious = index > 0;
    switch (key->key()) {
    case Qt::Key_Period:
        if (hasNext) {
            MoveTo(index + 1, false);
        }
        return true;
    case Qt::Key_Backspace:
        if (hasPrevious && field->text().isEmpty()) {
            MoveTo(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Left:
        if (hasPrevious && field->cursorPosition() == 0 && !field->hasSelectedText()) {
            MoveTo(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (hasNext && field->cursorPosition() == field->text().size() && !field->hasSelectedText()) {
            MoveTo(index + 1, false);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void IpAddressControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = rect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    for (const QLineEdit *field : fields_) {
        if (field->hasFocus()) {
            option.state |= QStyle::State_HasFocus;
        }
    }
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

void IpAddressControl::resizeEvent(QResizeEvent *)
{
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const QRect inner = rect().adjusted(frame, frame, -frame, -frame);
    const int dotWidth = fontMetrics().horizontalAdvance(QLatin1Char('.')) + 2;
    const int fieldWidth = (inner.width() - (kFieldCount - 1) * dotWidth) / kFieldCount;
    int x = inner.left();
    for (int i = 0; i < kFieldCount; ++i) {
        Field(i)->setGeometry(x, inner.top(), fieldWidth, inner.height());
        x += fieldWidth;
        if (i + 1 < kFieldCount) {
            dots_[static_cast<size_t>(i)]->setGeometry(x, inner.top(), dotWidth, inner.height());
            x += dotWidth;
        }
    }
}

} // namespace kovr::locator
