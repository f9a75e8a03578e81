#include "focus_chain.h"
#include "gui_run.h"
#include "gui_test.h"
#include "pages/keybolt_page.h"
#include "shown_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// The page in a sheet, with its code digits and their labels.
struct Fixture : PageInSheet<CKTPageKeybolt>
{
    QCheckBox *box(const QString &name, Here here = {}) const
    {
        return find<QCheckBox>(name, here);
    }
    QComboBox *list(const QString &name, Here here = {}) const
    {
        return find<QComboBox>(name, here);
    }
    QComboBox *digit(int i, Here here = {}) const
    {
        return list(QStringLiteral("codeDigit%1").arg(i), here);
    }
    // The label "Digit i:", found by what it shows; null when there is none.
    QLabel *digitLabel(int i) const
    {
        const QString text = QStringLiteral("Digit %1:").arg(i);
        for (QLabel *label : page->findChildren<QLabel *>()) {
            if (shown(label->text()) == text)
                return label;
        }
        return nullptr;
    }
    bool digitsEnabled(bool enabled) const
    {
        for (int i = 1; i <= 4; ++i) {
            const QLabel *label = digitLabel(i);
            if (!label || digit(i)->isEnabled() != enabled || label->isEnabled() != enabled)
                return false;
        }
        return true;
    }
};

const QStringList kStartDelays = {
    "start taking pictures immediately",    "wait 1 day before taking pictures",
    "wait 2 days before taking pictures",   "wait 3 days before taking pictures",
    "wait 4 days before taking pictures",   "wait 5 days before taking pictures",
    "wait 6 days before taking pictures",   "wait 1 week before taking pictures",
    "wait 2 weeks before taking pictures",  "wait 3 weeks before taking pictures",
    "wait 4 weeks before taking pictures",  "wait 6 weeks before taking pictures",
    "wait 8 weeks before taking pictures",  "wait 12 weeks before taking pictures",
    "wait 42 weeks before taking pictures",
};

// A click on the box's indicator, where a person aims.
void clickBox(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator =
        box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

QStringList entries(const QComboBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->itemText(i));
    return texts;
}

} // namespace

class TestKeyboltPage : public GuiTest
{
    Q_OBJECT

private slots:
    void factoryValuesShow()
    {
        Fixture f;
        QVERIFY(f.open());
        for (const char *name : {"loopRecording", "hideLogo", "illuminatorOff", "useKeyBolt"})
            QVERIFY2(!f.box(QLatin1String(name))->isChecked(), name);
        QCOMPARE(f.list("startDelay")->currentIndex(), 0);
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(f.digit(i)->currentText(), QStringLiteral("1"));
        QVERIFY(f.digitsEnabled(false));
        QVERIFY(f.leave());
        QVERIFY(f.settings.core == f.before.core);
        QVERIFY(f.settings.cellular == f.before.cellular);
    }

    void listsHoldTheirEntriesInOrder()
    {
        Fixture f;
        QVERIFY(f.open());
        QCOMPARE(entries(f.list("startDelay")), kStartDelays);
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(entries(f.digit(i)), QStringList({"1", "2", "3", "4"}));
    }

    // Each box writes its own bit, in its own section, and nothing else.
    void eachBoxStoresItsBit_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("optionFlags"); // factory 0x0008
        QTest::addColumn<int>("cellFlags");   // factory 0
        QTest::newRow("loop recording") << "loopRecording" << 0x0008 << 0x0001;
        QTest::newRow("hide logo") << "hideLogo" << 0x0008 << 0x0004;
        QTest::newRow("disable illuminator") << "illuminatorOff" << 0x0028 << 0x0000;
        QTest::newRow("use KeyBolt") << "useKeyBolt" << 0x000A << 0x0000;
    }
    void eachBoxStoresItsBit()
    {
        QFETCH(QString, box);
        QFETCH(int, optionFlags);
        QFETCH(int, cellFlags);
        Fixture f;
        QVERIFY(f.open());
        clickBox(f.box(box));
        QVERIFY(f.leave());
        CameraSettings expected = f.before;
        expected.core.optionFlags = static_cast<std::uint16_t>(optionFlags);
        expected.cellular.cellFlags = static_cast<std::uint16_t>(cellFlags);
        QCOMPARE(f.settings.core, expected.core);
        QVERIFY(f.settings.dual == expected.dual);
        QCOMPARE(f.settings.cellular, expected.cellular);
    }

    // Unticking clears only the box's bit; every other bit of the three words stays.
    void untickingKeepsTheOtherBits_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("optionFlags");
        QTest::addColumn<int>("cellFlags");
        QTest::newRow("loop recording") << "loopRecording" << 0xFFFF << 0xFFFE;
        QTest::newRow("hide logo") << "hideLogo" << 0xFFFF << 0xFFFB;
        QTest::newRow("disable illuminator") << "illuminatorOff" << 0xFFDF << 0xFFFF;
        QTest::newRow("use KeyBolt") << "useKeyBolt" << 0xFFFD << 0xFFFF;
    }
    void untickingKeepsTheOtherBits()
    {
        QFETCH(QString, box);
        QFETCH(int, optionFlags);
        QFETCH(int, cellFlags);
        Fixture f;
        f.settings.core.optionFlags = 0xFFFF;
        f.settings.core.imageFlags = 0xEFFF; // start delay 14
        f.settings.cellular.cellFlags = 0xFFFF;
        f.settings.cellular.statusFlags = 0xFFFF;
        QVERIFY(f.open());
        QVERIFY(f.box(box)->isChecked());
        clickBox(f.box(box));
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.optionFlags, optionFlags);
        QCOMPARE(f.settings.cellular.cellFlags, cellFlags);
        QCOMPARE(f.settings.core.imageFlags, 0xEFFF);
        QCOMPARE(f.settings.cellular.statusFlags, 0xFFFF);
    }

    void useKeyBoltEnablesTheDigitsAtOnce()
    {
        Fixture f;
        QVERIFY(f.open());
        clickBox(f.box("useKeyBolt"));
        QVERIFY(f.digitsEnabled(true));
        QVERIFY(f.settings.KeyBoltOn());

        f.digit(2)->setCurrentIndex(3);
        f.digit(4)->setCurrentIndex(1);
        // The keyboard takes the same way as the mouse.
        f.box("useKeyBolt")->setFocus();
        QTest::keyClick(f.box("useKeyBolt"), Qt::Key_Space);
        QVERIFY(!f.box("useKeyBolt")->isChecked());
        QVERIFY(f.digitsEnabled(false));
        // The selections stay, and are stored.
        QCOMPARE(f.digit(2)->currentText(), QStringLiteral("4"));
        QCOMPARE(f.digit(4)->currentText(), QStringLiteral("2"));
        QVERIFY(!f.settings.KeyBoltOn());
        QCOMPARE(f.settings.CodeDigit(2), 3);
        QCOMPARE(f.settings.CodeDigit(4), 1);
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.optionFlags, 0x4C08);
    }

    void storedDigitsShowAndStayWhileKeyBoltIsOff_data()
    {
        QTest::addColumn<bool>("keyBoltOn");
        QTest::newRow("KeyBolt off") << false;
        QTest::newRow("KeyBolt on") << true;
    }
    void storedDigitsShowAndStayWhileKeyBoltIsOff()
    {
        QFETCH(bool, keyBoltOn);
        // Digits 1, 2, 3, 4 are stored as 0, 1, 2, 3 in bits 8-9, 10-11, 12-13, 14-15.
        Fixture f;
        f.settings.core.optionFlags = 0xE408;
        f.settings.SetKeyBoltOn(keyBoltOn);
        QVERIFY(f.open());
        QCOMPARE(f.box("useKeyBolt")->isChecked(), keyBoltOn);
        QVERIFY(f.digitsEnabled(keyBoltOn));
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(f.digit(i)->currentText(), QString::number(i));
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.optionFlags, keyBoltOn ? 0xE40A : 0xE408);
    }

    void startDelayShowsAndStores_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("immediately") << 0 << kStartDelays[0];
        QTest::newRow("1 week") << 7 << "wait 1 week before taking pictures";
        QTest::newRow("42 weeks") << 14 << "wait 42 weeks before taking pictures";
        QTest::newRow("15 selects nothing") << 15 << "";
    }
    void startDelayShowsAndStores()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        Fixture f;
        f.settings.core.imageFlags = 0x0FFF;
        f.settings.SetStartDelay(static_cast<std::uint16_t>(stored));
        QVERIFY(f.open());
        QCOMPARE(f.list("startDelay")->currentText(), shown);
        QCOMPARE(f.list("startDelay")->currentIndex(), stored == 15 ? -1 : stored);
        QVERIFY(f.leave());
        QCOMPARE(f.settings.StartDelay(), stored);
        QCOMPARE(f.settings.core.imageFlags & 0x0FFF, 0x0FFF);
    }

    void choosingFortyTwoWeeksStoresFourteen()
    {
        Fixture f;
        f.settings.core.imageFlags = 0x0FFF;
        QVERIFY(f.open());
        QComboBox *list = f.list("startDelay");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->currentText(), QStringLiteral("wait 42 weeks before taking pictures"));
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.imageFlags, 0xEFFF);
    }

    void readOnlyDisablesEveryControlButTheGroups_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("keyBoltOn");
        QTest::newRow("read-only, KeyBolt on") << true << true;
        QTest::newRow("read-only, KeyBolt off") << true << false;
        QTest::newRow("editable, KeyBolt on") << false << true;
    }
    void readOnlyDisablesEveryControlButTheGroups()
    {
        QFETCH(bool, readOnly);
        QFETCH(bool, keyBoltOn);
        Fixture f;
        f.app.readOnly = readOnly;
        f.settings.SetKeyBoltOn(keyBoltOn);
        QVERIFY(f.open());
        int controls = 0;
        for (QWidget *child : f.page->findChildren<QWidget *>()) {
            if (qobject_cast<QGroupBox *>(child)) {
                QVERIFY(child->isEnabled());
            } else if (qobject_cast<QLabel *>(child) || qobject_cast<QCheckBox *>(child) ||
                       qobject_cast<QComboBox *>(child)) {
                ++controls;
                const auto *label = qobject_cast<QLabel *>(child);
                QVERIFY2(child->isEnabled() != readOnly,
                         qPrintable(label ? label->text() : child->objectName()));
            }
        }
        // 1073-1077, 1270, 1273, 1326, 1367, 1088-1091, 1271, 1115.
        QCOMPARE(controls, 15);
        // A later load keeps the digit lists as they were.
        QVERIFY(f.leave());
        QVERIFY(f.sheet->setCurrentIndex(0));
        QVERIFY(f.digitsEnabled(!readOnly));
    }

    void texts()
    {
        Fixture f;
        QVERIFY(f.open());
        QCOMPARE(shown(f.sheet->tabWidget()->tabText(0)), QStringLiteral("Other"));
        QCOMPARE(shown(f.box("loopRecording")->text()),
                 QStringLiteral("Use loop recording (security enabled models only)"));
        QCOMPARE(shown(f.box("hideLogo")->text()),
                 QStringLiteral("Hide VELOMAR logo (security enabled models only)"));
        QCOMPARE(shown(f.box("illuminatorOff")->text()), QStringLiteral("Disable illuminator"));
        QCOMPARE(shown(f.box("useKeyBolt")->text()), QStringLiteral("Use KeyBolt"));
        QStringList statics;
        for (QLabel *label : f.page->findChildren<QLabel *>())
            statics.append(shown(label->text()));
        QCOMPARE(statics,
                 QStringList({"Start Delay: When armed",
                              "KeyBolt requires you to enter a code when the camera is turned on.",
                              "Digit 1:", "Digit 2:", "Digit 3:", "Digit 4:"}));
        QStringList groups;
        for (QGroupBox *group : f.page->findChildren<QGroupBox *>())
            groups.append(group->title());
        QCOMPARE(groups, QStringList({"Stormline Models Only", "KeyBolt"}));
    }

    // Space ticks "Use KeyBolt" and the digits can be reached and chosen at once; Alt and a
    // digit goes straight to that digit's list.
    void theCodeIsEnteredWithTheKeyboard()
    {
        Fixture f;
        QVERIFY(f.open());
        QCOMPARE(tabChain(f.box("useKeyBolt"), 1), QStringList{"okButton"});
        QTest::keyClick(f.box("useKeyBolt"), Qt::Key_Space);
        QVERIFY(f.digitsEnabled(true));
        QCOMPARE(tabChain(f.box("useKeyBolt"), 1), QStringList{"codeDigit1"});
        QTest::keyClick(f.digit(1), Qt::Key_Down);
        QTest::keyClick(f.digit(1), Qt::Key_3, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.digit(3));
        QTest::keyClick(f.digit(3), Qt::Key_End);
        QTest::keyClick(f.digit(3), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.list("startDelay"));
        QTest::keyClick(f.list("startDelay"), Qt::Key_End);
        QVERIFY(f.leave());
        QVERIFY(f.settings.KeyBoltOn());
        QCOMPARE(int(f.settings.CodeDigit(1)), 1);
        QCOMPARE(int(f.settings.CodeDigit(3)), 3);
        QCOMPARE(int(f.settings.StartDelay()), 14);
    }
};

QTEST_MAIN(TestKeyboltPage)
#include "tst_keybolt_page.moc"
