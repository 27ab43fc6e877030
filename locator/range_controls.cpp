#include "locator/range_controls.h"

#include "locator/control_label.h"
#include "locator/core/record_text.h"
#include "locator/ip_address_control.h"
#include "locator/qt_texts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace kovr::locator {

RangeControls::RangeControls(QWidget &dialog, QFormLayout &form, int fieldWidth, int fieldHeight,
                             const AddressRange &suggested)
    : QObject(&dialog), dhcp_(new QRadioButton(Tr(TextId::BatchDhcpChoice), &dialog)),
      range_(new QRadioButton(Tr(TextId::BatchRangeChoice), &dialog))
{
    form.addRow(dhcp_);
    form.addRow(range_);
    const std::pair<IpAddressControl **, TextId> fields[] = {
        {&first_, TextId::BatchFirstAddress}, {&mask_, TextId::BatchSubnetMask}, {&gateway_, TextId::BatchGateway}};
    for (const auto &[control, text] : fields) {
        *control = new IpAddressControl(&dialog);
        // As tall as a line edit, as the other dialogs have them.
        (*control)->setFixedSize(fieldWidth, fieldHeight);
        auto *label = new QLabel(Tr(text), &dialog);
        LabelControl(*label, **control);
        form.addRow(label, *control);
        for (int i = 0; i < IpAddressControl::kFieldCount; ++i) {
            connect((*control)->Field(i), &QLineEdit::textChanged, this, &RangeControls::Changed);
        }
    }
    first_->SetAddress(PackedFromNetworkOrder(suggested.first));
    mask_->SetAddress(PackedFromNetworkOrder(suggested.mask));
    gateway_->SetAddress(PackedFromNetworkOrder(suggested.gateway));
    range_->setChecked(true);
    connect(dhcp_, &QRadioButton::toggled, this, [this] {
        SetEnabled(true);
        emit Changed();
    });
}

std::optional<AddressRange> RangeControls::Range() const
{
    if (!range_->isChecked()) {
        return std::nullopt;
    }
    return AddressRange{NetworkOrderFromPacked(first_->GetAddress()), NetworkOrderFromPacked(mask_->GetAddress()),
                        NetworkOrderFromPacked(gateway_->GetAddress())};
}

void RangeControls::SetEnabled(bool enabled)
{
    dhcp_->setEnabled(enabled);
    range_->setEnabled(enabled);
    for (IpAddressControl *control : {first_, mask_, gateway_}) {
        control->setEnabled(enabled && range_->isChecked());
    }
}

} // namespace kovr::locator
