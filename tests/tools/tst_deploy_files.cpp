// The files of deploy, below the command: the label map read as CSV and matched to the cards,
// the fields written to the log, and the SHA-256 of the bytes written.
#include "csv.h"
#include "label_map.h"
#include "sha256.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

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
        QTest::newRow("tabs when the first row has neither")
            << QByteArray("a\tb c\nd;e\tf\n") << QStringList{"1: a|b c", "2: d;e|f"} << QString();
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

    // What a label map may look like, as a person or a spreadsheet saves it: the rows read
    // ("LINE: card|label"), or what is said about it.
    void labelMapShapes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("message");

        // A byte order mark, then the text in UTF-16 of either byte order.
        const auto utf16 = [](const QString &text, bool bigEndian) {
            QByteArray bytes;
            for (const QChar c : QChar(0xFEFF) + text) {
                const char high = char(c.unicode() >> 8);
                const char low = char(c.unicode() & 0xFF);
                bytes += bigEndian ? QByteArray{&high, 1} + low : QByteArray{&low, 1} + high;
            }
            return bytes;
        };

        QTest::newRow("a third column of notes, empty columns after it")
            << QByteArray("a,ONE,by the gate,,\nb,TWO,,\n") << QStringList{"1: a|ONE", "2: b|TWO"}
            << QString();
        QTest::newRow("columns headed card and label anywhere, in any case")
            << QByteArray("Notes;LABEL;Card;\nby the gate;ONE;a;\n;TWO;b\n")
            << QStringList{"2: a|ONE", "3: b|TWO"} << QString();
        QTest::newRow("rows of empty fields skipped, also before the heading")
            << QByteArray(",,\ncard,label\n,,,\na,ONE\n") << QStringList{"4: a|ONE"} << QString();
        QTest::newRow("UTF-16 little-endian, tab-separated")
            << utf16(QString::fromUtf8("card\tlabel\r\na\t\u00c4SCHE 1\r\n"), false)
            << QStringList{QString::fromUtf8("2: a|\u00c4SCHE 1")} << QString();
        QTest::newRow("UTF-16 big-endian, a note beyond the basic plane")
            << utf16(QString::fromUtf8("a,ONE,\U0001F985\nb,TWO\n"), true)
            << QStringList{"1: a|ONE", "2: b|TWO"} << QString();

        QTest::newRow("a fourth column filled")
            << QByteArray("a,ONE\nb,TWO,note,x\n") << QStringList()
            << "map.csv: line 2: expected no more than three fields, the card, its camera label "
               "and a note, not 4\n";
        QTest::newRow("a column beyond the heading filled")
            << QByteArray("card,label\na,ONE,x\n") << QStringList()
            << "map.csv: line 2: expected no more than the 2 columns of the heading, not 3\n";
        QTest::newRow("a row that stops before the heading's label")
            << QByteArray("notes,card,label\nx,a\n") << QStringList()
            << "map.csv: line 2: expected the card in column 2 and its camera label in column 3, "
               "not 2 fields\n";
        QTest::newRow("a heading with two card columns")
            << QByteArray("\ncard,label,card\na,ONE,b\n") << QStringList()
            << "map.csv: line 2: more than one column is headed card\n";
        QTest::newRow("a line that is not UTF-8")
            << QByteArray("a,ONE\nb,TW\xC4\n") << QStringList()
            << "map.csv: line 2: not UTF-8 text (save the file as UTF-8, or as UTF-16 with a "
               "byte order mark)\n";
        QTest::newRow("UTF-16 without its byte order mark")
            << utf16("a,ONE\n", false).mid(2) << QStringList()
            << "map.csv: line 1: not UTF-8 text (save the file as UTF-8, or as UTF-16 with a "
               "byte order mark)\n";
        QTest::newRow("UTF-16 with half a surrogate pair")
            << utf16(QStringLiteral("a,ONE\r\nb,") + QChar(0xD83E) + "\r\n", false) << QStringList()
            << "map.csv: line 2: not UTF-16 text\n";
        QTest::newRow("UTF-16 cut in the middle of a character")
            << utf16("a,ONE\nb,TWO", true).chopped(1) << QStringList()
            << "map.csv: line 2: not UTF-16 text\n";
    }
    void labelMapShapes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QFETCH(QString, message);
        std::ostringstream out;
        std::ostringstream err;
        const std::optional<LabelMap> map =
            LabelMap::parse(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                            "map.csv", Io{out, err});
        QCOMPARE(QString::fromStdString(err.str()), message);
        QCOMPARE(map.has_value(), message.isEmpty());
        QStringList got;
        for (const LabelRow &row : map ? map->allRows() : std::vector<LabelRow>())
            got << QString::number(row.line) + ": " + QString::fromStdString(row.card) + "|" +
                       QString::fromStdString(row.label);
        QCOMPARE(got, rows);
        QCOMPARE(out.str(), std::string());
    }

    // The row that gives a card its label, among the cards of one run: COPY1 and COPY2 are
    // copies of one card, with its serial and volume label.
    void labelRowForCard_data()
    {
        QTest::addColumn<QByteArray>("map");
        QTest::addColumn<QString>("card");    // mounted at /media/user/CARD; or a folder's path
        QTest::addColumn<QString>("label");   // of the row found; empty for none
        QTest::addColumn<QString>("problem"); // MAP stands for the map's path; empty: no row

        QTest::newRow("a serial without its dash, in small letters")
            << QByteArray("5c1e7a20,ONE\n") << "TRAIL"
            << "ONE" << QString();
        QTest::newRow("a mount path with a trailing slash")
            << QByteArray("/media/user/SPARE/,TWO\n") << "SPARE"
            << "TWO" << QString();
        QTest::newRow("a volume label in small letters, with blanks")
            << QByteArray("\" spare \",THREE\n") << "SPARE"
            << "THREE" << QString();
        QTest::newRow("the serial before the mount path")
            << QByteArray("/media/user/TRAIL,BY PATH\n5C1E-7A20,BY SERIAL\n") << "TRAIL"
            << "BY SERIAL" << QString();
        QTest::newRow("the mount path before the volume label")
            << QByteArray("trail,BY LABEL\n/media/user/TRAIL,BY PATH\n") << "TRAIL"
            << "BY PATH" << QString();
        QTest::newRow("a serial two cards carry names neither")
            << QByteArray("a,ONE\n0a1b-2c3d,TWO\n") << "COPY2" << QString()
            << "line 2 of MAP names more than one card";
        QTest::newRow("a volume label two cards carry names neither")
            << QByteArray("cam,ONE\n") << "COPY1" << QString()
            << "line 1 of MAP names more than one card";
        QTest::newRow("a shared serial leaves the mount path to decide")
            << QByteArray("0a1b-2c3d,ONE\n/media/user/COPY2,TWO\n") << "COPY2"
            << "TWO" << QString();
        QTest::newRow("a shared volume label leaves the mount path to decide")
            << QByteArray("cam,ONE\n/media/user/COPY1,TWO\n") << "COPY1"
            << "TWO" << QString();
        QTest::newRow("a folder by its path")
            << QByteArray("5C1E-7A20,ONE\n/srv/cards/a/,TWO\n") << "/srv/cards/a"
            << "TWO" << QString();
        QTest::newRow("a folder has no serial")
            << QByteArray("5C1E-7A20,ONE\n") << "/media/user/TRAIL" << QString() << QString();
        QTest::newRow("no row names the card")
            << QByteArray("card,label\n5C1E-7A20,ONE\nTRAIL,TWO\n") << "SPARE" << QString()
            << QString();
    }
    void labelRowForCard()
    {
        QFETCH(QByteArray, map);
        QFETCH(QString, card);
        QFETCH(QString, label);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("map.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(map) == map.size());
        file.close();
        std::ostringstream out;
        std::ostringstream err;
        const std::optional<LabelMap> labels =
            LabelMap::read(file.fileName().toStdString(), Io{out, err});
        QVERIFY2(labels, err.str().c_str());

        const auto mounted = [](const char *name, const char *volumeLabel, const char *serial) {
            CardDescription description;
            description.mountPath = std::string("/media/user/") + name;
            description.volumeLabel = volumeLabel;
            description.serial = serial;
            return description;
        };
        const std::vector<CardDescription> written = {
            mounted("TRAIL", "TRAIL", "5C1E-7A20"), mounted("COPY1", "CAM", "0A1B-2C3D"),
            mounted("COPY2", "CAM", "0A1B-2C3D"), mounted("SPARE", "SPARE", "E7C0-4B19")};
        std::optional<CardDescription> target;
        std::string place = card.toStdString();
        for (const CardDescription &description : written) {
            if (description.mountPath == "/media/user/" + place)
                target = description;
        }
        if (target)
            place = target->mountPath;

        std::string why;
        const LabelRow *row = labels->rowFor(target, PlaceKey(place), written, why);
        QCOMPARE(row ? QString::fromStdString(row->label) : QString(), label);
        QCOMPARE(QString::fromStdString(why), problem.replace("MAP", file.fileName()));
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
