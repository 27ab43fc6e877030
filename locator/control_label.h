#pragma once

class QLabel;
class QWidget;

namespace kovr::locator {

// Makes `label` the buddy of `control` (its mnemonic moves the focus there)
// and gives the control the label's words as its accessible name, so that
// screen readers, and tests that drive a window through the accessibility
// tree, find it by what it says. An address control's four fields are
// named after it too.
void LabelControl(QLabel &label, QWidget &control);

} // namespace kovr::locator
