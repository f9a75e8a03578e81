// The range and length checks every tab shares, and the wording of their refusals: the text
// the tabs show and kestra-cfg prints.
#include "settings/refusal.h"

#include <QTest>

class TestRefusal : public QObject
{
    Q_OBJECT

private slots:
    // A value against its bounds: accepted (no refusal) or refused with the bounds in the
    // message and the caller's field kept.
    void rangeChecksWordTheirBounds_data()
    {
        QTest::addColumn<QString>("check");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<QString>("refusal"); // empty: accepted

        const QString integer = QStringLiteral("Please enter an integer between 1 and 99.");
        QTest::newRow("integer at the lower bound") << "integer" << 1.0 << 1.0 << 99.0 << "";
        QTest::newRow("integer at the upper bound") << "integer" << 99.0 << 1.0 << 99.0 << "";
        QTest::newRow("integer below") << "integer" << 0.0 << 1.0 << 99.0 << integer;
        QTest::newRow("integer above") << "integer" << 100.0 << 1.0 << 99.0 << integer;

        QTest::newRow("number at the upper bound") << "number" << 60.0 << 1.0 << 60.0 << "";
        QTest::newRow("number just above")
            << "number" << 60.5 << 1.0 << 60.0 << "Please enter a number between 1 and 60.";
        QTest::newRow("number just below")
            << "number" << 0.5 << 1.0 << 60.0 << "Please enter a number between 1 and 60.";

        // 0.3 has no exact binary value: typed 0.3 meets the bound 0.3 only in single
        // precision, and the bound reads 0.3, not 0.300000011920929.
        const QString single = QStringLiteral("Please enter a number between 0.3 and 10.");
        QTest::newRow("single at the lower bound") << "single" << 0.3 << 0.3 << 10.0 << "";
        QTest::newRow("single at the upper bound") << "single" << 10.0 << 0.3 << 10.0 << "";
        QTest::newRow("single below") << "single" << 0.2 << 0.3 << 10.0 << single;
        QTest::newRow("single above") << "single" << 10.5 << 0.3 << 10.0 << single;

        QTest::newRow("length at the limit") << "length" << 5.0 << 0.0 << 5.0 << "";
        QTest::newRow("length over the limit")
            << "length" << 6.0 << 0.0 << 5.0 << "Please enter no more than 5 characters.";
    }
    void rangeChecksWordTheirBounds()
    {
        QFETCH(QString, check);
        QFETCH(double, value);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(QString, refusal);
        constexpr int field = 3;
        rules::Check result;
        if (check == "integer")
            result = rules::CheckInteger(int(value), {int(min), int(max)}, field);
        else if (check == "number")
            result = rules::CheckNumber(value, min, max, field);
        else if (check == "single")
            result = rules::CheckSingle(float(value), float(min), float(max), field);
        else
            result = rules::CheckLength(std::size_t(value), int(max), field);
        QCOMPARE(result ? QString::fromStdString(result->text()) : QString(), refusal);
        if (result)
            QCOMPARE(result->field, field);
    }

    void numbersShowWithFifteenSignificantDigits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("a whole number has no point") << 1.0 << "1";
        QTest::newRow("the last bits of a sum do not show") << 0.1 * 3 << "0.3";
        QTest::newRow("fifteen digits and no more") << 1.0 / 3 << "0.333333333333333";
    }
    void numbersShowWithFifteenSignificantDigits()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(rules::NumberText(value)), text);
    }
};

QTEST_APPLESS_MAIN(TestRefusal)
#include "tst_refusal.moc"
