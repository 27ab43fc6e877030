#include "locator/radio_group.h"

#include <QRadioButton>

void CheckRadioIndex(std::initializer_list<QRadioButton *> group, int index)
{
    int i = 0;
    for (QRadioButton *button : group) {
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(i++ == index);
        button->setAutoExclusive(exclusive);
    }
}

int CheckedRadioIndex(std::initializer_list<QRadioButton *> group)
{
    int i = 0;
    for (QRadioButton *button : group) {
        if (button->isChecked())
            return i;
        ++i;
    }
    return -1;
}
