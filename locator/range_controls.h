#pragma once

#include "locator/core/address_range.h"

#include <QObject>

#include <optional>

class QFormLayout;
class QRadioButton;
class QWidget;

namespace kovr::locator {

class IpAddressControl;

// Configure Selected Devices' choice: DHCP for all, or a range of static
// addresses from a first one, with the mask and gateway. Its rows go into
// the dialog's form; Changed is emitted on every edit.
class RangeControls : public QObject {
    Q_OBJECT

public:
    // The range's fields start with `suggested`, in range mode.
    RangeControls(QWidget &dialog, QFormLayout &form, int fieldWidth, int fieldHeight, const AddressRange &suggested);

    // None while DHCP is chosen.
    std::optional<AddressRange> Range() const;
    void SetEnabled(bool enabled);

signals:
    void Changed();

private:
    QRadioButton *dhcp_;
    QRadioButton *range_;
    IpAddressControl *first_ = nullptr;
    IpAddressControl *mask_ = nullptr;
    IpAddressControl *gateway_ = nullptr;
};

} // namespace kovr::locator
