#include "controls/edit_field.h"
#include "controls/input_rules.h"
#include "fake_platform.h"

#include <QTest>

// The rules on a field without a window: what each typed character, Delete and leaving the
// field do to the text and the selection.

namespace {
enum class Step
{
    Type,   // each character of the input, typed
    Delete, // the Delete key
    Leave,  // the field loses the focus
};

FieldState at(const QString &text, int start, int end)
{
    return FieldState{text, start, end, end};
}

void apply(InputRule &rule, Step step, const QString &input)
{
    switch (step) {
    case Step::Type:
        for (const QChar c : input)
            rule.OnChar(c);
        break;
    case Step::Delete:
        rule.OnKeyDown(Qt::Key_Delete);
        break;
    case Step::Leave:
        rule.OnKillFocus();
        break;
    }
}
} // namespace

Q_DECLARE_METATYPE(Step)

class TestInputRules : public QObject
{
    Q_OBJECT

private slots:
    void numberValidText_data()
    {
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("valid");
        // whole < 0: that many digits and no sign, as SetMaxWholeDigits takes it.
        QTest::newRow("third whole digit dropped") << -2 << 1 << "1234"
                                                   << "12";
        QTest::newRow("second decimal dropped") << -2 << 1 << "123.45"
                                                << "12.4";
        QTest::newRow("letters dropped") << -2 << 1 << "a1b2"
                                         << "12";
        QTest::newRow("second separator and what follows dropped") << -2 << 1 << "1.2.3"
                                                                   << "1.2";
        QTest::newRow("leading separator kept") << -2 << 1 << ".5"
                                                << ".5";
        QTest::newRow("trailing separator kept") << -2 << 1 << "12."
                                                 << "12.";
        QTest::newRow("deleted separator drops the former decimal") << -2 << 1 << "125"
                                                                    << "12";
        QTest::newRow("integers stop at the separator") << -4 << 0 << "1a2.9"
                                                        << "12";
        QTest::newRow("integers drop the decimals of 9.99") << -2 << 0 << "9.99"
                                                            << "9";
        QTest::newRow("sign refused") << -2 << 1 << "-12"
                                      << "12";
        QTest::newRow("sign allowed counts apart from the digits") << 2 << 1 << "-123.45"
                                                                   << "-12.4";
        QTest::newRow("sign only at the start") << 2 << 1 << "1-2-"
                                                << "12";
        QTest::newRow("second sign dropped") << 2 << 1 << "--1"
                                             << "-1";
        QTest::newRow("sign alone") << 2 << 1 << "-"
                                    << "-";
        QTest::newRow("blanks dropped") << -4 << 0 << " 1 2 "
                                        << "12";
        QTest::newRow("non-latin digits dropped") << -4 << 0 << "1\u0663"
                                                  << "1";
        QTest::newRow("no whole digits at all") << 0 << 2 << "12.34"
                                                << ".34";
        QTest::newRow("empty") << -2 << 1 << ""
                               << "";
    }
    void numberValidText()
    {
        QFETCH(int, whole);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QFETCH(QString, valid);
        FakePlatformServices platform;
        FieldBuffer buffer;
        NumberRule rule(buffer, whole, decimals);
        QCOMPARE(rule.validText(text), valid);
        // The valid text is its own valid text.
        QCOMPARE(rule.validText(valid), valid);
    }

    void localeSeparatorAndSign_data()
    {
        QTest::addColumn<QString>("sign");
        QTest::addColumn<QString>("point");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("valid");
        QTest::newRow("comma keeps comma") << "-"
                                           << ","
                                           << "2,5"
                                           << "2,5";
        QTest::newRow("comma drops point") << "-"
                                           << ","
                                           << "2.5"
                                           << "25";
        QTest::newRow("locale without characters keeps the defaults") << ""
                                                                      << ""
                                                                      << "-2.5"
                                                                      << "-2.5";
        QTest::newRow("other minus sign") << "\u2212"
                                          << "."
                                          << "\u22122.5"
                                          << "\u22122.5";
        QTest::newRow("hyphen is no sign where the locale has another") << "\u2212"
                                                                        << "."
                                                                        << "-2.5"
                                                                        << "2.5";
    }
    void localeSeparatorAndSign()
    {
        QFETCH(QString, sign);
        QFETCH(QString, point);
        QFETCH(QString, text);
        QFETCH(QString, valid);
        FakePlatformServices platform;
        platform.locale.negativeSign = sign.isEmpty() ? QChar() : sign.at(0);
        platform.locale.decimalPoint = point.isEmpty() ? QChar() : point.at(0);
        FieldBuffer buffer;
        NumberRule rule(buffer, 2, 1);
        QCOMPARE(rule.validText(text), valid);
    }

    // A sign or separator outside ASCII is still the field's sign or separator: where the
    // field takes none, typing it is dropped like any other refused key, selection and all.
    void refusedLocaleSignAndSeparatorChangeNothing_data()
    {
        QTest::addColumn<QString>("sign");
        QTest::addColumn<QString>("point");
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("typed");
        QTest::newRow("minus sign over a selection, no sign allowed")
            << "\u2212"
            << "." << -2 << 1 << 0 << 4 << "\u2212";
        QTest::newRow("minus sign at the caret, no sign allowed")
            << "\u2212"
            << "." << -2 << 1 << 1 << 1 << "\u2212";
        QTest::newRow("arabic separator in front of an integer")
            << "-"
            << "\u066b" << -4 << 0 << 0 << 0 << "\u066b";
        QTest::newRow("arabic separator over a selection of an integer")
            << "-"
            << "\u066b" << -4 << 0 << 1 << 3 << "\u066b";
    }
    void refusedLocaleSignAndSeparatorChangeNothing()
    {
        QFETCH(QString, sign);
        QFETCH(QString, point);
        QFETCH(int, whole);
        QFETCH(int, decimals);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, typed);
        FakePlatformServices platform;
        platform.locale.negativeSign = sign.at(0);
        platform.locale.decimalPoint = point.at(0);
        const QString text = decimals > 0 ? QStringLiteral("12") + point + QStringLiteral("5")
                                          : QStringLiteral("1234");
        FieldBuffer buffer(at(text, start, end));
        NumberRule rule(buffer, whole, decimals);
        apply(rule, Step::Type, typed);
        QCOMPARE(buffer.fieldState(), at(text, start, end));
        QCOMPARE(platform.beeps, 0);
    }

    void numberEditing_data()
    {
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<Step>("step");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("shownStart");
        QTest::addColumn<int>("shownEnd");
        const Step type = Step::Type;
        // 2 whole digits, 1 decimal place, no sign: the Internal Trigger Settings field.
        QTest::newRow("digit at the end of a full whole part is dropped")
            << -2 << 1 << "12" << 2 << 2 << type << "3"
            << "12" << 2 << 2;
        QTest::newRow("digit at 0 overwrites the first digit")
            << -2 << 1 << "12" << 0 << 0 << type << "3"
            << "32" << 1 << 1;
        QTest::newRow("digit after the last decimal is dropped")
            << -2 << 1 << "12.5" << 4 << 4 << type << "6"
            << "12.5" << 4 << 4;
        QTest::newRow("digit before a full decimal part overwrites")
            << -2 << 1 << "12.5" << 3 << 3 << type << "6"
            << "12.6" << 4 << 4;
        QTest::newRow("all selected, a digit replaces everything")
            << -2 << 1 << "12.5" << 0 << 4 << type << "7"
            << "7" << 1 << 1;
        QTest::newRow("selection short of the end overwrites one character")
            << -2 << 1 << "12.5" << 0 << 2 << type << "7"
            << "72.5" << 1 << 1;
        QTest::newRow("digit into a short whole part is inserted")
            << -2 << 1 << "1.5" << 0 << 0 << type << "9"
            << "91.5" << 1 << 1;
        QTest::newRow("decimal digit into an empty decimal part")
            << -2 << 1 << "12." << 3 << 3 << type << "4"
            << "12.4" << 4 << 4;
        QTest::newRow("separator splits the whole part") << -2 << 1 << "12" << 1 << 1 << type << "."
                                                         << "1.2" << 2 << 2;
        QTest::newRow("separator in front of two digits keeps one decimal")
            << -2 << 1 << "12" << 0 << 0 << type << "."
            << ".1" << 1 << 1;
        QTest::newRow("second separator only moves the caret behind the first")
            << -2 << 1 << "12.5" << 1 << 1 << type << "."
            << "12.5" << 3 << 3;
        QTest::newRow("separator over a selected separator is reformatted")
            << -2 << 1 << "12.5" << 1 << 3 << type << "."
            << "1.5" << 2 << 2;
        QTest::newRow("letters, blanks and other separators are dropped")
            << -2 << 1 << "12" << 1 << 1 << type << "a ,+"
            << "12" << 1 << 1;
        QTest::newRow("sign dropped where not allowed") << -2 << 1 << "12" << 0 << 0 << type << "-"
                                                        << "12" << 0 << 0;
        QTest::newRow("Backspace after the separator leaves 12")
            << -2 << 1 << "12.5" << 3 << 3 << type << "\b"
            << "12" << 2 << 2;
        QTest::newRow("Delete before the separator leaves 12")
            << -2 << 1 << "12.5" << 2 << 2 << Step::Delete << ""
            << "12" << 2 << 2;
        QTest::newRow("Delete of a selection reaching the end leaves the caret at its start")
            << -2 << 1 << "12.5" << 1 << 4 << Step::Delete << ""
            << "1" << 1 << 1;
        QTest::newRow("leaving .5 shows 0.5") << -2 << 1 << ".5" << 2 << 2 << Step::Leave << ""
                                              << "0.5" << 2 << 2;
        QTest::newRow("leaving keeps .5 where no whole digit is allowed")
            << 0 << 1 << ".5" << 2 << 2 << Step::Leave << ""
            << ".5" << 2 << 2;
        QTest::newRow("leaving drops the selection")
            << -2 << 1 << "1.5" << 0 << 3 << Step::Leave << ""
            << "1.5" << 3 << 3;
        QTest::newRow("integers ignore the separator") << -2 << 0 << "12" << 1 << 1 << type << "."
                                                       << "12" << 1 << 1;
        QTest::newRow("four digits typed into an empty integer field")
            << -4 << 0 << "" << 0 << 0 << type << "98765"
            << "9876" << 4 << 4;
        // With the sign allowed.
        QTest::newRow("sign typed at 0 is inserted") << 2 << 1 << "12" << 0 << 0 << type << "-"
                                                     << "-12" << 1 << 1;
        QTest::newRow("sign typed inside the number adds it")
            << 2 << 1 << "12.5" << 2 << 3 << type << "-"
            << "-12.5" << 3 << 4;
        QTest::newRow("sign typed inside a signed number removes it")
            << 2 << 1 << "-12.5" << 3 << 3 << type << "-"
            << "12.5" << 2 << 2;
        QTest::newRow("sign over the whole selection replaces it")
            << 2 << 1 << "-12.5" << 0 << 5 << type << "-"
            << "-" << 1 << 1;
        QTest::newRow("signed whole part takes two digits")
            << 2 << 1 << "-1" << 2 << 2 << type << "23"
            << "-12" << 3 << 3;
        QTest::newRow("digit over the sign of a full part keeps two digits")
            << 2 << 1 << "-12" << 0 << 0 << type << "5"
            << "51" << 1 << 1;
    }
    void numberEditing()
    {
        QFETCH(int, whole);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(Step, step);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        QFETCH(int, shownStart);
        QFETCH(int, shownEnd);
        FakePlatformServices platform;
        FieldBuffer buffer(at(text, start, end));
        NumberRule rule(buffer, whole, decimals);
        apply(rule, step, input);
        const FieldState after = buffer.fieldState();
        QCOMPARE(after.text, shown);
        QCOMPARE(after.selectionStart, shownStart);
        QCOMPARE(after.selectionEnd, shownEnd);
        QCOMPARE(platform.beeps, 0);
    }

    void charFilter_data()
    {
        QTest::addColumn<int>("maxChars");
        QTest::addColumn<QString>("invalid");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("shownCaret");
        QTest::addColumn<int>("beeps");
        QTest::newRow("forbidden letter beeps and is dropped") << 0 << "abc"
                                                               << "12" << 1 << 1 << "b"
                                                               << "12" << 1 << 1;
        QTest::newRow("allowed characters go in, forbidden ones beep each")
            << 0 << "()"
            << "" << 0 << 0 << "(5)5"
            << "55" << 2 << 2;
        QTest::newRow("forbidden character leaves the selection alone") << 0 << "~"
                                                                        << "abc" << 0 << 3 << "~"
                                                                        << "abc" << 3 << 1;
        QTest::newRow("Backspace is never forbidden") << 0 << "~"
                                                      << "ab" << 2 << 2 << "\b"
                                                      << "a" << 1 << 0;
        QTest::newRow("full field overwrites at the caret") << 3 << ""
                                                            << "abc" << 1 << 1 << "x"
                                                            << "axc" << 2 << 0;
        QTest::newRow("full field overwrites one character of a selection")
            << 3 << ""
            << "abc" << 0 << 2 << "x"
            << "xbc" << 1 << 0;
        QTest::newRow("full field drops a character at its end silently") << 3 << ""
                                                                          << "abc" << 3 << 3 << "x"
                                                                          << "abc" << 3 << 0;
        QTest::newRow("full field overwrites with a non-ASCII letter too")
            << 3 << ""
            << "abc" << 0 << 0 << "\u00e9"
            << "\u00e9bc" << 1 << 0;
        QTest::newRow("short field grows") << 3 << ""
                                           << "ab" << 1 << 1 << "x"
                                           << "axb" << 2 << 0;
    }
    void charFilter()
    {
        QFETCH(int, maxChars);
        QFETCH(QString, invalid);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        QFETCH(int, shownCaret);
        QFETCH(int, beeps);
        FakePlatformServices platform;
        FieldBuffer buffer(at(text, start, end));
        CharFilterRule rule(buffer, maxChars, invalid);
        apply(rule, Step::Type, input);
        QCOMPARE(buffer.fieldState().text, shown);
        QCOMPARE(buffer.fieldState().cursor, shownCaret);
        QCOMPARE(platform.beeps, beeps);
    }

    void charactersAboveTheHighestAreRefused_data()
    {
        QTest::addColumn<int>("highest");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("setText");
        QTest::addColumn<QString>("validText");
        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("one byte: Latin-1 passes") << 0xFF << "Caf\u00e9 \u00d8\u00ff"
                                                  << "Caf\u00e9 \u00d8\u00ff" << 0 << "\u00e9"
                                                  << "\u00e9";
        QTest::newRow("one byte: euro sign and CJK beep") << 0xFF << "a\u20acb\u65e5"
                                                          << "ab" << 2 << "x\u20acy"
                                                          << "xy";
        QTest::newRow("one byte: a character of two halves beeps once")
            << 0xFF << "a" + emoji << "a" << 1 << "a" + emoji << "a";
        QTest::newRow("seven bits: accented letters beep") << 0x7F << "caf\u00e9"
                                                           << "caf" << 1 << "\u00fcber"
                                                           << "ber";
        QTest::newRow("the zero character is never stored") << 0xFF << ""
                                                            << "" << 0 << QString(QChar(0)) + "a"
                                                            << "a";
        QTest::newRow("no limit by default")
            << 0xFFFF << "\u20ac" + emoji << "\u20ac" + emoji << 0 << "\u65e5"
            << "\u65e5";
    }
    void charactersAboveTheHighestAreRefused()
    {
        QFETCH(int, highest);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, beeps);
        QFETCH(QString, setText);
        QFETCH(QString, validText);
        FakePlatformServices platform;
        FieldBuffer buffer(at(QString(), 0, 0));
        CharFilterRule rule(buffer, 0, QStringLiteral("~"));
        rule.SetHighestCharacter(char16_t(highest));
        apply(rule, Step::Type, typed);
        QCOMPARE(buffer.fieldState().text, shown);
        QCOMPARE(platform.beeps, beeps);
        QCOMPARE(rule.validText(setText), validText);
    }

    void charFilterValidText_data()
    {
        QTest::addColumn<int>("maxChars");
        QTest::addColumn<QString>("invalid");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("valid");
        QTest::newRow("forbidden characters removed") << 0 << "()"
                                                      << "(555) 123-4567"
                                                      << "555 123-4567";
        QTest::newRow("length cut before the removal") << 5 << "b"
                                                       << "abcdefg"
                                                       << "acde";
        QTest::newRow("nothing forbidden") << 0 << ""
                                           << "a~b"
                                           << "a~b";
    }
    void charFilterValidText()
    {
        QFETCH(int, maxChars);
        QFETCH(QString, invalid);
        QFETCH(QString, text);
        QFETCH(QString, valid);
        FakePlatformServices platform;
        FieldBuffer buffer;
        CharFilterRule rule(buffer, maxChars, invalid);
        QCOMPARE(rule.validText(text), valid);
        QCOMPARE(platform.beeps, 0);
    }

    void numberConfigurationRedrawsOnlyOnChange()
    {
        FakePlatformServices platform;
        // Text that no configuration accepts, put in place behind the rule's back.
        FieldBuffer buffer(at(QStringLiteral("x-12.345"), 0, 0));
        NumberRule rule(buffer, 9, 4);
        rule.SetMaxWholeDigits(9); // same limit, sign still allowed: nothing happens
        QCOMPARE(buffer.fieldState().text, QStringLiteral("x-12.345"));
        rule.SetMaxDecimalPlaces(4);
        rule.AllowNegative(true);
        QCOMPARE(buffer.fieldState().text, QStringLiteral("x-12.345"));
        rule.SetMaxWholeDigits(-9); // same limit, but the sign goes
        QCOMPARE(buffer.fieldState().text, QStringLiteral("12.345"));
        QVERIFY(!rule.allowNegative());
        rule.SetMaxDecimalPlaces(1);
        QCOMPARE(buffer.fieldState().text, QStringLiteral("12.3"));
        rule.SetMaxWholeDigits(1);
        QCOMPARE(buffer.fieldState().text, QStringLiteral("1.3"));
    }

    void nonNegativeWholeDigitsAllowTheSignAgain()
    {
        FakePlatformServices platform;
        FieldBuffer buffer;
        NumberRule rule(buffer, 9, 4);
        rule.AllowNegative(false);
        rule.SetMaxWholeDigits(2); // the pages' order puts AllowNegative(false) after this
        QVERIFY(rule.allowNegative());
        rule.OnChar(QLatin1Char('-'));
        QCOMPARE(buffer.fieldState().text, QStringLiteral("-"));
    }

    void invalidCharactersRedrawOnlyOnChange()
    {
        FakePlatformServices platform;
        FieldBuffer buffer(at(QStringLiteral("a~b"), 0, 0));
        CharFilterRule rule(buffer, 0, QStringLiteral("%"));
        rule.SetInvalidCharacters(QStringLiteral("%"));
        QCOMPARE(buffer.fieldState().text, QStringLiteral("a~b"));
        rule.SetInvalidCharacters(QStringLiteral("~^_`{}|"));
        QCOMPARE(buffer.fieldState().text, QStringLiteral("ab"));
        QCOMPARE(platform.beeps, 0);
    }
};

QTEST_GUILESS_MAIN(TestInputRules)
#include "tst_input_rules.moc"
