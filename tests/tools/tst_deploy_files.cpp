// The files of deploy, below the command: the label map read as CSV, the fields written to the
// log, and the SHA-256 of the bytes written.
#include "csv.h"
#include "sha256.h"

#include <QCryptographicHash>
#include <QTest>

class TestDeployFiles : public QObject
{
    Q_OBJECT

private slots:
    // Each row as "LINE: field|field".
    void csvRows_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("error");

        QTest::newRow("commas, blanks around fields")
            << QByteArray("a, b ,c\n") << QStringList{"1: a|b|c"} << QString();
        QTest::newRow("no line end at the end")
            << QByteArray("a,b\nc,d") << QStringList{"1: a|b", "2: c|d"} << QString();
        QTest::newRow("CR LF, blank lines skipped") << QByteArray("a,b\r\n\r\n  \r\nc,d\r\n")
                                                    << QStringList{"1: a|b", "4: c|d"} << QString();
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                       "a,b\n")
                                         << QStringList{"1: a|b"} << QString();
        QTest::newRow("quoted fields keep everything")
            << QByteArray("\" a, \"\"b\"\" \",c\n") << QStringList{"1:  a, \"b\" |c"} << QString();
        QTest::newRow("a line break inside quotes")
            << QByteArray("\"a\nb\",c\nd,e\n") << QStringList{"1: a\nb|c", "3: d|e"} << QString();
        QTest::newRow("an empty quoted field is a row")
            << QByteArray("\"\"\n") << QStringList{"1: "} << QString();
        QTest::newRow("semicolons when the first row has no comma")
            << QByteArray("a;b\n\"c;d\";e,f\n") << QStringList{"1: a|b", "2: c;d|e,f"} << QString();
        QTest::newRow("commas when the first row has both")
            << QByteArray("a;b,c\n") << QStringList{"1: a;b|c"} << QString();
        QTest::newRow("a quote inside an unquoted field is a character")
            << QByteArray("a\"b,c\n") << QStringList{"1: a\"b|c"} << QString();
        QTest::newRow("text after the closing quote")
            << QByteArray("a,b\n\"c\"d,e\n") << QStringList{}
            << "line 2: text after a closing quote";
        QTest::newRow("a quote not closed")
            << QByteArray("a,b\nc,\"d\ne\n") << QStringList{} << "line 2: a quote is not closed";
    }
    void csvRows()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, rows);
        QFETCH(QString, error);
        std::string why;
        const auto parsed = ParseCsv(text.toStdString(), why);
        QCOMPARE(QString::fromStdString(why), error);
        QCOMPARE(parsed.has_value(), error.isEmpty());
        QStringList got;
        for (const CsvRow &row : parsed.value_or(std::vector<CsvRow>())) {
            QStringList fields;
            for (const std::string &field : row.fields)
                fields << QString::fromStdString(field);
            got << QString::number(row.line) + ": " + fields.join('|');
        }
        QCOMPARE(got, rows);
    }

    // A field comes back from the log as it went in.
    void csvFieldsReadBackAsWritten_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "STATION 01"
                               << "STATION 01";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("a comma") << "NORTH, 2"
                                 << "\"NORTH, 2\"";
        QTest::newRow("a quote") << "6\" LENS"
                                 << "\"6\"\" LENS\"";
        QTest::newRow("surrounding blanks") << " A "
                                            << "\" A \"";
        QTest::newRow("a line break") << "A\nB"
                                      << "\"A\nB\"";
    }
    void csvFieldsReadBackAsWritten()
    {
        QFETCH(QString, field);
        QFETCH(QString, written);
        const std::string text = CsvField(field.toStdString());
        QCOMPARE(QString::fromStdString(text), written);
        std::string error;
        const auto rows = ParseCsv(text + ",x\n", error);
        QVERIFY(rows && rows->size() == 1);
        QCOMPARE(QString::fromStdString(rows->front().fields.front()), field);
    }

    // The standard's own examples, and every length around the block and padding boundaries
    // against Qt's implementation.
    void sha256OfKnownMessages_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("digest");
        QTest::newRow("empty") << QByteArray()
                               << QByteArray(
                                      "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca49599"
                                      "1b7852b855");
        QTest::newRow("abc") << QByteArray("abc")
                             << QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff"
                                           "61f20015ad");
        QTest::newRow("448 bits")
            << QByteArray("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")
            << QByteArray("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
        for (const int length : {55, 56, 63, 64, 65, 119, 120, 234, 1000}) {
            QByteArray message;
            for (int i = 0; i < length; ++i)
                message += char(i * 7 + 3);
            QTest::addRow("%d bytes", length)
                << message << QCryptographicHash::hash(message, QCryptographicHash::Sha256).toHex();
        }
    }
    void sha256OfKnownMessages()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, digest);
        const std::span bytes(reinterpret_cast<const std::uint8_t *>(message.constData()),
                              std::size_t(message.size()));
        QCOMPARE(QByteArray::fromStdString(Sha256Hex(bytes)), digest);
    }
};

QTEST_APPLESS_MAIN(TestDeployFiles)
#include "tst_deploy_files.moc"
