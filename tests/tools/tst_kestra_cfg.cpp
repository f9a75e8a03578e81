// kestra-cfg as a user runs it: the built program in a process, its exit code, its output
// and the files it leaves.
#include "settings/settings_file.h"
#include "settings_test_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace testfiles;

namespace {
struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QJsonArray scheduleJson(const DaySchedule &schedule)
{
    QJsonArray words;
    for (std::uint16_t w : schedule.words)
        words.append(int(w));
    return words;
}

const QByteArray kReadError = "An unexpected error occured while reading the configuration file.\n";
const QByteArray kSaveError = "Error saving configuration file.\n";
} // namespace

class TestKestraCfg : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    Run run(const QStringList &arguments)
    {
        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        tool.start(QStringLiteral(KESTRA_CFG), arguments);
        Run result;
        if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = tool.exitCode();
        result.out = tool.readAllStandardOutput();
        result.err = tool.readAllStandardError();
        return result;
    }

    QJsonObject showJson(const QString &file)
    {
        const Run r = run({"show", "--json", file});
        if (r.exitCode != 0 || !r.err.isEmpty())
            return {};
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(r.out, &error);
        return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
    }

    QString file(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        for (const QString &name : folderEntries(dir.path())) {
            const QString entry = dir.filePath(name);
            QVERIFY(QFileInfo(entry).isDir() ? QDir(entry).removeRecursively()
                                             : QFile::remove(entry));
        }
    }

    // ---- usage ------------------------------------------------------------------------------

    void wrongUsageExitsWith2_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"dump", "x.cfg"};
        QTest::newRow("command in capitals") << QStringList{"SHOW", "x.cfg"};
        QTest::newRow("show without a file") << QStringList{"show"};
        QTest::newRow("show --json without a file") << QStringList{"show", "--json"};
        QTest::newRow("show with two files") << QStringList{"show", "a.cfg", "b.cfg"};
        QTest::newRow("show --json with two files") << QStringList{"show", "--json", "a", "b"};
        QTest::newRow("convert without OUT") << QStringList{"convert", "in.cfg"};
        QTest::newRow("convert with three files") << QStringList{"convert", "a", "b", "c"};
        QTest::newRow("factory without OUT") << QStringList{"factory"};
        QTest::newRow("factory with two files") << QStringList{"factory", "a.cfg", "b.cfg"};
    }
    void wrongUsageExitsWith2()
    {
        QFETCH(QStringList, arguments);
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith("usage: kestra-cfg"), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY(folderEntries(dir.path()).isEmpty()); // nothing written
    }

    // ---- failures ---------------------------------------------------------------------------

    void unreadableSettingsFail_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("json");
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("empty file, JSON") << QByteArray() << true;
        QTest::newRow("unknown core tag") << QByteArray::fromHex("0400460000") << false;
        QTest::newRow("core body short") << factoryFile().left(60) << true;
    }
    void unreadableSettingsFail()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, json);
        QVERIFY(writeBytes(file("bad.cfg"), content));
        const Run r =
            run(json ? QStringList{"show", "--json", "bad.cfg"} : QStringList{"show", "bad.cfg"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, kReadError);
        QVERIFY(r.out.isEmpty());
    }

    void folderIsUnreadable()
    {
        QVERIFY(QDir(dir.path()).mkdir("folder.cfg"));
        const Run r = run({"show", "folder.cfg"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, kReadError);
    }

    void convertOfAnUnreadableFileLeavesOutAlone()
    {
        QVERIFY(writeBytes(file("bad.cfg"), QByteArray::fromHex("0900")));
        QVERIFY(writeBytes(file("out.cfg"), QByteArray("previous contents")));
        const Run r = run({"convert", "bad.cfg", "out.cfg"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, kReadError);
        QCOMPARE(readBytes(file("out.cfg")), QByteArray("previous contents"));
        QCOMPARE(folderEntries(dir.path()), (QStringList{"bad.cfg", "out.cfg"}));
    }

    void outputThatCannotBeCreated_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("factory into a missing folder")
            << QStringList{"factory", "VELOMAR/Kestra.cfg"};
        QTest::newRow("factory over a folder") << QStringList{"factory", "existing"};
        QTest::newRow("convert into a missing folder")
            << QStringList{"convert", "in.cfg", "VELOMAR/Kestra.cfg"};
    }
    void outputThatCannotBeCreated()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(QDir(dir.path()).mkdir("existing"));
        QVERIFY(writeBytes(file("in.cfg"), factoryFile()));
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, kSaveError);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(folderEntries(dir.path()), (QStringList{"existing", "in.cfg"}));
        QVERIFY(folderEntries(file("existing")).isEmpty());
    }

    // ---- factory and convert ----------------------------------------------------------------

    void factoryWritesTheFactoryBytes()
    {
        QVERIFY(writeBytes(file("Kestra.cfg"), QByteArray(1000, 'x')));
        const Run r = run({"factory", "Kestra.cfg"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(readBytes(file("Kestra.cfg")).toHex(' '), factoryFile().toHex(' '));
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"});
    }

    void convertWritesTheCurrentLayout_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");

        // Tag 1: 78 bytes of core, then the dual and cellular sections as they are.
        {
            QByteArray core(78, char(0xAA)); // "not used" bytes must not leak into the output
            put16(core, 0, 1);
            put16(core, 2, 74);
            core[4] = char(0x03);    // internal + external trigger
            core[6] = char(2);       // pulse count
            core[7] = char(30);      // pulse window
            core[14] = char(50);     // sensitivity
            put16(core, 16, 2);      // pictures per trigger
            put16(core, 18, 25);     // 2.5 s
            put16(core, 20, 60);     // quiet period
            put16(core, 22, 0xF000); // trigger schedule 06:00-18:00 in half-hours
            put16(core, 24, 0xFFFF);
            put16(core, 26, 0x000F);
            put16(core, 28, 0x0001);
            put16(core, 30, 0x800A); // 10 seconds
            put16(core, 32, 0x0000);
            put16(core, 34, 0x0000);
            put16(core, 36, 0x8000); // time lapse 23:30-24:00
            core[38] = char(100);
            core[39] = char(101);
            core[40] = char(0xE1); // image bits: border and bit 7 dropped
            core[42] = char(102);
            core[43] = char(103);
            core[68] = char(0x02); // KeyBolt on
            core[73] = char(0x1B); // code digits
            put16(core, 74, 0x63C7);
            put16(core, 76, 0x44E4);
            QByteArray dual = factoryFile().mid(74, 54);
            put16(dual, 4, 0x0041);
            QByteArray cellular = factoryFile().mid(128);
            put16(cellular, 4, 0x0005);

            QByteArray out = factoryFile();
            put16(out, 4, 0x3203);
            out[6] = char(2);
            out[7] = char(30);
            put16(out, 8, 2);
            put16(out, 10, 2500);
            put16(out, 12, 60);
            // 06:00-18:00 is quarter-hours 24..71: word 1 bits 8-15 to word 4 bits 0-7.
            const std::uint16_t trigger[6] = {0x0000, 0xFF00, 0xFFFF, 0xFFFF, 0x00FF, 0x0000};
            for (int i = 0; i < 6; ++i)
                put16(out, 14 + 2 * i, trigger[i]);
            put16(out, 26, 0x0001);
            put16(out, 28, 0x800A);
            put16(out, 30 + 10, 0xC000); // 23:30-24:00 is the top two quarter-hours
            out[42] = char(100);
            out[43] = char(101);
            put16(out, 44, 0x0070);
            out[46] = char(102);
            out[47] = char(103);
            put16(out, 68, 0x1B02);
            put16(out, 70, 0x63C7);
            put16(out, 72, 0x44E4);
            put16(out, 74 + 4, 0x0041);
            put16(out, 128 + 4, 0x0005);
            QTest::newRow("tag 1") << core + dual + cellular << out;
        }
        // Tag 2: 98 bytes of core with a label; no dual or cellular section at all.
        {
            QByteArray core(98, char(0x55));
            put16(core, 0, 2);
            put16(core, 2, 0);
            core[4] = char(0x01);
            core[6] = char(1);
            core[7] = char(10);
            core[14] = char(100);
            put16(core, 16, 3);
            put16(core, 18, 10);
            put16(core, 20, 0);
            for (int i = 0; i < 3; ++i)
                put16(core, 22 + 2 * i, 0xFFFF);
            put16(core, 28, 0);
            put16(core, 30, 5);
            for (int i = 0; i < 3; ++i)
                put16(core, 32 + 2 * i, 0);
            core[38] = char(64);
            core[39] = char(192);
            core[40] = char(0x1E);
            core[42] = char(128);
            core[43] = char(128);
            core.replace(46, 20,
                         QByteArray("Trail cam \xa7"
                                    "5\0\0\0\0\0\0\0\0",
                                    20));
            core[88] = char(0x08);
            core[93] = char(0x00);
            put16(core, 94, 0);
            put16(core, 96, 0);

            QByteArray out = factoryFile();
            out.replace(48, 20,
                        QByteArray("Trail cam \xa7"
                                   "5\0\0\0\0\0\0\0\0",
                                   20));
            QTest::newRow("tag 2, core alone") << core << out;
        }
        // Tag 3: any size field, bytes after the last section.
        {
            QByteArray in = factoryFile();
            put16(in, 2, 0xFFFF);
            put16(in, 8, 99);
            put16(in, 128 + 6, 0x0001);
            QByteArray out = factoryFile();
            put16(out, 8, 99);
            put16(out, 128 + 6, 0x0001);
            QTest::newRow("tag 3 with trailing bytes") << in + QByteArray("junk") << out;
        }
        QTest::newRow("missing file gives factory") << QByteArray("<none>") << factoryFile();
    }
    void convertWritesTheCurrentLayout()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        if (input != "<none>")
            QVERIFY(writeBytes(file("in.cfg"), input));
        const Run r = run({"convert", "in.cfg", "out.cfg"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(readBytes(file("out.cfg")).toHex(' '), expected.toHex(' '));
        if (input != "<none>")
            QCOMPARE(readBytes(file("in.cfg")), input);

        // Converting in place gives the same bytes.
        if (input != "<none>") {
            QCOMPARE(run({"convert", "in.cfg", "in.cfg"}).exitCode, 0);
            QCOMPARE(readBytes(file("in.cfg")).toHex(' '), expected.toHex(' '));
        }
        const QStringList left =
            input == "<none>" ? QStringList{"out.cfg"} : QStringList{"in.cfg", "out.cfg"};
        QCOMPARE(folderEntries(dir.path()), left);
    }

    // ---- show -------------------------------------------------------------------------------

    void jsonHoldsEveryFieldByItsName()
    {
        CameraSettings s;
        s.ResetAll();
        s.core.triggerFlags = 0x4B07;
        s.core.pulseCount = 4;
        s.core.pulseWindow = 55;
        s.core.picturesPerTrigger = 12;
        s.core.pictureInterval = 4000;
        s.core.quietPeriod = 30;
        s.core.triggerDaySchedule.words = {0, 0xFF00, 0xFFFF, 0xFFFF, 0x00FF, 0};
        s.core.timeLapseFlags = 0x0003;
        s.core.timeLapseInterval = 0x4002;
        s.core.timeLapseDaySchedule.words = {1, 2, 3, 4, 5, 0x8000};
        s.core.brightness = 11;
        s.core.contrast = 22;
        s.core.imageFlags = 0x5A7F;
        s.core.sharpness = 33;
        s.core.saturation = 44;
        s.SetLabel("Caf\xe9 20 chars long!");
        s.core.optionFlags = 0xE42A;
        s.core.loadTime = 0x63C7;
        s.core.loadDate = 0x44E4;
        s.dual.dayAssignment = 0x7F41;
        s.dual.triggerSchedule1.words = {1, 1, 1, 1, 1, 1};
        s.dual.triggerSchedule2.words = {2, 2, 2, 2, 2, 2};
        s.dual.timeLapseSchedule1.words = {3, 3, 3, 3, 3, 3};
        s.dual.timeLapseSchedule2.words = {4, 4, 4, 4, 4, 4};
        s.cellular.cellFlags = 0x0007;
        s.cellular.statusFlags = 0x0001;
        s.cellular.phoneNumbers[0] = PackPhoneNumber("1-555-555-1212", true);
        s.cellular.phoneNumbers[1] = PackPhoneNumber("555 0100", false);
        s.cellular.phoneNumbers[2] = PackPhoneNumber("555", false);
        s.cellular.phoneNumbers[2][0] &= 0xFFF0; // digits kept, kind "none"
        s.cellular.email1 = PackEmailAddress("ops@example.com", false);
        s.cellular.email2 = PackEmailAddress("x@y.z", true);
        s.cellular.email2[30] |= 0x03; // kind 3, as stored
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(file("rich.cfg")), messages));

        const QJsonObject json = showJson("rich.cfg");
        QCOMPARE(json.keys(), (QStringList{"cellular", "core", "dual"}));

        const QJsonObject core = json["core"].toObject();
        QCOMPARE(core.size(), 19);
        QCOMPARE(core["triggerFlags"].toInt(), 0x4B07);
        QCOMPARE(core["pulseCount"].toInt(), 4);
        QCOMPARE(core["pulseWindow"].toInt(), 55);
        QCOMPARE(core["picturesPerTrigger"].toInt(), 12);
        QCOMPARE(core["pictureInterval"].toInt(), 4000);
        QCOMPARE(core["quietPeriod"].toInt(), 30);
        QCOMPARE(core["triggerDaySchedule"].toArray(), scheduleJson(s.core.triggerDaySchedule));
        QCOMPARE(core["timeLapseFlags"].toInt(), 3);
        QCOMPARE(core["timeLapseInterval"].toInt(), 0x4002);
        QCOMPARE(core["timeLapseDaySchedule"].toArray(), (QJsonArray{1, 2, 3, 4, 5, 0x8000}));
        QCOMPARE(core["brightness"].toInt(), 11);
        QCOMPARE(core["contrast"].toInt(), 22);
        QCOMPARE(core["imageFlags"].toInt(), 0x5A7F);
        QCOMPARE(core["sharpness"].toInt(), 33);
        QCOMPARE(core["saturation"].toInt(), 44);
        QCOMPARE(core["label"].toString(), QString::fromUtf8("Caf\u00e9 20 chars long!"));
        QCOMPARE(core["optionFlags"].toInt(), 0xE42A);
        QCOMPARE(core["loadTime"].toInt(), 0x63C7);
        QCOMPARE(core["loadDate"].toInt(), 0x44E4);

        const QJsonObject dual = json["dual"].toObject();
        QCOMPARE(dual.size(), 5);
        QCOMPARE(dual["dayAssignment"].toInt(), 0x7F41);
        QCOMPARE(dual["triggerSchedule1"].toArray(), (QJsonArray{1, 1, 1, 1, 1, 1}));
        QCOMPARE(dual["triggerSchedule2"].toArray(), (QJsonArray{2, 2, 2, 2, 2, 2}));
        QCOMPARE(dual["timeLapseSchedule1"].toArray(), (QJsonArray{3, 3, 3, 3, 3, 3}));
        QCOMPARE(dual["timeLapseSchedule2"].toArray(), (QJsonArray{4, 4, 4, 4, 4, 4}));

        const QJsonObject cellular = json["cellular"].toObject();
        QCOMPARE(cellular.keys(),
                 (QStringList{"cellFlags", "email1", "email2", "phoneNumber1", "phoneNumber2",
                              "phoneNumber3", "phoneNumber4", "statusFlags"}));
        QCOMPARE(cellular["cellFlags"].toInt(), 7);
        QCOMPARE(cellular["statusFlags"].toInt(), 1);
        auto destination = [](const char *text, bool bcc, int kind) {
            return QJsonObject{{"text", QString::fromLatin1(text)}, {"bcc", bcc}, {"kind", kind}};
        };
        QCOMPARE(cellular["phoneNumber1"].toObject(), destination("1-555-555-1212", true, 2));
        QCOMPARE(cellular["phoneNumber2"].toObject(), destination("555 0100", false, 1));
        QCOMPARE(cellular["phoneNumber3"].toObject(), destination("555", false, 0));
        QCOMPARE(cellular["phoneNumber4"].toObject(), destination("", false, 0));
        QCOMPARE(cellular["email1"].toObject(), destination("ops@example.com", false, 1));
        QCOMPARE(cellular["email2"].toObject(), destination("x@y.z", false, 3));
    }

    // The file in which every field holds its own value: each field's name goes with its own
    // value, so that two fields swapped between the file and the JSON show.
    void jsonOfTheDistinctFileNamesEachFieldsOwnValue()
    {
        const QJsonObject json = showJson(everyFieldDistinctFile());
        const auto schedule = [](std::initializer_list<int> words) {
            QJsonArray array;
            for (int word : words)
                array.append(word);
            return array;
        };
        const QJsonObject core = {
            {"triggerFlags", 0x5A05},
            {"pulseCount", 3},
            {"pulseWindow", 27},
            {"picturesPerTrigger", 7},
            {"pictureInterval", 2500},
            {"quietPeriod", 45},
            {"triggerDaySchedule", schedule({0xFFF0, 0x0FFF, 0xF00F, 0xFF00, 0x00FF, 0x3C3C})},
            {"timeLapseFlags", 0x0003},
            {"timeLapseInterval", 0x000F},
            {"timeLapseDaySchedule", schedule({0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020})},
            {"brightness", 100},
            {"contrast", 150},
            {"imageFlags", 0x56E1},
            {"sharpness", 80},
            {"saturation", 170},
            {"label", QStringLiteral("Ridge Cam \u00C5 #42")},
            {"optionFlags", 0x8D22},
            {"loadTime", 0x95AF},
            {"loadDate", 0x3EE4},
        };
        QCOMPARE(json["core"].toObject(), core);
        const QJsonObject dual = {
            {"dayAssignment", 0x054A},
            {"triggerSchedule1", schedule({0x1111, 0x1112, 0x1114, 0x1118, 0x1110, 0x1101})},
            {"triggerSchedule2", schedule({0x2221, 0x2222, 0x2224, 0x2228, 0x2220, 0x2202})},
            {"timeLapseSchedule1", schedule({0x4441, 0x4442, 0x4444, 0x4448, 0x4440, 0x4404})},
            {"timeLapseSchedule2", schedule({0x8881, 0x8882, 0x8884, 0x8888, 0x8880, 0x8808})},
        };
        QCOMPARE(json["dual"].toObject(), dual);
        const auto destination = [](const char *text, bool bcc) {
            return QJsonObject{
                {"text", QString::fromLatin1(text)}, {"bcc", bcc}, {"kind", bcc ? 2 : 1}};
        };
        const QJsonObject cellular = {
            {"cellFlags", 0x0005},
            {"statusFlags", 0x0009},
            {"phoneNumber1", destination("555-0101", false)},
            {"phoneNumber2", destination("555 0102", true)},
            {"phoneNumber3", destination("1-800-555-0199", false)},
            {"phoneNumber4", destination("01632 960123", true)},
            {"email1", destination("north@example.org", false)},
            {"email2", destination("ops.team@example.net", true)},
        };
        QCOMPARE(json["cellular"].toObject(), cellular);
    }

    void jsonKeysComeInTheRecordsOrder()
    {
        QVERIFY(writeBytes(file("Kestra.cfg"), factoryFile()));
        const Run r = run({"show", "--json", "Kestra.cfg"});
        QCOMPARE(r.exitCode, 0);
        const QByteArray text = r.out;
        const QList<QByteArray> order{
            "\"core\"",         "\"triggerFlags\"", "\"pulseCount\"",    "\"label\"",
            "\"loadDate\"",     "\"dual\"",         "\"dayAssignment\"", "\"timeLapseSchedule2\"",
            "\"cellular\"",     "\"cellFlags\"",    "\"statusFlags\"",   "\"phoneNumber1\"",
            "\"phoneNumber4\"", "\"email1\"",       "\"email2\""};
        qsizetype at = -1;
        for (const QByteArray &key : order) {
            const qsizetype next = text.indexOf(key);
            QVERIFY2(next > at, key.constData());
            at = next;
        }
    }

    void missingFileShowsFactoryValues()
    {
        QVERIFY(writeBytes(file("Kestra.cfg"), factoryFile()));
        const QJsonObject factory = showJson("Kestra.cfg");
        QVERIFY(!factory.isEmpty());
        QCOMPARE(showJson("absent.cfg"), factory);
        QCOMPARE(factory["core"].toObject()["triggerFlags"].toInt(), 0x6401);
        QCOMPARE(factory["core"].toObject()["label"].toString(), QString());

        const Run text = run({"show", "absent.cfg"});
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.err.isEmpty());
        QVERIFY(text.out.contains("Normal"));
        QVERIFY(!QFile::exists(file("absent.cfg")));
    }

    void readableShowGroupsLikeTheTabs()
    {
        CameraSettings s;
        s.ResetAll();
        s.ApplyQuickset(QuicksetConservative);
        s.dual.triggerSchedule2.SetAll(false);
        for (std::uint16_t m = 360; m < 1080; m += 15)
            s.dual.triggerSchedule2.SetOn(m, true);
        s.SetTriggerDayUsesSchedule2(1, true);
        s.SetTriggerDayUsesSchedule2(7, true);
        s.SetTimeLapseOn(true);
        s.core.timeLapseInterval = MakeInterval(IntervalUnit::Seconds, 30);
        s.core.timeLapseDaySchedule.SetOn(1425, true);
        s.SetLabel("North \xc4"
                   "cker");
        s.cellular.phoneNumbers[0] = PackPhoneNumber("1-555-555-1212", false);
        s.cellular.email2 = PackEmailAddress("boss@example.com", true);
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(file("Kestra.cfg")), messages));

        const Run r = run({"show", "Kestra.cfg"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        const QString text = QString::fromUtf8(r.out);
        auto lineWith = [&text](const QString &start) {
            for (const QString &line : text.split('\n')) {
                if (line.trimmed().startsWith(start))
                    return line.trimmed();
            }
            return QString();
        };
        // Headings (the unindented lines) in the editor's tab order.
        QStringList headings;
        for (const QString &line : text.split('\n')) {
            if (!line.isEmpty() && !line.startsWith(' '))
                headings << line;
        }
        QCOMPARE(headings, (QStringList{"Triggers", "Time Lapse", "Images", "Cellular", "Other"}));
        QVERIFY(lineWith("Quickset:").contains("Conservative"));
        QVERIFY(lineWith("Dual schedule 2:").endsWith("06:00-18:00"));
        QVERIFY(lineWith("Days on schedule 2:").endsWith("Sun Sat"));
        QVERIFY(text.contains("23:45-24:00"));
        QVERIFY(lineWith("Time lapse:").contains("30 seconds"));
        QVERIFY(lineWith("Label:").contains(QString::fromUtf8("North \u00c4cker")));
        QVERIFY(lineWith("Phone number 1:").endsWith("1-555-555-1212 (To)"));
        QVERIFY(lineWith("Phone number 2:").endsWith("(none)"));
        QVERIFY(lineWith("E-mail address 2:").endsWith("boss@example.com (BCC)"));
    }

    // A label or address from a crafted file must not drive the terminal: control bytes are
    // shown as \xNN, other characters as they are.
    void readableShowEscapesControlBytes()
    {
        CameraSettings s;
        s.ResetAll();
        s.SetLabel("a\x1b]0;pwn\x07\x9b"
                   "2J\xe9");
        s.cellular.email1 = PackEmailAddress("x\x1b[2J@example.com", false);
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(file("Kestra.cfg")), messages));

        const Run r = run({"show", "Kestra.cfg"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!r.out.contains('\x1b'));
        QVERIFY(!r.out.contains('\x07'));
        QVERIFY(!r.out.contains("\xc2\x9b"));
        const QString text = QString::fromUtf8(r.out);
        QVERIFY(text.contains(QString::fromUtf8("\"a\\x1B]0;pwn\\x07\\x9B2J\u00e9\"")));
        QVERIFY(text.contains("x\\x1B[2J@example.com (To)"));

        // The JSON view keeps the text itself; its encoder escapes it.
        const Run json = run({"show", "--json", "Kestra.cfg"});
        QVERIFY(!json.out.contains('\x1b'));
        const auto core = QJsonDocument::fromJson(json.out).object()["core"].toObject();
        QCOMPARE(core["label"].toString(), QString::fromUtf8("a\x1b]0;pwn\x07\u009b2J\u00e9"));
    }
};

QTEST_APPLESS_MAIN(TestKestraCfg)
#include "tst_kestra_cfg.moc"
