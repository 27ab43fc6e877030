#pragma once

#include <QWidget>

#include <array>

#include <stdint.h>

class QLabel;
class QLineEdit;

namespace kovr::locator {

// An IPv4 address entry of four fields of 0 to 255 between dots. A dot, or a
// full field, moves on to the next field; Backspace in an empty field moves
// back. The address is packed in 32 bits with the first field in the most
// significant byte; a blank field reads as 0. Disabled, all four grey out.
class IpAddressControl : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFieldCount = 4;

    explicit IpAddressControl(QWidget *parent = nullptr);

    void SetAddress(uint32_t packed);
    uint32_t GetAddress() const;

    QLineEdit *Field(int index) const { return fields_[static_cast<size_t>(index)]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int IndexOf(const QObject *field) const;
    void OnFieldEdited(int index);
    void MoveTo(int index, bool atEnd);

    std::array<QLineEdit *, kFieldCount> fields_{};
    std::array<QLabel *, kFieldCount - 1> dots_{};
};

} // namespace kovr::locator
