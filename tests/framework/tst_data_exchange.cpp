#include "fake_platform.h"
#include "framework/data_exchange.h"
#include "gui_test.h"
#include "scripted_messages.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

class TestDataExchange : public GuiTest
{
    Q_OBJECT

private slots:
    void integersParseLikeTheClassicValidator_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << true << 42;
        QTest::newRow("surrounding blanks") << "  7 " << true << 7;
        QTest::newRow("signs") << "-3" << true << -3;
        QTest::newRow("plus sign") << "+3" << true << 3;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign alone") << "-" << false << 0;
        QTest::newRow("trailing letters") << "12a" << false << 0;
        QTest::newRow("decimal") << "1.5" << false << 0;
        QTest::newRow("inner blank") << "1 2" << false << 0;
        QTest::newRow("largest int") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest int") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("beyond int") << "2147483648" << false << 0;
        QTest::newRow("far beyond int") << "99999999999999999999" << false << 0;
    }
    void integersParseLikeTheClassicValidator()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        int parsed = -12345;
        QCOMPARE(DataExchange::parseInteger(text, parsed), valid);
        if (valid)
            QCOMPARE(parsed, value);
    }

    void numbersParseWithTheFieldsSeparator_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("point") << "2.5"
                               << "." << true << 2.5;
        QTest::newRow("leading separator") << ".5"
                                           << "." << true << 0.5;
        QTest::newRow("trailing separator") << "5."
                                            << "." << true << 5.0;
        QTest::newRow("comma locale") << "2,5"
                                      << "," << true << 2.5;
        QTest::newRow("point in a comma locale") << "2.5"
                                                 << "," << false << 0.0;
        QTest::newRow("exponent") << "1e1"
                                  << "." << true << 10.0;
        QTest::newRow("blanks") << " 3 "
                                << "." << true << 3.0;
        QTest::newRow("empty") << ""
                               << "." << false << 0.0;
        QTest::newRow("separator alone") << "."
                                         << "." << false << 0.0;
        QTest::newRow("not a number") << "nan"
                                      << "." << false << 0.0;
        QTest::newRow("infinity") << "inf"
                                  << "." << false << 0.0;
        QTest::newRow("overflow") << "1e999"
                                  << "." << false << 0.0;
        QTest::newRow("garbage after") << "1.5x"
                                       << "." << false << 0.0;
    }
    void numbersParseWithTheFieldsSeparator()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(bool, valid);
        QFETCH(double, value);
        double parsed = -1;
        QCOMPARE(DataExchange::parseNumber(text, parsed, separator.at(0)), valid);
        if (valid)
            QCOMPARE(parsed, value);
    }

    void numbersShowWithTheFieldsSeparator()
    {
        QCOMPARE(DataExchange::formatNumber(2.5), QStringLiteral("2.5"));
        QCOMPARE(DataExchange::formatNumber(2.5, QLatin1Char(',')), QStringLiteral("2,5"));
    }

    void failuresShowTheStandardMessageAndSelectTheField_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        QTest::newRow("integer") << "int"
                                 << "x"
                                 << "Please enter an integer." << int(MessageIcon::None);
        QTest::newRow("number") << "double"
                                << "x"
                                << "Please enter a number." << int(MessageIcon::None);
        QTest::newRow("integer range")
            << "int"
            << "100"
            << "Please enter an integer between 1 and 99." << int(MessageIcon::Exclamation);
    }
    void failuresShowTheStandardMessageAndSelectTheField()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, icon);
        FakePlatformServices platform;
        ScriptedMessages messages;
        messages.expect(message);
        QWidget window;
        auto *other = new QLineEdit(&window);
        auto *edit = new QLineEdit(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(other);
        layout->addWidget(edit);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        other->setFocus();
        edit->setText(text);

        DataExchange dx(Direction::Save);
        bool result = false;
        if (kind == "int") {
            int v = 0;
            result = dx.text(edit, v);
            // A values struct's check, refused through the exchange as a page does it.
            if (result) {
                if (const rules::Check refusal = rules::CheckInteger(v, {1, 99}, 0))
                    result = dx.refuse(edit, *refusal);
            }
        } else {
            double v = 0;
            result = dx.text(edit, v);
        }
        QVERIFY(!result);
        QVERIFY(!dx.ok());
        QCOMPARE(int(messages.shownMessage().icon), icon);
        QCOMPARE(messages.shownMessage().buttons, MessageButtons::Ok);
        QCOMPARE(messages.shownMessage().caption, QStringLiteral("velomar-settings"));
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), text);

        // Later steps of a failed exchange do nothing.
        int untouched = 7;
        QVERIFY(!dx.text(other, untouched));
        QCOMPARE(untouched, 7);
    }

    void radioGroupsCanShowNoChoice()
    {
        QWidget window;
        auto *a = new QRadioButton(&window);
        auto *b = new QRadioButton(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(a);
        layout->addWidget(b);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QList<QAbstractButton *> group{a, b};
        int index = 1;
        DataExchange(Direction::Load).radio(group, index);
        QVERIFY(!a->isChecked() && b->isChecked());
        index = -1;
        DataExchange(Direction::Load).radio(group, index);
        QVERIFY(!a->isChecked() && !b->isChecked());
        DataExchange(Direction::Save).radio(group, index);
        QCOMPARE(index, -1);
        // Exclusivity is back once the group is set.
        QTest::mouseClick(a, Qt::LeftButton);
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(!a->isChecked());
        DataExchange(Direction::Save).radio(group, index);
        QCOMPARE(index, 1);
    }
};

QTEST_MAIN(TestDataExchange)
#include "tst_data_exchange.moc"
