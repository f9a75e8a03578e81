#include "settings/carriers.h"
#include "settings_test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace testfiles;

namespace {
std::string bytes(const QByteArray &text)
{
    return text.toStdString();
}

QStringList fields(const CarrierEntry &e)
{
    return {QString::fromLatin1(e.name.c_str()), QString::fromLatin1(e.emailRows.c_str()),
            QString::fromLatin1(e.phoneRows.c_str()), QString::fromLatin1(e.order.c_str()),
            QString::fromLatin1(e.phoneTitle.c_str())};
}

QByteArray carrierLines(int count, const char *lineEnd = "\n")
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "Carrier " + QByteArray::number(i) + ";1;2;0;1" + lineEnd;
    return text;
}
} // namespace

class TestCarriers : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        for (const QString &name : folderEntries(dir.path()))
            QVERIFY(QFile::remove(dir.filePath(name)));
    }

    // ---- one line ---------------------------------------------------------------------------

    void lineFields_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("expected"); // name, email, phone, order, title
        QTest::newRow("name alone")
            << QByteArray("Northwind") << QStringList{"Northwind", "", "", "", ""};
        QTest::newRow("X;1: the 1 is not followed by a separator")
            << QByteArray("X;1") << QStringList{"X", "", "", "", ""};
        QTest::newRow("well formed")
            << QByteArray("X;0;2;1;1") << QStringList{"X", "0", "2", "1", "1"};
        QTest::newRow("text after a fifth separator is ignored")
            << QByteArray("X;2;4;0;0;Y") << QStringList{"X", "2", "4", "0", "0"};
        QTest::newRow("A;;1;0;1: an empty field swallows the next separator")
            << QByteArray("A;;1;0;1") << QStringList{"A", ";1", "0", "", ""};
        QTest::newRow("empty name")
            << QByteArray(";1;3;0;1") << QStringList{"", "1", "3", "0", "1"};
        QTest::newRow("ends after the first separator")
            << QByteArray("X;") << QStringList{"X", "", "", "", ""};
        QTest::newRow("title without a closing separator")
            << QByteArray("X;1;1;1;Title") << QStringList{"X", "1", "1", "1", "Title"};
        QTest::newRow("line ends right after the fourth separator")
            << QByteArray("X;1;1;1;") << QStringList{"X", "1", "1", "1", ""};
        QTest::newRow("longer fields kept whole")
            << QByteArray("X; 1;01;00;11") << QStringList{"X", " 1", "01", "00", "11"};
        QTest::newRow("only separators")
            << QByteArray(";;;;;;;;") << QStringList{"", ";", ";", ";", ";"};
        QTest::newRow("Latin-1 name bytes")
            << QByteArray("T\xe9l\xe9phone;1;1;0;0")
            << QStringList{"T\u00e9l\u00e9phone", "1", "1", "0", "0"};
    }
    void lineFields()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, expected);
        const auto entry = ParseCarrierLine(bytes(line));
        QVERIFY(entry.has_value());
        QCOMPARE(fields(*entry), expected);
    }

    void blankLineIsNoCarrier() { QVERIFY(!ParseCarrierLine("").has_value()); }

    void whatTheFieldsOffer_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("emailRows");
        QTest::addColumn<int>("phoneRows");
        QTest::addColumn<bool>("emailFirst");
        QTest::addColumn<bool>("errorTitle");
        QTest::newRow("name alone: two e-mail, four phone, phone first, plain title")
            << QByteArray("X") << 2 << 4 << false << false;
        QTest::newRow("X;1 as X alone") << QByteArray("X;1") << 2 << 4 << false << false;
        QTest::newRow("X;0;2;1;1") << QByteArray("X;0;2;1;1") << 0 << 2 << false << true;
        QTest::newRow("X;2;4;0;0;Y") << QByteArray("X;2;4;0;0;Y") << 2 << 4 << true << false;
        QTest::newRow("one of each") << QByteArray("X;1;1;0;1") << 1 << 1 << true << true;
        QTest::newRow("no phones") << QByteArray("X;1;0;5;1") << 1 << 0 << false << true;
        QTest::newRow("three phones") << QByteArray("X;1;3;0;0") << 1 << 3 << true << false;
        QTest::newRow("5 phone rows means four")
            << QByteArray("X;1;5;0;0") << 1 << 4 << true << false;
        QTest::newRow("leading space is other text")
            << QByteArray("X; 0; 1; 0; 1") << 2 << 4 << false << false;
        QTest::newRow("leading zero is other text")
            << QByteArray("X;00;01;00;01") << 2 << 4 << false << false;
        QTest::newRow("A;;1;0;1") << QByteArray("A;;1;0;1") << 2 << 0 << false << false;
    }
    void whatTheFieldsOffer()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, emailRows);
        QFETCH(int, phoneRows);
        QFETCH(bool, emailFirst);
        QFETCH(bool, errorTitle);
        const auto entry = ParseCarrierLine(bytes(line));
        QVERIFY(entry.has_value());
        QCOMPARE(entry->EmailRowCount(), emailRows);
        QCOMPARE(entry->PhoneRowCount(), phoneRows);
        QCOMPARE(entry->EmailGroupFirst(), emailFirst);
        QCOMPARE(entry->ErrorMessagesTitle(), errorTitle);
    }

    // ---- the whole file ---------------------------------------------------------------------

    void sixtyLinesGiveFiftyCarriers()
    {
        CarrierTable table;
        const auto names = ParseCarrierFile(bytes(carrierLines(60)), table);
        QCOMPARE(int(names.size()), 50);
        QCOMPARE(names.front(), std::string("Carrier 0"));
        QCOMPARE(names.back(), std::string("Carrier 49"));
        QCOMPARE(table.Row(49).name, std::string("Carrier 49"));
    }

    void blankLinesAreSkipped_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("LF") << QByteArray("\nFirst;1;1;0;0\n\n\nSecond;0;2;1;1\n\n");
        QTest::newRow("CR LF") << QByteArray("\r\nFirst;1;1;0;0\r\n\r\nSecond;0;2;1;1\r\n");
        QTest::newRow("no line end after the last line")
            << QByteArray("First;1;1;0;0\n\nSecond;0;2;1;1");
    }
    void blankLinesAreSkipped()
    {
        QFETCH(QByteArray, text);
        CarrierTable table;
        const auto names = ParseCarrierFile(bytes(text), table);
        QCOMPARE(names, (std::vector<std::string>{"First", "Second"}));
        QCOMPARE(fields(table.Row(0)), (QStringList{"First", "1", "1", "0", "0"}));
        QCOMPARE(fields(table.Row(1)), (QStringList{"Second", "0", "2", "1", "1"}));
        QCOMPARE(fields(table.Row(2)), (QStringList{"", "", "", "", ""}));
    }

    void blankLinesDoNotCountTowardsFifty()
    {
        QByteArray text;
        for (int i = 0; i < 55; ++i)
            text += "\nC" + QByteArray::number(i) + "\n";
        CarrierTable table;
        const auto names = ParseCarrierFile(bytes(text), table);
        QCOMPARE(int(names.size()), 50);
        QCOMPARE(names.back(), std::string("C49"));
    }

    void crLfIsNotPartOfTheLastField()
    {
        CarrierTable table;
        ParseCarrierFile("X;1;1;0;1\r\nY;1;1;0;0;\r\nZ\r\n", table);
        QCOMPARE(table.Row(0).phoneTitle, std::string("1"));
        QVERIFY(table.Row(0).ErrorMessagesTitle());
        QCOMPARE(table.Row(1).phoneTitle, std::string("0"));
        QCOMPARE(table.Row(2).name, std::string("Z"));
    }

    void latin1BytesArePreserved()
    {
        const QByteArray text("Caf\xe9 M\xf3vil;1;1;0;0\n\xff\x80\xa0;1\n");
        CarrierTable table;
        const auto names = ParseCarrierFile(bytes(text), table);
        QCOMPARE(names.size(), std::size_t(2));
        QCOMPARE(QByteArray::fromStdString(names[0]), QByteArray("Caf\xe9 M\xf3vil"));
        QCOMPARE(QByteArray::fromStdString(names[1]), QByteArray("\xff\x80\xa0"));
    }

    void rowsAfterTheLastOneReadAreKept()
    {
        CarrierTable table;
        ParseCarrierFile(bytes(carrierLines(5)), table);
        ParseCarrierFile("Only;0;0;0;0\n", table);
        QCOMPARE(table.Row(0).name, std::string("Only"));
        QCOMPARE(table.Row(1).name, std::string("Carrier 1"));
        QCOMPARE(table.Row(4).name, std::string("Carrier 4"));
    }

    void emptyFileGivesAnEmptyList()
    {
        CarrierTable table;
        QVERIFY(ParseCarrierFile("", table).empty());
        QVERIFY(ParseCarrierFile("\n\r\n\n", table).empty());
    }

    // ---- carriers2.dat ----------------------------------------------------------------------

    void lastCarrierParsing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("value");
        QTest::newRow("digit then zero byte") << QByteArray("5\0", 2) << true << 5;
        QTest::newRow("two digits") << QByteArray("12") << true << 12;
        QTest::newRow("line end") << QByteArray("7\r\nignored") << true << 7;
        QTest::newRow("leading white space and plus") << QByteArray(" \t+9") << true << 9;
        QTest::newRow("stops at a non-digit") << QByteArray("3x4") << true << 3;
        QTest::newRow("no digits is 0") << QByteArray("carrier") << true << 0;
        QTest::newRow("negative") << QByteArray("-1") << true << -1;
        QTest::newRow("empty") << QByteArray() << false << 0;
        QTest::newRow("empty first line") << QByteArray("\n5") << false << 0;
        QTest::newRow("empty first line, CR LF") << QByteArray("\r\n5") << false << 0;
        QTest::newRow("zero byte first") << QByteArray("\0"
                                                       "5",
                                                       2)
                                         << false << 0;
    }
    void lastCarrierParsing()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, present);
        QFETCH(int, value);
        const auto parsed =
            ParseLastCarrier(std::string_view(text.constData(), std::size_t(text.size())));
        QCOMPARE(parsed.has_value(), present);
        if (present)
            QCOMPARE(*parsed, long(value));
    }

    void hugeNumbersDoNotOverflow()
    {
        const auto parsed = ParseLastCarrier("99999999999999999999999999");
        QVERIFY(parsed.has_value());
        QVERIFY(*parsed > 49);
        const auto negative = ParseLastCarrier("-99999999999999999999999999");
        QVERIFY(negative.has_value());
        QVERIFY(*negative < 0);
    }

    void lastCarrierBytes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("7: digit and zero byte") << 7 << QByteArray("7\0", 2);
        QTest::newRow("0") << 0 << QByteArray("0\0", 2);
        QTest::newRow("12: two digits") << 12 << QByteArray("12");
        QTest::newRow("49") << 49 << QByteArray("49");
        QTest::newRow("-1: none chosen is 3") << -1 << QByteArray("3\0", 2);
        QTest::newRow("50: out of range is 3") << 50 << QByteArray("3\0", 2);
        QTest::newRow("1000 is 3") << 1000 << QByteArray("3\0", 2);
    }
    void lastCarrierBytes()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, written);
        const auto inMemory = LastCarrierBytes(index);
        QCOMPARE(QByteArray(inMemory.data(), 2), written);

        // On disk: exactly these two bytes, over whatever was there (a position out of range,
        // which even a run without a choice replaces).
        const QString file = dir.filePath("carriers2.dat");
        QVERIFY(writeBytes(file, QByteArray("77\r\nsomething longer\r\n")));
        QVERIFY(WriteLastCarrier(index, toFilePath(file)));
        QCOMPARE(readBytes(file), written);
        QCOMPARE(folderEntries(dir.path()), QStringList{"carriers2.dat"});
    }

    // A run that chose no carrier keeps the one an earlier run remembered; "3" only stands in
    // where nothing usable is remembered.
    void noChoiceKeepsTheRememberedCarrier_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QByteArray>("after");
        const QByteArray none;
        QTest::newRow("no file") << -1 << none << QByteArray("3\0", 2);
        QTest::newRow("one digit kept") << -1 << QByteArray("5\0", 2) << QByteArray("5\0", 2);
        QTest::newRow("two digits kept") << -1 << QByteArray("12") << QByteArray("12");
        QTest::newRow("first carrier kept") << -1 << QByteArray("0\0", 2) << QByteArray("0\0", 2);
        QTest::newRow("49 kept with its line end")
            << -1 << QByteArray("49\r\n") << QByteArray("49\r\n");
        QTest::newRow("index 50 is no choice either")
            << 50 << QByteArray("5\0", 2) << QByteArray("5\0", 2);
        QTest::newRow("50 is out of range") << -1 << QByteArray("50") << QByteArray("3\0", 2);
        QTest::newRow("negative") << -1 << QByteArray("-2") << QByteArray("3\0", 2);
        QTest::newRow("empty file") << -1 << QByteArray("") << QByteArray("3\0", 2);
        QTest::newRow("a choice replaces it") << 7 << QByteArray("12") << QByteArray("7\0", 2);
    }
    void noChoiceKeepsTheRememberedCarrier()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString file = dir.filePath("carriers2.dat");
        if (!before.isNull())
            QVERIFY(writeBytes(file, before));
        QVERIFY(WriteLastCarrier(index, toFilePath(file)));
        QCOMPARE(readBytes(file), after);
        QCOMPARE(folderEntries(dir.path()), QStringList{"carriers2.dat"});
    }

    void lastCarrierIntoAMissingFolderFails()
    {
        QVERIFY(!WriteLastCarrier(3, toFilePath(dir.filePath("missing/carriers2.dat"))));
        QVERIFY(folderEntries(dir.path()).isEmpty());
    }

    void writtenChoiceReadsBack_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("first") << 0;
        QTest::newRow("one digit") << 7;
        QTest::newRow("two digits") << 12;
        QTest::newRow("last") << 49;
    }
    void writtenChoiceReadsBack()
    {
        QFETCH(int, index);
        QVERIFY(writeBytes(dir.filePath("carriers.dat"), carrierLines(50)));
        QVERIFY(WriteLastCarrier(index, toFilePath(dir.filePath("carriers2.dat"))));
        CarrierTable table;
        const CarrierList list = ReadCarrierList(table, toFilePath(dir.filePath("carriers.dat")),
                                                 toFilePath(dir.filePath("carriers2.dat")));
        QCOMPARE(list.preselect, std::optional<int>(index));
    }

    // ---- reading both files -----------------------------------------------------------------

    void preselection_data()
    {
        QTest::addColumn<int>("carriers");
        QTest::addColumn<QByteArray>("lastChoice"); // "<none>" for no file
        QTest::addColumn<int>("preselect");         // -1 for none
        QTest::newRow("5 and a zero byte selects the sixth") << 10 << QByteArray("5\0", 2) << 5;
        QTest::newRow("12 selects the thirteenth") << 20 << QByteArray("12") << 12;
        QTest::newRow("not a number selects the first") << 3 << QByteArray("AT&T") << 0;
        QTest::newRow("beyond the list selects nothing") << 3 << QByteArray("5") << -1;
        QTest::newRow("exactly the list length selects nothing") << 3 << QByteArray("3") << -1;
        QTest::newRow("50 selects nothing") << 50 << QByteArray("50") << -1;
        QTest::newRow("negative selects nothing") << 10 << QByteArray("-1") << -1;
        QTest::newRow("empty file selects nothing") << 10 << QByteArray() << -1;
        QTest::newRow("no file selects nothing") << 10 << QByteArray("<none>") << -1;
        QTest::newRow("empty carrier list") << 0 << QByteArray("0") << -1;
    }
    void preselection()
    {
        QFETCH(int, carriers);
        QFETCH(QByteArray, lastChoice);
        QFETCH(int, preselect);
        QVERIFY(writeBytes(dir.filePath("carriers.dat"), carrierLines(carriers)));
        if (lastChoice != "<none>")
            QVERIFY(writeBytes(dir.filePath("carriers2.dat"), lastChoice));
        CarrierTable table;
        const CarrierList list = ReadCarrierList(table, toFilePath(dir.filePath("carriers.dat")),
                                                 toFilePath(dir.filePath("carriers2.dat")));
        QVERIFY(list.fileFound);
        QCOMPARE(int(list.names.size()), carriers);
        QCOMPARE(list.preselect.value_or(-1), preselect);
    }

    void missingCarriersFileLeavesTheTableAndIgnoresTheLastChoice()
    {
        CarrierTable table;
        ParseCarrierFile("Earlier;0;0;0;1\n", table);
        QVERIFY(writeBytes(dir.filePath("carriers2.dat"), QByteArray("0")));
        const CarrierList list = ReadCarrierList(table, toFilePath(dir.filePath("carriers.dat")),
                                                 toFilePath(dir.filePath("carriers2.dat")));
        QVERIFY(!list.fileFound);
        QVERIFY(list.names.empty());
        QVERIFY(!list.preselect.has_value());
        QCOMPARE(fields(table.Row(0)), (QStringList{"Earlier", "0", "0", "0", "1"}));
    }

    void folderNamedCarriersDatCountsAsMissing()
    {
        QVERIFY(QDir(dir.path()).mkdir("carriers.dat"));
        CarrierTable table;
        const CarrierList list = ReadCarrierList(table, toFilePath(dir.filePath("carriers.dat")),
                                                 toFilePath(dir.filePath("carriers2.dat")));
        QVERIFY(!list.fileFound);
        QVERIFY(QDir(dir.path()).rmdir("carriers.dat"));
    }

    void bareNamesAreReadFromTheCurrentFolder()
    {
        QVERIFY(writeBytes(dir.filePath("carriers.dat"), QByteArray("One\nTwo\n")));
        QVERIFY(writeBytes(dir.filePath("carriers2.dat"), QByteArray("1")));
        CarrierTable table;
        CarrierList list;
        {
            CurrentFolder current(dir.path());
            list = ReadCarrierList(table);
        }
        QVERIFY(list.fileFound);
        QCOMPARE(list.names, (std::vector<std::string>{"One", "Two"}));
        QCOMPARE(list.preselect, std::optional<int>(1));
    }
};

QTEST_APPLESS_MAIN(TestCarriers)
#include "tst_carriers.moc"
