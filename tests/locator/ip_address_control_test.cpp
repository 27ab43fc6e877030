// The four-field address entry: packing, typing from field to field, and the
// disabled look.
#include "locator/ip_address_control.h"
#include "tests/locator/gui_tests.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using kovr::locator::IpAddressControl;

class IpAddressControlTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<IpAddressControl> ShownControl()
    {
        auto control = std::make_unique<IpAddressControl>();
        control->resize(180, 26);
        control->show();
        control->Field(0)->setFocus();
        return control;
    }

    // Types each character into whatever field has the focus at that moment.
    static void Type(QWidget *window, const QString &text)
    {
        for (QChar c : text) {
            QTest::keyClick(window->focusWidget(), c.toLatin1());
        }
    }

    static QStringList FieldTexts(const IpAddressControl &control)
    {
        QStringList texts;
        for (int i = 0; i < IpAddressControl::kFieldCount; ++i) {
            texts << control.Field(i)->text();
        }
        return texts;
    }

private slots:
    void packsTheFirstFieldIntoTheMostSignificantByte()
    {
        IpAddressControl control;
        control.SetAddress(0xC0A8010A);
        QCOMPARE(FieldTexts(control), (QStringList{"192", "168", "1", "10"}));
        QCOMPARE(control.GetAddress(), 0xC0A8010Au);
        control.SetAddress(0);
        QCOMPARE(FieldTexts(control), (QStringList{"0", "0", "0", "0"}));
    }

    void blankFieldsReadAsZero()
    {
        IpAddressControl control;
        QCOMPARE(control.GetAddress(), 0u);
        control.SetAddress(0x0A000005);
        control.Field(1)->clear();
        control.Field(3)->clear();
        QCOMPARE(control.GetAddress(), 0x0A000000u);
    }

    void typingMovesFromFieldToField()
    {
        auto control = ShownControl();
        // A dot ends a short field; a third digit ends a field by itself.
        Type(control.get(), QStringLiteral("10.192168.7"));
        QCOMPARE(FieldTexts(*control), (QStringList{"10", "192", "168", "7"}));
        QCOMPARE(control->GetAddress(), 0x0AC0A807u);
        QCOMPARE(control->focusWidget(), control->Field(3));
        // A dot in the last field goes nowhere and types nothing.
        QTest::keyClick(control->Field(3), Qt::Key_Period);
        QCOMPARE(control->focusWidget(), control->Field(3));
        QCOMPARE(control->Field(3)->text(), QStringLiteral("7"));
    }

    void backspaceInAnEmptyFieldMovesBack()
    {
        auto control = ShownControl();
        Type(control.get(), QStringLiteral("10.2"));
        QCOMPARE(control->focusWidget(), control->Field(1));
        QTest::keyClick(control->Field(1), Qt::Key_Backspace);
        QCOMPARE(control->Field(1)->text(), QString());
        QCOMPARE(control->focusWidget(), control->Field(1));
        QTest::keyClick(control->Field(1), Qt::Key_Backspace);
        QCOMPARE(control->focusWidget(), control->Field(0));
        // Back at the end of the previous field, where Backspace deletes.
        QTest::keyClick(control->Field(0), Qt::Key_Backspace);
        QCOMPARE(control->Field(0)->text(), QStringLiteral("1"));
        // The first field has nowhere to go back to.
        QTest::keyClick(control->Field(0), Qt::Key_Backspace);
        QTest::keyClick(control->Field(0), Qt::Key_Backspace);
        QCOMPARE(control->focusWidget(), control->Field(0));
    }

    void acceptsOnlyDigitsUpTo255()
    {
        auto control = ShownControl();
        QTest::keyClicks(control->Field(0), QStringLiteral("a-9"));
        QCOMPARE(control->Field(0)->text(), QStringLiteral("9"));
        control->Field(0)->clear();
        Type(control.get(), QStringLiteral("300"));
        QCOMPARE(control->Field(0)->text(), QStringLiteral("255"));
        QCOMPARE(control->GetAddress() >> 24, 255u);
    }

    void disablingGreysAllFourFields()
    {
        IpAddressControl control;
        control.SetAddress(0x0A000005);
        control.setEnabled(false);
        for (int i = 0; i < IpAddressControl::kFieldCount; ++i) {
            QVERIFY(!control.Field(i)->isEnabled());
        }
        // Still readable and settable while disabled.
        QCOMPARE(control.GetAddress(), 0x0A000005u);
        control.setEnabled(true);
        for (int i = 0; i < IpAddressControl::kFieldCount; ++i) {
            QVERIFY(control.Field(i)->isEnabled());
        }
    }

    void isOneTabStop()
    {
        QWidget window;
        auto *before = new QLineEdit(&window);
        auto *control = new IpAddressControl(&window);
        auto *after = new QLineEdit(&window);
        control->setGeometry(0, 30, 180, 26);
        after->move(0, 60);
        window.show();
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(window.focusWidget(), control->Field(0));
        QTest::keyClick(control->Field(0), Qt::Key_Tab);
        QCOMPARE(window.focusWidget(), after);
    }
};

KOVR_GUI_TEST(IpAddressControlTest)
#include "ip_address_control_test.moc"
