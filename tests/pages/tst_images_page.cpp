#include "controls/char_filter_edit.h"
#include "gui_run.h"
#include "gui_test.h"
#include "pages/images_page.h"
#include "shown_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

using LabelBytes = std::array<std::uint8_t, 20>;

LabelBytes labelBytes(const QByteArray &bytes)
{
    LabelBytes label{};
    std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), 20), label.begin());
    return label;
}

QByteArray byteRange(int first, int last)
{
    QByteArray bytes;
    for (int b = first; b <= last; ++b)
        bytes.append(static_cast<char>(b));
    return bytes;
}

// Types one character as the keyboard (or an input method) delivers it, whatever its key.
void typeCharacter(QWidget *widget, const QString &character)
{
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, character, Qt::NoModifier);
}

// A click on a radio button's or check box's indicator, where a person aims.
void clickButton(QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle::SubElement element = qobject_cast<QRadioButton *>(button)
                                           ? QStyle::SE_RadioButtonIndicator
                                           : QStyle::SE_CheckBoxIndicator;
    const QRect indicator = button->style()->subElementRect(element, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, indicator.center());
}

// The page in a sheet, with its label field at hand once it is open.
struct Fixture : PageInSheet<CKTPageImages>
{
    [[nodiscard]] bool open()
    {
        if (!PageInSheet::open())
            return false;
        label = page->findChild<CCharFilterEdit *>(QStringLiteral("label"));
        return label != nullptr;
    }

    CCharFilterEdit *label = nullptr;
};

const QString kLabelTooLong = QStringLiteral("Please enter no more than 20 characters.");

} // namespace

class TestImagesPage : public GuiTest
{
    Q_OBJECT

private slots:
    void factoryValuesShow()
    {
        Fixture f;
        QVERIFY(f.open());
        QCOMPARE(f.find<QSlider>("brightness")->value(), 64);
        QCOMPARE(f.find<QSlider>("contrast")->value(), 192);
        QCOMPARE(f.find<QSlider>("sharpness")->value(), 128);
        QCOMPARE(f.find<QSlider>("saturation")->value(), 128);
        QVERIFY(f.find<QRadioButton>("fahrenheit")->isChecked());
        QVERIFY(f.find<QRadioButton>("clock12h")->isChecked());
        QVERIFY(f.find<QRadioButton>("highResolution")->isChecked());
        QVERIFY(!f.find<QCheckBox>("printBorder")->isChecked());
        QCOMPARE(f.find<QSlider>("nightShutter")->value(), 0); // "Slow"
        QCOMPARE(f.find<QSlider>("nightIso")->value(), 1);     // the middle
        QCOMPARE(f.label->text(), QString());
    }

    void slidersRunOverTheirRangesWithTicks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("tickInterval");
        QTest::newRow("brightness") << "brightness" << 255 << 32;
        QTest::newRow("contrast") << "contrast" << 255 << 32;
        QTest::newRow("sharpness") << "sharpness" << 255 << 32;
        QTest::newRow("saturation") << "saturation" << 255 << 32;
        QTest::newRow("night shutter") << "nightShutter" << 2 << 1;
        QTest::newRow("night ISO") << "nightIso" << 2 << 1;
    }
    void slidersRunOverTheirRangesWithTicks()
    {
        QFETCH(QString, name);
        QFETCH(int, maximum);
        QFETCH(int, tickInterval);
        Fixture f;
        QVERIFY(f.open());
        QSlider *slider = f.find<QSlider>(qPrintable(name));
        QCOMPARE(slider->orientation(), Qt::Horizontal);
        QCOMPARE(slider->tickInterval(), tickInterval);
        QVERIFY(slider->tickPosition() != QSlider::NoTicks);
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(slider->value(), maximum);
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(slider->value(), 0);
    }

    // Every control writes its own field and nothing else of the record.
    void eachControlStoresItsField_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("keyPresses"); // arrow presses on a slider: > 0 right, < 0 left
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("contrast");
        QTest::addColumn<int>("sharpness");
        QTest::addColumn<int>("saturation");
        QTest::addColumn<int>("imageFlags");
        // Factory: 64, 192, 128, 128, imageFlags 0x001E.
        QTest::newRow("brightness") << "brightness" << 3 << 67 << 192 << 128 << 128 << 0x001E;
        QTest::newRow("contrast") << "contrast" << 63 << 64 << 255 << 128 << 128 << 0x001E;
        QTest::newRow("sharpness") << "sharpness" << 1 << 64 << 192 << 129 << 128 << 0x001E;
        QTest::newRow("saturation") << "saturation" << 2 << 64 << 192 << 128 << 130 << 0x001E;
        QTest::newRow("Celsius") << "celsius" << 0 << 64 << 192 << 128 << 128 << 0x003E;
        QTest::newRow("24 hr") << "clock24h" << 0 << 64 << 192 << 128 << 128 << 0x005E;
        QTest::newRow("low resolution")
            << "lowResolution" << 0 << 64 << 192 << 128 << 128 << 0x009E;
        QTest::newRow("print border") << "printBorder" << 0 << 64 << 192 << 128 << 128 << 0x001F;
        QTest::newRow("night shutter middle")
            << "nightShutter" << 1 << 64 << 192 << 128 << 128 << 0x011E;
        QTest::newRow("night shutter fast")
            << "nightShutter" << 2 << 64 << 192 << 128 << 128 << 0x021E;
        QTest::newRow("night ISO high") << "nightIso" << 1 << 64 << 192 << 128 << 128 << 0x081E;
        QTest::newRow("night ISO low") << "nightIso" << -1 << 64 << 192 << 128 << 128 << 0x041E;
    }
    void eachControlStoresItsField()
    {
        QFETCH(QString, control);
        QFETCH(int, keyPresses);
        QFETCH(int, brightness);
        QFETCH(int, contrast);
        QFETCH(int, sharpness);
        QFETCH(int, saturation);
        QFETCH(int, imageFlags);
        Fixture f;
        QVERIFY(f.open());
        auto *widget = f.page->findChild<QWidget *>(control);
        QVERIFY(widget);
        if (auto *slider = qobject_cast<QSlider *>(widget)) {
            for (int i = 0; i < std::abs(keyPresses); ++i)
                QTest::keyClick(slider, keyPresses > 0 ? Qt::Key_Right : Qt::Key_Left);
        } else {
            auto *button = qobject_cast<QAbstractButton *>(widget);
            QVERIFY(button);
            clickButton(button);
        }
        QVERIFY(f.leave());

        CameraSettings expected = f.before;
        expected.core.brightness = static_cast<std::uint8_t>(brightness);
        expected.core.contrast = static_cast<std::uint8_t>(contrast);
        expected.core.sharpness = static_cast<std::uint8_t>(sharpness);
        expected.core.saturation = static_cast<std::uint8_t>(saturation);
        expected.core.imageFlags = static_cast<std::uint16_t>(imageFlags);
        QCOMPARE(f.settings.core, expected.core);
        QVERIFY(f.settings.dual == f.before.dual);
        QVERIFY(f.settings.cellular == f.before.cellular);
    }

    // What a stored imageFlags word shows, and what leaving the page untouched stores.
    void imageFlagsShowAndComeBack_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shutterPosition");
        QTest::addColumn<int>("isoPosition");
        QTest::addColumn<int>("storedBack");
        QTest::newRow("factory") << 0x001E << 0 << 1 << 0x001E;
        QTest::newRow("every bit") << 0xFFFF << 1 << 2 << 0xF9FF;
        QTest::newRow("no bit") << 0x0000 << 0 << 1 << 0x0000;
    }
    void imageFlagsShowAndComeBack()
    {
        QFETCH(int, stored);
        QFETCH(int, shutterPosition);
        QFETCH(int, isoPosition);
        QFETCH(int, storedBack);
        Fixture f;
        f.settings.core.imageFlags = static_cast<std::uint16_t>(stored);
        QVERIFY(f.open());
        QCOMPARE(f.find<QSlider>("nightShutter")->value(), shutterPosition);
        QCOMPARE(f.find<QSlider>("nightIso")->value(), isoPosition);
        QCOMPARE(f.find<QCheckBox>("printBorder")->isChecked(), (stored & 0x01) != 0);
        QCOMPARE(f.find<QRadioButton>("celsius")->isChecked(), (stored & 0x20) != 0);
        QCOMPARE(f.find<QRadioButton>("fahrenheit")->isChecked(), (stored & 0x20) == 0);
        QCOMPARE(f.find<QRadioButton>("clock24h")->isChecked(), (stored & 0x40) != 0);
        QCOMPARE(f.find<QRadioButton>("lowResolution")->isChecked(), (stored & 0x80) != 0);
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.imageFlags, storedBack);
    }

    void laterActivationShowsTheRecord()
    {
        Fixture f;
        QVERIFY(f.open());
        QVERIFY(f.leave());
        f.settings.core.brightness = 7;
        f.settings.SetCelsius(true);
        f.settings.SetLabel("Ridge");
        QVERIFY(f.sheet->setCurrentIndex(0));
        QCOMPARE(f.find<QSlider>("brightness")->value(), 7);
        QVERIFY(f.find<QRadioButton>("celsius")->isChecked());
        QCOMPARE(f.label->text(), QStringLiteral("Ridge"));
    }

    // One byte, one character: whatever a label holds comes back byte for byte.
    void labelBytesSurviveLoadAndSave_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("accents") << QByteArray("Caf\xE9 \xD8");
        QTest::newRow("20 characters, no terminator") << QByteArray("North ridge camera 7");
        QTest::newRow("control characters") << byteRange(0x01, 0x14);
        QTest::newRow("more control characters and space") << byteRange(0x15, 0x28);
        QTest::newRow("0x80-0x93") << byteRange(0x80, 0x93);
        QTest::newRow("0x94-0xA7") << byteRange(0x94, 0xA7);
        QTest::newRow("0xA8-0xBB") << byteRange(0xA8, 0xBB);
        QTest::newRow("0xBC-0xCF") << byteRange(0xBC, 0xCF);
        QTest::newRow("0xD0-0xE3") << byteRange(0xD0, 0xE3);
        QTest::newRow("0xE4-0xF7") << byteRange(0xE4, 0xF7);
        QTest::newRow("0xF8-0xFF") << byteRange(0xF8, 0xFF);
        QTest::newRow("construction set") << QByteArray("%'*\"+?><:\\");
    }
    void labelBytesSurviveLoadAndSave()
    {
        QFETCH(QByteArray, bytes);
        Fixture f;
        f.settings.core.label = labelBytes(bytes);
        QVERIFY(f.open());
        QCOMPARE(f.label->text().size(), bytes.size());
        QCOMPARE(f.label->text(), QString::fromLatin1(bytes));
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.label, labelBytes(bytes));
        QVERIFY(f.settings.core == f.before.core);
    }

    void labelShowsTheBytesBeforeTheFirstZero()
    {
        Fixture f;
        f.settings.core.label = labelBytes(QByteArray("AB\0CD", 5));
        QVERIFY(f.open());
        QCOMPARE(f.label->text(), QStringLiteral("AB"));
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.label, labelBytes("AB"));
    }

    // The field shows only what it accepts, whatever route the text took, the record's too.
    void storedForbiddenCharactersDoNotComeBack()
    {
        Fixture f;
        f.settings.SetLabel("A_B~C{D}");
        QVERIFY(f.open());
        QCOMPARE(f.label->text(), QStringLiteral("ABCD"));
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.label, labelBytes("ABCD"));
    }

    void typedLatin1CharactersAreStoredAsOneByte()
    {
        Fixture f;
        QVERIFY(f.open());
        QTest::keyClicks(f.label, QStringLiteral("Caf"));
        for (const QString &c : {QStringLiteral("\u00E9"), QStringLiteral(" "),
                                 QStringLiteral("\u00D8"), QStringLiteral("\u00FF")})
            typeCharacter(f.label, c);
        QCOMPARE(f.label->text(), QStringLiteral("Caf\u00E9 \u00D8\u00FF"));
        QCOMPARE(f.platform.beeps, 0);
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.label, labelBytes("Caf\xE9 \xD8\xFF"));
    }

    // Refused while typing: the stamp cannot print these, or the label cannot store them.
    void refusedCharacterBeepsAndIsNotInserted_data()
    {
        QTest::addColumn<QString>("character");
        QTest::newRow("tilde") << "~";
        QTest::newRow("caret") << "^";
        QTest::newRow("underscore") << "_";
        QTest::newRow("grave accent") << "`";
        QTest::newRow("left brace") << "{";
        QTest::newRow("right brace") << "}";
        QTest::newRow("vertical bar") << "|";
        QTest::newRow("euro sign") << QStringLiteral("\u20AC");
        QTest::newRow("CJK ideograph") << QStringLiteral("\u65E5");
        QTest::newRow("Latin Extended-A") << QStringLiteral("\u0152");
        QTest::newRow("outside the basic plane") << QStringLiteral("\U0001F600");
    }
    void refusedCharacterBeepsAndIsNotInserted()
    {
        QFETCH(QString, character);
        Fixture f;
        QVERIFY(f.open());
        QTest::keyClicks(f.label, QStringLiteral("ab"));
        f.label->setCursorPosition(1);
        typeCharacter(f.label, character);
        QCOMPARE(f.label->text(), QStringLiteral("ab"));
        QCOMPARE(f.label->cursorPosition(), 1);
        QCOMPARE(f.platform.beeps, 1);
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.label, labelBytes("ab"));
    }

    void constructionSetGivesWayToTheTypingSet()
    {
        FakePlatformServices platform;
        CameraSettings settings;
        settings.ResetAll();
        AppState app;
        CKTPageImages page(settings, app);
        auto *label = page.findChild<CCharFilterEdit *>(QStringLiteral("label"));
        QVERIFY(label);
        // Before the page has ever been shown, the field refuses the construction set.
        label->setText(QStringLiteral("a%b~c"));
        QCOMPARE(label->text(), QStringLiteral("ab~c"));

        page.create();
        const QString constructionSet = QStringLiteral("%'*\"+?><:\\");
        QTest::keyClicks(label, constructionSet);
        QCOMPARE(label->text(), constructionSet);
        QCOMPARE(platform.beeps, 0);
        QVERIFY(page.saveControls());
        QCOMPARE(settings.core.label, labelBytes(constructionSet.toLatin1()));
    }

    void pastedTextLosesRefusedCharactersSilently()
    {
        Fixture f;
        QVERIFY(f.open());
        QTest::keyClicks(f.label, QStringLiteral("Cam"));
        f.platform.clipboard = QStringLiteral(" Caf\u00E9\u20AC\u65E5~ \u00D8\U0001F600!");
        QTest::keyClick(f.label, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.label->text(), QStringLiteral("Cam Caf\u00E9 \u00D8!"));
        QCOMPARE(f.platform.beeps, 0);
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.label, labelBytes("Cam Caf\xE9 \xD8!"));
    }

    void textSetByTheProgramLosesCharactersWithoutAByte()
    {
        Fixture f;
        QVERIFY(f.open());
        f.label->QLineEdit::setText(QStringLiteral("a\u20ACb\u00E9"));
        QCOMPARE(f.label->text(), QStringLiteral("ab\u00E9"));
    }

    void labelTakesTwentyCharacters()
    {
        Fixture f;
        QVERIFY(f.open());
        const QString twenty = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
        QTest::keyClicks(f.label, twenty + QStringLiteral("UV"));
        QCOMPARE(f.label->text(), twenty);
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.label, labelBytes(twenty.toLatin1()));
        QCOMPARE(f.settings.Label(), twenty.toStdString());

        QVERIFY(f.sheet->setCurrentIndex(0));
        QCOMPARE(f.label->text(), twenty);
        f.label->clear();
        f.platform.clipboard = QStringLiteral("0123456789012345678901234");
        QTest::keyClick(f.label, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.label->text(), QStringLiteral("01234567890123456789"));
    }

    void emptyLabelStoresTwentyZeros()
    {
        Fixture f;
        f.settings.SetLabel("Old label");
        QVERIFY(f.open());
        QCOMPARE(f.label->text(), QStringLiteral("Old label"));
        f.label->selectAll();
        QTest::keyClick(f.label, Qt::Key_Delete);
        QVERIFY(f.leave());
        QCOMPARE(f.settings.core.label, LabelBytes{});
    }

    // The edit's own limit keeps this from happening; should the limit ever be lifted, the
    // page still refuses to store more than the record holds.
    void overlongLabelKeepsThePageAndStoresNothing()
    {
        Fixture f;
        QVERIFY(f.open());
        QTest::keyClick(f.find<QSlider>("brightness"), Qt::Key_Right);
        f.label->setMaxLength(40);
        f.label->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTU"));
        f.messages.expect(kLabelTooLong);
        QVERIFY(!f.leave());
        QCOMPARE(f.messages.shownMessage(0).icon, MessageIcon::Exclamation);
        QCOMPARE(f.sheet->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), f.label);
        QCOMPARE(f.label->selectedText(), f.label->text());
        QVERIFY(f.settings.core == f.before.core);
    }

    void readOnlyDisablesEveryControlButTheGroups_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("read-only") << true;
        QTest::newRow("editable") << false;
    }
    void readOnlyDisablesEveryControlButTheGroups()
    {
        QFETCH(bool, readOnly);
        Fixture f;
        f.app.readOnly = readOnly;
        QVERIFY(f.open());
        const QList<QWidget *> children = f.page->findChildren<QWidget *>();
        int controls = 0;
        for (QWidget *child : children) {
            if (qobject_cast<QGroupBox *>(child)) {
                QVERIFY(child->isEnabled());
            } else if (qobject_cast<QLabel *>(child) || qobject_cast<QSlider *>(child) ||
                       qobject_cast<QAbstractButton *>(child) || child == f.label) {
                ++controls;
                QVERIFY2(child->isEnabled() != readOnly, qPrintable(child->objectName()));
            }
        }
        // The label, 22 static texts, 6 sliders, 6 radios and the check box.
        QCOMPARE(controls, 36);
        // Switching tabs loads again; nothing comes back to life.
        QVERIFY(f.leave());
        QVERIFY(f.sheet->setCurrentIndex(0));
        QCOMPARE(f.label->isEnabled(), !readOnly);
    }

    void texts()
    {
        Fixture f;
        QVERIFY(f.open());
        QStringList statics;
        for (QLabel *label : f.page->findChildren<QLabel *>())
            statics.append(shown(label->text()));
        statics.sort();
        QCOMPARE(statics, QStringList({"Brightness:",
                                       "Contrast:",
                                       "Fast",
                                       "High",
                                       "High",
                                       "High",
                                       "High",
                                       "High",
                                       "Label:",
                                       "Low",
                                       "Low",
                                       "Low",
                                       "Low",
                                       "Low",
                                       "Night ISO Sensitivity:",
                                       "Night Shutter Speed:",
                                       "Resolution:",
                                       "Saturation:",
                                       "Sharpness:",
                                       "Slow",
                                       "Temperature:",
                                       "Time:"}));
        QStringList groups;
        for (QGroupBox *group : f.page->findChildren<QGroupBox *>())
            groups.append(shown(group->title()));
        QCOMPARE(groups, QStringList({"Options", "SwiftShot/Stormline Models Only",
                                      "Kestra VGA Models Only"}));
        QCOMPARE(shown(f.find<QRadioButton>("fahrenheit")->text()), QStringLiteral("Fahrenheit"));
        QCOMPARE(shown(f.find<QRadioButton>("celsius")->text()), QStringLiteral("Celsius"));
        QCOMPARE(shown(f.find<QRadioButton>("clock12h")->text()), QStringLiteral("12 hr"));
        QCOMPARE(shown(f.find<QRadioButton>("clock24h")->text()), QStringLiteral("24 hr"));
        QCOMPARE(shown(f.find<QRadioButton>("highResolution")->text()), QStringLiteral("High"));
        QCOMPARE(shown(f.find<QRadioButton>("lowResolution")->text()), QStringLiteral("Low"));
        QCOMPARE(shown(f.find<QCheckBox>("printBorder")->text()),
                 QStringLiteral("Include border for 4x6 prints"));
        QCOMPARE(shown(f.sheet->tabWidget()->tabText(0)), QStringLiteral("Images"));
    }

    // Each pair of radios is a group of its own: choosing Celsius leaves the clock alone.
    void radioPairsAreIndependent()
    {
        Fixture f;
        QVERIFY(f.open());
        clickButton(f.find<QRadioButton>("celsius"));
        clickButton(f.find<QRadioButton>("lowResolution"));
        QVERIFY(f.find<QRadioButton>("clock12h")->isChecked());
        QVERIFY(f.find<QRadioButton>("celsius")->isChecked());
        QVERIFY(f.find<QRadioButton>("lowResolution")->isChecked());
        QVERIFY(!f.find<QRadioButton>("highResolution")->isChecked());
    }

    // The sliders move by one with the arrows and by a tick with Page Up and Page Down; a
    // pair of radios is chosen with the arrows.
    void slidersAndRadiosFollowTheKeys()
    {
        Fixture f;
        QVERIFY(f.open());
        QSlider *brightness = f.find<QSlider>("brightness");
        brightness->setFocus();
        QTest::keyClick(brightness, Qt::Key_Right);
        QCOMPARE(brightness->value(), 65);
        QTest::keyClick(brightness, Qt::Key_PageUp);
        QCOMPARE(brightness->value(), 97);
        QTest::keyClick(brightness, Qt::Key_End);
        QCOMPARE(brightness->value(), 255);
        QSlider *shutter = f.find<QSlider>("nightShutter");
        shutter->setFocus();
        QTest::keyClick(shutter, Qt::Key_Right);
        QCOMPARE(shutter->value(), 1);
        auto *fahrenheit = f.find<QRadioButton>("fahrenheit");
        fahrenheit->setFocus();
        QTest::keyClick(fahrenheit, Qt::Key_Right);
        QVERIFY(f.find<QRadioButton>("celsius")->isChecked());
        QVERIFY(f.find<QRadioButton>("clock12h")->isChecked()); // the other pair stays
        QVERIFY(f.leave());
        QCOMPARE(int(f.settings.core.brightness), 255);
        QCOMPARE(int(f.settings.NightShutter()), 1);
        QVERIFY(f.settings.Celsius());
    }
};

QTEST_MAIN(TestImagesPage)
#include "tst_images_page.moc"
