#include "locator/control_label.h"

#include "locator/ip_address_control.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

namespace kovr::locator {

void LabelControl(QLabel &label, QWidget &control)
{
    label.setBuddy(&control);
    // "&Password:" reads as "Password".
    QString name = label.text().remove(QLatin1Char('&')).trimmed();
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    control.setAccessibleName(name);
    if (auto *address = qobject_cast<IpAddressControl *>(&control)) {
        for (int i = 0; i < IpAddressControl::kFieldCount; ++i) {
            address->Field(i)->setAccessibleName(
                QCoreApplication::translate("kovr::locator::IpAddressControl", "%1, part %2 of %3")
                    .arg(name)
                    .arg(i + 1)
                    .arg(IpAddressControl::kFieldCount));
        }
    }
}

} // namespace kovr::locator
