#ifndef KOVR_LOCATOR_RADIO_GROUP_H
#define KOVR_LOCATOR_RADIO_GROUP_H

#include <initializer_list>

class QRadioButton;

// Checks the button at `index` and unchecks the others; an index outside the
// group leaves none checked, which an exclusive group would refuse.
void CheckRadioIndex(std::initializer_list<QRadioButton *> group, int index);

// The index of the checked button, or -1 when none is.
int CheckedRadioIndex(std::initializer_list<QRadioButton *> group);

#endif
