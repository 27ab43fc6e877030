// The dialogs are laid out from their templates: dialog units scale with the
// font, controls keep their order, texts and tab order, and message boxes
// look as the locator's always have.
#include "locator/device_info_dialog.h"
#include "locator/dialog_units.h"
#include "locator/ip_settings_dialog.h"
#include "locator/locator_dialog.h"
#include "locator/message_box.h"
#include "locator/qt_texts.h"
#include "locator/reboot_dialog.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/gui_tests.h"
#include "tests/locator/message_capture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kovr::locator;
using namespace kovr::test;

namespace {

QString TextOf(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget)) {
        return label->text();
    }
    if (auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        return button->text();
    }
    if (auto *group = qobject_cast<const QGroupBox *>(widget)) {
        return group->title();
    }
    return QString();
}

// The widgets that Tab visits from the first tab stop, once round.
QList<QWidget *> TabCycle(QWidget *first)
{
    QList<QWidget *> cycle;
    QWidget *widget = first;
    do {
        cycle << widget;
        widget->setFocus(Qt::TabFocusReason);
        QTest::keyClick(widget, Qt::Key_Tab);
        widget = widget->window()->focusWidget();
    } while (widget && widget != first && cycle.size() < 20);
    return cycle;
}

const KOVRDeviceInfoRecord kRecord = MakeRecord({2, 0, 0, 0, 0, 1}, "10.77.1.10");

// The controls whose text the dialogs fill in from the device's record.
bool ShowsTheRecord(int id)
{
    return id == ControlId::ProductText || id == ControlId::MacText || id == ControlId::ProductLine ||
           id == ControlId::MacLine || id == ControlId::Status || id == ControlId::Details;
}

} // namespace

class DialogTemplatesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void dialogUnitsScaleWithTheFontMetrics()
    {
        const DialogUnits units(6, 13);
        QCOMPARE(units.ToPixels(7, 7, 80, 14), QRect(11, 11, 120, 23));
        QCOMPARE(units.ToPixelsX(429), 644);
        QCOMPARE(units.ToPixelsY(186), 302);
        const DialogUnits wide(8, 16);
        QCOMPARE(wide.ToPixels(102, 19, 320, 160), QRect(204, 38, 640, 320));
    }

    void dialogUnitsComeFromTheDialogFont()
    {
        QFont font = QApplication::font();
        font.setPointSize(8);
        const DialogUnits small(font);
        font.setPointSize(16);
        const DialogUnits large(font);
        QVERIFY(small.AverageCharWidth() > 0);
        QVERIFY(large.AverageCharWidth() > small.AverageCharWidth());
        QVERIFY(large.CharHeight() > small.CharHeight());
    }

    void controlsFollowTheirTemplate_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("main window") << 0;
        QTest::newRow("IP settings") << 1;
        QTest::newRow("reboot") << 2;
        QTest::newRow("device information") << 3;
    }

    void controlsFollowTheirTemplate()
    {
        QFETCH(int, which);
        const DialogTemplate *templates[] = {&kLocatorTemplate, &kIpSettingsTemplate, &kRebootTemplate,
                                             &kDeviceInfoTemplate};
        const DialogTemplate &tmpl = *templates[which];
        FakeLibrary fake;
        LocatorDialog locator(fake.Seam());
        IpSettingsDialog ip(fake.Seam(), kRecord, locator.Pins());
        RebootDialog reboot(fake.Seam(), kRecord, locator.Pins());
        DeviceInfoDialog info(kRecord);
        TemplateDialog *dialogs[] = {&locator, &ip, &reboot, &info};
        TemplateDialog *dialog = dialogs[which];

        const DialogUnits &units = dialog->Units();
        QCOMPARE(dialog->size(), units.ToPixels(0, 0, tmpl.width, tmpl.height).size());
        QCOMPARE(dialog->windowTitle(), QString::fromLatin1(tmpl.caption));
        // One child per control, created in the template's order.
        const QList<QWidget *> children = dialog->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(children.size(), qsizetype(tmpl.controlCount));
        for (size_t i = 0; i < tmpl.controlCount; ++i) {
            const ControlTemplate &control = tmpl.controls[i];
            QWidget *widget = children[static_cast<qsizetype>(i)];
            if (control.id != ControlId::Static) {
                QCOMPARE(dialog->Control(control.id), widget);
            }
            if (control.text && control.kind != ControlKind::ListView && !ShowsTheRecord(control.id)) {
                QCOMPARE(TextOf(widget), QString::fromLatin1(control.text));
            }
            const QRect expected = units.ToPixels(control.x, control.y, control.width, control.height);
            QCOMPARE(widget->geometry().left(), expected.left());
            QCOMPARE(widget->geometry().width(), expected.width());
            // Labels may grow downwards to fit their text.
            if (control.kind == ControlKind::Label) {
                QVERIFY(widget->geometry().bottom() >= expected.bottom());
            } else {
                QCOMPARE(widget->geometry().bottom(), expected.bottom());
            }
            QCOMPARE(widget->isHidden(), (control.flags & Hidden) != 0);
        }
    }

    // Labels neither scroll nor grow: a text that does not fit is clipped.
    // The record carries the product line's longest name, the maker's
    // included, and the reboot status takes each of its texts.
    void labelTextsFitTheirControls()
    {
        const KOVRDeviceInfoRecord record =
            MakeRecord({0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, "255.255.255.255", "", "Korvel-Arden 7100-NT");
        FakeLibrary fake;
        LocatorDialog locator(fake.Seam());
        IpSettingsDialog ip(fake.Seam(), record, locator.Pins());
        RebootDialog reboot(fake.Seam(), record, locator.Pins());
        DeviceInfoDialog info(record);
        const QList<const TemplateDialog *> dialogs = {&locator, &ip, &reboot, &info};
        for (const TemplateDialog *dialog : dialogs) {
            for (const QLabel *label : dialog->findChildren<QLabel *>()) {
                QStringList texts = {label->text()};
                if (label == reboot.Control(ControlId::Status)) {
                    texts << Tr(TextId::StatusRebooting) << Tr(TextId::StatusReady) << Tr(TextId::StatusTimedOut);
                }
                for (const QString &text : texts) {
                    const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                                           Qt::TextWordWrap | Qt::TextExpandTabs, text);
                    QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(), qPrintable(text));
                }
            }
        }
    }

    void tabVisitsTheTabStopsInTemplateOrder()
    {
        FakeLibrary fake;
        LocatorDialog locator(fake.Seam());
        locator.show();
        QCOMPARE(
            TabCycle(locator.Control(ControlId::ConfigureIpSettings)),
            (QList<QWidget *>{locator.Control(ControlId::ConfigureIpSettings), locator.Control(ControlId::DeviceInfo),
                              locator.Control(ControlId::RebootDevice), locator.Control(ControlId::RefreshList),
                              locator.Control(ControlId::DeviceList), locator.Control(ControlId::Cancel)}));
        locator.reject();

        IpSettingsDialog ip(fake.Seam(), kRecord, locator.Pins());
        ip.show();
        const auto field = [&ip](int id) { return ip.Control(id)->focusProxy(); };
        QCOMPARE(TabCycle(field(ControlId::IpAddress)),
                 (QList<QWidget *>{field(ControlId::IpAddress), field(ControlId::SubnetMask), field(ControlId::Gateway),
                                   ip.Control(ControlId::Password), ip.Control(ControlId::Ok),
                                   ip.Control(ControlId::Cancel), ip.Control(ControlId::ManualRadio)}));
        ip.reject();

        RebootDialog reboot(fake.Seam(), kRecord, locator.Pins());
        reboot.show();
        QCOMPARE(TabCycle(reboot.Control(ControlId::RebootPassword)),
                 (QList<QWidget *>{reboot.Control(ControlId::RebootPassword), reboot.Control(ControlId::Reboot),
                                   reboot.Control(ControlId::Ok)}));
        reboot.reject();
    }

    void messageBoxesHaveTheTitleNoIconAndOnlyOk()
    {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::Warning;
        QList<QAbstractButton *> buttons;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons();
            box->accept();
        });
        QWidget owner;
        ShowMessage(&owner, QStringLiteral("No device is selected.\n"));
        QCOMPARE(title, QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
        QCOMPARE(title, QStringLiteral("locator_gui_tests"));
        QCOMPARE(text, QStringLiteral("No device is selected.\n"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons.size(), qsizetype(1));
    }

    // Enter in a confirmation is Cancel, so that a hurried key sends nothing.
    void confirmationsDefaultToCancel()
    {
        const ConfirmationPresenter installed = SetConfirmationPresenter(Confirmations::Original());
        QString shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QWidget owner;
        const bool confirmed = AskToConfirm(&owner, QStringLiteral("Send the password anyway?"));
        SetConfirmationPresenter(installed);
        QCOMPARE(shown, QStringLiteral("Send the password anyway?"));
        QVERIFY(!confirmed);
    }
};

KOVR_GUI_TEST(DialogTemplatesTest)
#include "dialog_templates_test.moc"
