// Texts from outside the program (volume labels, mount paths, the label of a crafted file) as
// the card dialogs and kestra-cfg show them.
#include "platform/text.h"

#include <QTest>

class TestText : public QObject
{
    Q_OBJECT

private slots:
    // One visible line: controls and characters that only steer the layout are spelt out,
    // everything that shows as itself stays.
    void printableText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain, with markup") << "<b>BIG</b> & CAM2"
                                            << "<b>BIG</b> & CAM2";
        QTest::newRow("letters and signs of other scripts")
            << QString::fromUtf8("Crête 7 \u20ac \u5c71 \U0001F98C")
            << QString::fromUtf8("Crête 7 \u20ac \u5c71 \U0001F98C");
        QTest::newRow("line break, tab, escape, delete") << "A\nB\tC\x1b[2JD\x7f"
                                                         << R"(A\x0AB\x09C\x1B[2JD\x7F)";
        QTest::newRow("C1 control") << QString::fromUtf8("a\u0085b\u009bc") << R"(a\x85b\x9Bc)";
        QTest::newRow("direction marks") << QString::fromUtf8("CAM\u202egpj.exe\u200f\u2066")
                                         << R"(CAM\u202Egpj.exe\u200F\u2066)";
        QTest::newRow("line and paragraph separators")
            << QString::fromUtf8("A\u2028B\u2029C") << R"(A\u2028B\u2029C)";
        QTest::newRow("invisible format characters")
            << QString::fromUtf8("A\ufeffB\u00adC\u200bD\u2060")
            << R"(A\uFEFFB\u00ADC\u200BD\u2060)";
        QTest::newRow("format characters beyond the first plane")
            << QString::fromUtf8("A\U000E0041\U0001D173") << R"(A\U000E0041\U0001D173)";
    }
    void printableText()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(PrintableText(text.toStdString())), shown);
    }

    // A path on Linux is bytes: what is no UTF-8 passes as it is, and a sequence cut short at
    // the end is not read past.
    void bytesThatAreNoUtf8AreKept()
    {
        QCOMPARE(PrintableText("a\xff\xc0\x80"
                               "b\ne\xe2\x80"),
                 std::string("a\xff\xc0\x80"
                             "b\\x0Ae\xe2\x80"));
    }
};

QTEST_APPLESS_MAIN(TestText)
#include "tst_text.moc"
