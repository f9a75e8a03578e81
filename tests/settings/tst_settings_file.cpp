#include "fault_injection.h"
#include "settings/settings_file.h"
#include "settings_test_files.h"

#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace testfiles;

namespace {

QByteArray sectionBytes(const auto &section)
{
    const auto bytes = section.encode();
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// A record with something other than the factory value in every field.
CameraSettings everythingChanged()
{
    CameraSettings s;
    s.ResetAll();
    s.core.triggerFlags = 0x32FE;
    s.core.pulseCount = 4;
    s.core.pulseWindow = 99;
    s.core.picturesPerTrigger = 77;
    s.core.pictureInterval = 12345;
    s.core.quietPeriod = 3600;
    s.core.triggerDaySchedule.words = {0x0001, 0x8000, 0x1234, 0xFEDC, 0x0F0F, 0xF0F0};
    s.core.timeLapseFlags = 0xFFFF;
    s.core.timeLapseInterval = 0xC000 | 4999;
    s.core.timeLapseDaySchedule.words = {0xAAAA, 0x5555, 0x0000, 0xFFFF, 0x0100, 0x8001};
    s.core.brightness = 1;
    s.core.contrast = 255;
    s.core.imageFlags = 0xFFE1;
    s.core.sharpness = 0;
    s.core.saturation = 254;
    s.SetLabel("L\xe4nge 20 Zeichen!!!!");
    s.core.optionFlags = 0xE4FF;
    s.SetLoadTime(23, 59, 58);
    s.SetLoadDate(12, 31, 99);
    s.dual.dayAssignment = 0xFFFF;
    s.dual.triggerSchedule1.words = {1, 2, 3, 4, 5, 6};
    s.dual.triggerSchedule2.words = {0, 0, 0, 0, 0, 0x8000};
    s.dual.timeLapseSchedule1.words = {0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666};
    s.dual.timeLapseSchedule2.words = {0xFFFE, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x7FFF};
    s.cellular.cellFlags = 0xFFFF;
    s.cellular.statusFlags = 0x8001;
    s.cellular.reserved = 0xBEEF;
    s.cellular.phoneNumbers[0] = PackPhoneNumber("1-555-555-1212", false);
    s.cellular.phoneNumbers[1] = PackPhoneNumber("0", true);
    s.cellular.phoneNumbers[2] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    s.cellular.phoneNumbers[3] = PackPhoneNumber("999 888 777 666", true);
    s.cellular.email1 = PackEmailAddress("first.last@very-long-domain-name.org", false);
    s.cellular.email2.fill(0xFF);
    return s;
}

// A core section of the tag-1 or tag-2 layout, built byte by byte, with the expected record.
struct OldLayout
{
    QByteArray file;
    CameraSettings expected;
};

OldLayout oldLayout(int tag)
{
    const int body = tag == 1 ? 74 : 94;
    QByteArray core(4 + body, char(0xEE)); // "not used" bytes are never 0 here
    put16(core, 0, std::uint16_t(tag));
    put16(core, 2, 0x1234); // the size field is never looked at
    core[4] = char(0x07);   // trigger bits
    core[6] = char(3);      // pulse count
    core[7] = char(25);     // pulse window
    core[14] = char(75);    // sensitivity
    put16(core, 16, 9);     // pictures per trigger
    put16(core, 18, 10);    // interval in tenths of a second
    put16(core, 20, 600);   // quiet period
    put16(core, 22, 0x0001);
    put16(core, 24, 0x8000);
    put16(core, 26, 0x00FF);
    put16(core, 28, 0x0003); // time-lapse bits
    put16(core, 30, 0x4002); // 2 hours
    put16(core, 32, 0xFF00);
    put16(core, 34, 0x5555);
    put16(core, 36, 0x0180);
    core[38] = char(10); // brightness
    core[39] = char(20); // contrast
    core[40] = char(0xFF);
    core[42] = char(30); // sharpness
    core[43] = char(40); // saturation
    const int options = tag == 1 ? 68 : 88;
    core[options] = char(0x22);
    core[options + 5] = char(0xE4);
    put16(core, options + 6, 0x63C7);
    put16(core, options + 8, 0x44E4);
    if (tag == 2)
        core.replace(46, 20, QByteArray("CAMERA \xc4 NORTH SIDE", 20));

    OldLayout layout;
    layout.file = core + factoryFile().mid(74);
    CameraSettings &e = layout.expected;
    e.ResetAll();
    e.core.triggerFlags = 0x4B07;
    e.core.pulseCount = 3;
    e.core.pulseWindow = 25;
    e.core.picturesPerTrigger = 9;
    e.core.pictureInterval = 1000;
    e.core.quietPeriod = 600;
    e.core.triggerDaySchedule.words = {0x0003, 0x0000, 0x0000, 0xC000, 0xFFFF, 0x0000};
    e.core.timeLapseFlags = 3;
    e.core.timeLapseInterval = 0x4002;
    e.core.timeLapseDaySchedule.words = {0x0000, 0xFFFF, 0x3333, 0x3333, 0xC000, 0x0003};
    e.core.brightness = 10;
    e.core.contrast = 20;
    e.core.imageFlags = 0x007E;
    e.core.sharpness = 30;
    e.core.saturation = 40;
    e.core.optionFlags = 0xE422;
    e.core.loadTime = 0x63C7;
    e.core.loadDate = 0x44E4;
    if (tag == 2)
        e.SetLabel("CAMERA \xc4 NORTH SIDE");
    return layout;
}

// Root passes every permission check; the write-protection cases run as "nobody" instead.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        // Real and effective ids both (access() looks at the real one); the saved id stays
        // root so that the destructor can come back.
        if (::geteuid() == 0) {
            groupSwitched = ::setresgid(65534, 65534, 0) == 0;
            userSwitched = groupSwitched && ::setresuid(65534, 65534, 0) == 0;
        }
    }
    ~AsOrdinaryUser()
    {
        if (userSwitched && ::setresuid(0, 0, 0) != 0)
            qFatal("cannot return to root");
        if (groupSwitched && ::setresgid(0, 0, 0) != 0)
            qFatal("cannot return to the root group");
    }
    bool active() const { return ::geteuid() != 0; }

private:
    bool groupSwitched = false;
    bool userSwitched = false;
};

QString hex16(std::uint16_t value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

QString scheduleText(const DaySchedule &schedule)
{
    QStringList words;
    for (std::uint16_t word : schedule.words)
        words << hex16(word);
    return words.join(QLatin1Char(' '));
}

QString destinationText(const Destination &destination, int kind)
{
    const QString how = kind == DestinationTo    ? QStringLiteral("To")
                        : kind == DestinationBcc ? QStringLiteral("BCC")
                                                 : QStringLiteral("kind %1").arg(kind);
    return how + QLatin1Char(' ') + QString::fromLatin1(destination.text.c_str());
}

// Every field of a record by its name: flag words and schedules in hex, counts in decimal,
// texts as the program reads them.
QMap<QString, QString> fieldTexts(const CameraSettings &s)
{
    const CoreSection &c = s.core;
    const DualScheduleSection &d = s.dual;
    const CellularSection &l = s.cellular;
    QMap<QString, QString> fields = {
        {"triggerFlags", hex16(c.triggerFlags)},
        {"pulseCount", QString::number(c.pulseCount)},
        {"pulseWindow", QString::number(c.pulseWindow)},
        {"picturesPerTrigger", QString::number(c.picturesPerTrigger)},
        {"pictureInterval", QString::number(c.pictureInterval)},
        {"quietPeriod", QString::number(c.quietPeriod)},
        {"triggerDaySchedule", scheduleText(c.triggerDaySchedule)},
        {"timeLapseFlags", hex16(c.timeLapseFlags)},
        {"timeLapseInterval", hex16(c.timeLapseInterval)},
        {"timeLapseDaySchedule", scheduleText(c.timeLapseDaySchedule)},
        {"brightness", QString::number(c.brightness)},
        {"contrast", QString::number(c.contrast)},
        {"imageFlags", hex16(c.imageFlags)},
        {"sharpness", QString::number(c.sharpness)},
        {"saturation", QString::number(c.saturation)},
        {"label", QString::fromLatin1(s.Label().c_str())},
        {"optionFlags", hex16(c.optionFlags)},
        {"loadTime", hex16(c.loadTime)},
        {"loadDate", hex16(c.loadDate)},
        {"dayAssignment", hex16(d.dayAssignment)},
        {"triggerSchedule1", scheduleText(d.triggerSchedule1)},
        {"triggerSchedule2", scheduleText(d.triggerSchedule2)},
        {"timeLapseSchedule1", scheduleText(d.timeLapseSchedule1)},
        {"timeLapseSchedule2", scheduleText(d.timeLapseSchedule2)},
        {"cellFlags", hex16(l.cellFlags)},
        {"statusFlags", hex16(l.statusFlags)},
        {"reserved", hex16(l.reserved)},
        {"email1", destinationText(UnpackEmailAddress(l.email1), EmailAddressKind(l.email1))},
        {"email2", destinationText(UnpackEmailAddress(l.email2), EmailAddressKind(l.email2))},
    };
    for (int i = 0; i < 4; ++i) {
        const PhoneNumberWords &words = l.phoneNumbers[i];
        fields.insert(QStringLiteral("phoneNumber%1").arg(i + 1),
                      destinationText(UnpackPhoneNumber(words), PhoneNumberKind(words)));
    }
    return fields;
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString path;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        // Open to the ordinary user the permission cases switch to.
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    }

    void init()
    {
        QVERIFY(dir.isValid());
        path = dir.filePath("Kestra.cfg");
        // Each test starts with an empty folder.
        for (const QString &name : folderEntries(dir.path())) {
            const QString entry = dir.filePath(name);
            QVERIFY(QFileInfo(entry).isDir() ? QDir(entry).removeRecursively()
                                             : QFile::remove(entry));
        }
    }

    // ---- reading: the failure table ---------------------------------------------------------

    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("dualRead");
        QTest::addColumn<bool>("cellularRead");

        const QByteArray full = factoryFile();
        QByteArray marked = full; // sections that differ from factory so a read shows
        marked[80] = char(0x12);  // dual: first word of trigger schedule 1
        marked[138] = char(0x34); // cellular: first phone number
        const QByteArray core = marked.left(74);
        const QByteArray dual = marked.mid(74, 54);
        const QByteArray cellular = marked.mid(128);

        QTest::newRow("empty file: header short") << QByteArray() << false << false << false;
        QTest::newRow("three bytes: header short") << core.left(3) << false << false << false;
        QTest::newRow("tag 4") << QByteArray::fromHex("04004600") + core.mid(4) + dual + cellular
                               << false << false << false;
        QTest::newRow("tag 0") << QByteArray::fromHex("00004600") + core.mid(4) << false << false
                               << false;
        QTest::newRow("tag 5, the in-memory tag, is not a file tag")
            << QByteArray::fromHex("0500c800") + core.mid(4) + dual + cellular << false << false
            << false;
        QTest::newRow("tag 3 of 60 bytes: body short") << core.left(60) << false << false << false;
        QTest::newRow("tag 3 header alone") << core.left(4) << false << false << false;
        QTest::newRow("tag 1 one byte short")
            << oldLayout(1).file.left(77) << false << false << false;
        QTest::newRow("tag 2 one byte short")
            << oldLayout(2).file.left(97) << false << false << false;

        QTest::newRow("complete file") << core + dual + cellular << true << true << true;
        QTest::newRow("core section alone") << core << true << false << false;
        QTest::newRow("core with any size field")
            << core.left(2) + QByteArray::fromHex("ffff") + core.mid(4) + dual + cellular << true
            << true << true;
        QTest::newRow("dual header short") << core + dual.left(3) << true << false << false;
        QTest::newRow("dual body short") << core + dual.left(53) << true << false << false;
        QTest::newRow("dual tag 2: cellular looked for right after its header")
            << core + QByteArray::fromHex("02003200") + cellular << true << false << true;
        QTest::newRow("dual tag 2 followed by its body: cellular not found")
            << core + QByteArray::fromHex("02003200") + dual.mid(4) + cellular << true << false
            << false;
        QTest::newRow("dual missing, cellular right after the core")
            << core + cellular << true << false << false;
        QTest::newRow("cellular header short")
            << core + dual + cellular.left(2) << true << true << false;
        QTest::newRow("cellular body short")
            << core + dual + cellular.left(105) << true << true << false;
        QTest::newRow("cellular tag 1")
            << core + dual + QByteArray::fromHex("01006600") + cellular.mid(4) << true << true
            << false;
        QTest::newRow("bytes after the cellular section are ignored")
            << core + dual + cellular + QByteArray(100, 'x') << true << true << true;
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, ok);
        QFETCH(bool, dualRead);
        QFETCH(bool, cellularRead);
        QVERIFY(writeBytes(path, file));

        CameraSettings s = everythingChanged(); // reading must start from factory values
        RecordedMessages messages;
        QCOMPARE(ReadSettingsFile(s, toFilePath(path), messages), ok);

        QCOMPARE(messages.ids, ok ? std::vector<int>{} : std::vector<int>{108});
        const CameraSettings f = factorySettings();
        if (ok) {
            QCOMPARE(s.core, f.core);
            QCOMPARE(s.core.tag, 5);
            QCOMPARE(s.core.size, 200);
            QVERIFY(!s.CoreChanged()); // snapshots taken
            QVERIFY(!s.DualScheduleChanged());
            QVERIFY(!s.CellularChanged());
        } else {
            // Everything but the header as far as it was read is factory.
            CoreSection expected = f.core;
            const auto head = file.left(4);
            auto bytes = expected.encode();
            for (int i = 0; i < head.size(); ++i)
                bytes[std::size_t(i)] = std::uint8_t(head[i]);
            QCOMPARE(s.core, CoreSection::decode(bytes));
        }
        QCOMPARE(s.dual.triggerSchedule1.words[0], dualRead ? 0xFF12 : 0xFFFF);
        QCOMPARE(s.cellular.phoneNumbers[0][0], cellularRead ? 0x0034 : 0x0000);
        if (!dualRead)
            QCOMPARE(s.dual, f.dual);
        if (!cellularRead)
            QCOMPARE(s.cellular, f.cellular);
    }

    void missingFileReadsAsFactoryWithoutAMessage()
    {
        CameraSettings s = everythingChanged();
        RecordedMessages messages;
        QVERIFY(ReadSettingsFile(s, toFilePath(dir.filePath("absent.cfg")), messages));
        QVERIFY(messages.ids.empty());
        const CameraSettings f = factorySettings();
        QCOMPARE(s.core, f.core);
        QCOMPARE(s.dual, f.dual);
        QCOMPARE(s.cellular, f.cellular);
        QVERIFY(!s.CoreChanged());
        QVERIFY(!s.DualScheduleChanged());
        QVERIFY(!s.CellularChanged());
    }

    void missingFolderReadsAsAMissingFile()
    {
        CameraSettings s;
        RecordedMessages messages;
        QVERIFY(
            ReadSettingsFile(s, toFilePath(dir.filePath("no/such/folder/Kestra.cfg")), messages));
        QVERIFY(messages.ids.empty());
    }

    void folderInPlaceOfTheFileFailsWith108()
    {
        QVERIFY(QDir(dir.path()).mkdir("Kestra.cfg"));
        CameraSettings s;
        RecordedMessages messages;
        QVERIFY(!ReadSettingsFile(s, toFilePath(path), messages));
        QCOMPARE(messages.ids, std::vector<int>{108});
        QVERIFY(QDir().rmdir(path));
    }

    void unreadableFileFailsWith108()
    {
        QVERIFY(writeBytes(path, factoryFile()));
        QVERIFY(::chmod(path.toLocal8Bit().constData(), 0) == 0);
        CameraSettings s;
        RecordedMessages messages;
        bool read = true;
        {
            AsOrdinaryUser user;
            if (!user.active())
                QSKIP("cannot leave root to test permissions");
            read = ReadSettingsFile(s, toFilePath(path), messages);
        }
        QVERIFY(!read);
        QCOMPARE(messages.ids, std::vector<int>{108});
    }

    void twoReadsOfOneFileGiveTheSameRecord()
    {
        // A core-only file: the dual and cellular sections must not keep what was in memory.
        QVERIFY(writeBytes(path, factoryFile().left(74)));
        CameraSettings a = everythingChanged();
        CameraSettings b = factorySettings();
        RecordedMessages messages;
        QVERIFY(ReadSettingsFile(a, toFilePath(path), messages));
        QVERIFY(ReadSettingsFile(b, toFilePath(path), messages));
        QCOMPARE(a.core, b.core);
        QCOMPARE(a.dual, b.dual);
        QCOMPARE(a.cellular, b.cellular);
    }

    // ---- old layouts ------------------------------------------------------------------------

    void oldLayoutIsConverted_data()
    {
        QTest::addColumn<int>("tag");
        QTest::newRow("tag 1, no label") << 1;
        QTest::newRow("tag 2, with label") << 2;
    }
    void oldLayoutIsConverted()
    {
        QFETCH(int, tag);
        const OldLayout layout = oldLayout(tag);
        QVERIFY(writeBytes(path, layout.file));
        CameraSettings s;
        RecordedMessages messages;
        QVERIFY(ReadSettingsFile(s, toFilePath(path), messages));
        QVERIFY(messages.ids.empty());
        QCOMPARE(s.core.tag, 5);
        QCOMPARE(s.core.size, 200);
        QCOMPARE(sectionBytes(s.core).toHex(' '), sectionBytes(layout.expected.core).toHex(' '));
        QCOMPARE(s.dual, layout.expected.dual);
        QCOMPARE(s.cellular, layout.expected.cellular);
        QVERIFY(!s.CoreChanged());
    }

    void oldScheduleWidening_data()
    {
        QTest::addColumn<int>("word");     // which of the three old words
        QTest::addColumn<int>("old");      // its value
        QTest::addColumn<int>("lowWord");  // new word 2k
        QTest::addColumn<int>("highWord"); // new word 2k+1
        QTest::newRow("bit 0 fills the first two quarter-hours") << 0 << 0x0001 << 0x0003 << 0;
        QTest::newRow("bit 15 fills the last two of the word") << 0 << 0x8000 << 0 << 0xC000;
        QTest::newRow("alternate half-hours") << 1 << 0x5555 << 0x3333 << 0x3333;
        QTest::newRow("low byte fills the low word") << 2 << 0x00FF << 0xFFFF << 0;
        QTest::newRow("bits 7 and 8 meet at the word border") << 2 << 0x0180 << 0xC000 << 0x0003;
        QTest::newRow("all on") << 1 << 0xFFFF << 0xFFFF << 0xFFFF;
    }
    void oldScheduleWidening()
    {
        QFETCH(int, word);
        QFETCH(int, old);
        QFETCH(int, lowWord);
        QFETCH(int, highWord);
        QByteArray file = oldLayout(1).file;
        for (int k = 0; k < 3; ++k) {
            put16(file, 22 + 2 * k, std::uint16_t(k == word ? old : 0));
            put16(file, 32 + 2 * k, std::uint16_t(k == word ? old : 0));
        }
        QVERIFY(writeBytes(path, file));
        CameraSettings s;
        RecordedMessages messages;
        QVERIFY(ReadSettingsFile(s, toFilePath(path), messages));
        DaySchedule expected;
        expected.words[std::size_t(2 * word)] = std::uint16_t(lowWord);
        expected.words[std::size_t(2 * word + 1)] = std::uint16_t(highWord);
        QCOMPARE(s.core.triggerDaySchedule, expected);
        QCOMPARE(s.core.timeLapseDaySchedule, expected);
    }

    void oldFieldConversions_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("imageBits");
        QTest::addColumn<int>("pictureInterval");
        QTest::addColumn<int>("imageFlags");
        QTest::newRow("10 tenths is 1000 ms, bits 0xFF keep 1-6 and force 4")
            << 10 << 0xFF << 1000 << 0x7E;
        QTest::newRow("border and bit 7 dropped, bit 4 forced") << 50 << 0x81 << 5000 << 0x10;
        QTest::newRow("interval kept to 16 bits") << 700 << 0x60 << (70000 & 0xFFFF) << 0x70;
        QTest::newRow("0 stays 0") << 0 << 0x00 << 0 << 0x10;
    }
    void oldFieldConversions()
    {
        QFETCH(int, interval);
        QFETCH(int, imageBits);
        QFETCH(int, pictureInterval);
        QFETCH(int, imageFlags);
        for (int tag : {1, 2}) {
            QByteArray file = oldLayout(tag).file;
            put16(file, 18, std::uint16_t(interval));
            file[40] = char(imageBits);
            QVERIFY(writeBytes(path, file));
            CameraSettings s;
            RecordedMessages messages;
            QVERIFY(ReadSettingsFile(s, toFilePath(path), messages));
            QCOMPARE(int(s.core.pictureInterval), pictureInterval);
            QCOMPARE(int(s.core.imageFlags), imageFlags);
            QVERIFY(!s.PrintBorder());
            QCOMPARE(s.NightShutter(), 0);
            QCOMPARE(s.NightIso(), 0);
            QCOMPARE(s.StartDelay(), 0);
        }
    }

    void oldLayoutWithoutLabelKeepsTheFactoryLabelBytes()
    {
        // Tag 1 has no label: the label bytes in the old file (0xEE filler) must not leak in.
        QVERIFY(writeBytes(path, oldLayout(1).file));
        CameraSettings s = everythingChanged();
        RecordedMessages messages;
        QVERIFY(ReadSettingsFile(s, toFilePath(path), messages));
        QCOMPARE(s.core.label, (std::array<std::uint8_t, 20>{}));
    }

    // ---- writing ----------------------------------------------------------------------------

    void factoryRecordIsWrittenByteForByte()
    {
        const CameraSettings s = factorySettings();
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(path), messages));
        QVERIFY(messages.ids.empty());
        const QByteArray written = readBytes(path);
        QCOMPARE(written.size(), 234);
        QVERIFY(written.startsWith(QByteArray::fromHex("03004600")));
        QCOMPARE(written.toHex(' '), factoryFile().toHex(' '));
        // The record keeps its in-memory header.
        QCOMPARE(s.core.tag, 5);
        QCOMPARE(s.core.size, 200);
    }

    void writtenFieldsLandAtTheirOffsets()
    {
        CameraSettings s = factorySettings();
        s.core.quietPeriod = 0x0102;
        s.SetLabel("Z");
        s.core.loadDate = 0xA1B2;
        s.dual.dayAssignment = 0x0304;
        s.dual.timeLapseSchedule2.words[5] = 0x0506;
        s.cellular.cellFlags = 0x0708;
        s.cellular.email2[31] = 0x09;
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(path), messages));
        QByteArray expected = factoryFile();
        put16(expected, 12, 0x0102);
        expected[48] = 'Z';
        put16(expected, 72, 0xA1B2);
        put16(expected, 74 + 4, 0x0304);
        put16(expected, 74 + 52, 0x0506);
        put16(expected, 128 + 4, 0x0708);
        expected[233] = char(0x09);
        QCOMPARE(readBytes(path).toHex(' '), expected.toHex(' '));
    }

    void writeThenReadGivesTheSameSections_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("factory") << 0;
        QTest::newRow("every field changed") << 1;
        QTest::newRow("every byte 0xFF") << 2;
        QTest::newRow("every byte 0") << 3;
    }
    void writeThenReadGivesTheSameSections()
    {
        QFETCH(int, which);
        CameraSettings s = which == 1 ? everythingChanged() : factorySettings();
        if (which >= 2) {
            const std::uint8_t fill = which == 2 ? 0xFF : 0x00;
            auto core = s.core.encode();
            auto dual = s.dual.encode();
            auto cellular = s.cellular.encode();
            std::fill(core.begin() + 4, core.end(), fill);
            std::fill(dual.begin() + 4, dual.end(), fill);
            std::fill(cellular.begin() + 4, cellular.end(), fill);
            s.core = CoreSection::decode(core);
            s.dual = DualScheduleSection::decode(dual);
            s.cellular = CellularSection::decode(cellular);
        }
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(s, toFilePath(path), messages));
        CameraSettings back;
        QVERIFY(ReadSettingsFile(back, toFilePath(path), messages));
        QVERIFY(messages.ids.empty());
        QCOMPARE(sectionBytes(back.core).toHex(' '), sectionBytes(s.core).toHex(' '));
        QCOMPARE(back.dual, s.dual);
        QCOMPARE(back.cellular, s.cellular);

        // And the second write is the same file again.
        const QByteArray first = readBytes(path);
        QVERIFY(WriteSettingsFile(back, toFilePath(path), messages));
        QCOMPARE(readBytes(path), first);
    }

    // The file in which every field holds its own value, read field by field: a decoder that
    // swapped two fields of one size (the dual trigger schedule 2 with time-lapse schedule 1,
    // phone numbers 1 and 2) passes every file of repeated values, but not this one.
    void everyFieldOfTheDistinctFileIsReadIntoItsOwnPlace_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        const QList<QPair<const char *, const char *>> fields = {
            {"triggerFlags", "5a05"},
            {"pulseCount", "3"},
            {"pulseWindow", "27"},
            {"picturesPerTrigger", "7"},
            {"pictureInterval", "2500"},
            {"quietPeriod", "45"},
            {"triggerDaySchedule", "fff0 0fff f00f ff00 00ff 3c3c"},
            {"timeLapseFlags", "0003"},
            {"timeLapseInterval", "000f"},
            {"timeLapseDaySchedule", "0001 0002 0004 0008 0010 0020"},
            {"brightness", "100"},
            {"contrast", "150"},
            {"imageFlags", "56e1"},
            {"sharpness", "80"},
            {"saturation", "170"},
            {"label", "Ridge Cam \u00c5 #42"},
            {"optionFlags", "8d22"},
            {"loadTime", "95af"},
            {"loadDate", "3ee4"},
            {"dayAssignment", "054a"},
            {"triggerSchedule1", "1111 1112 1114 1118 1110 1101"},
            {"triggerSchedule2", "2221 2222 2224 2228 2220 2202"},
            {"timeLapseSchedule1", "4441 4442 4444 4448 4440 4404"},
            {"timeLapseSchedule2", "8881 8882 8884 8888 8880 8808"},
            {"cellFlags", "0005"},
            {"statusFlags", "0009"},
            {"reserved", "beef"},
            {"phoneNumber1", "To 555-0101"},
            {"phoneNumber2", "BCC 555 0102"},
            {"phoneNumber3", "To 1-800-555-0199"},
            {"phoneNumber4", "BCC 01632 960123"},
            {"email1", "To north@example.org"},
            {"email2", "BCC ops.team@example.net"},
        };
        for (const auto &[field, value] : fields)
            QTest::newRow(field) << QString::fromLatin1(field) << QString::fromUtf8(value);
    }
    void everyFieldOfTheDistinctFileIsReadIntoItsOwnPlace()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        CameraSettings s = everythingChanged();
        RecordedMessages messages;
        QVERIFY(ReadSettingsFile(s, toFilePath(everyFieldDistinctFile()), messages));
        QVERIFY(messages.ids.empty());
        const QMap<QString, QString> fields = fieldTexts(s);
        QVERIFY2(fields.contains(field), qPrintable(field));
        QCOMPARE(fields.value(field), value);
    }

    // Written back, the distinct file comes out byte for byte as it went in.
    void theDistinctFileIsWrittenBackByteForByte()
    {
        const QByteArray original = readBytes(everyFieldDistinctFile());
        QCOMPARE(original.size(), 234);
        CameraSettings s;
        RecordedMessages messages;
        QVERIFY(ReadSettingsFile(s, toFilePath(everyFieldDistinctFile()), messages));
        QVERIFY(WriteSettingsFile(s, toFilePath(path), messages));
        QVERIFY(messages.ids.empty());
        QCOMPARE(readBytes(path).toHex(' '), original.toHex(' '));
    }

    void writeReplacesALongerFileWhole()
    {
        QVERIFY(writeBytes(path, QByteArray(4096, 'x')));
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(factorySettings(), toFilePath(path), messages));
        QCOMPARE(readBytes(path), factoryFile());
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"});
    }

    // The new bytes reach the medium under their temporary name, then take the old name, and
    // the new name reaches the medium before the save counts as done.
    void aSaveSyncsTheNewFileThenRenamesThenSyncsTheFolder()
    {
        QVERIFY(MediumFaults::loaded());
        QVERIFY(writeBytes(path, QByteArray("old")));
        MediumFaults faults;
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(factorySettings(), toFilePath(path), messages));
        const QList<QByteArray> calls = faults.calls();
        QCOMPARE(calls.size(), 3);
        const QByteArray temporary = calls[0].mid(6);
        QVERIFY2(calls[0].startsWith("fsync ") &&
                     temporary.startsWith(path.toLocal8Bit() + ".velomar-"),
                 calls[0]);
        QCOMPARE(calls[1], "rename " + temporary + " " + path.toLocal8Bit());
        QCOMPARE(calls[2], "fsync " + dir.path().toLocal8Bit());
    }

    // A medium that cannot make either of them lasting fails the save with an I/O error and
    // leaves no temporary file; until the rename, the old file stays as it was.
    void aSyncThatFailsFailsTheSave_data()
    {
        QTest::addColumn<QString>("failing"); // a pattern of the paths whose fsync fails
        QTest::addColumn<bool>("oldKept");
        QTest::newRow("the new file's") << "*/Kestra.cfg.velomar-*" << true;
        QTest::newRow("the folder's") << QString() << false;
    }
    void aSyncThatFailsFailsTheSave()
    {
        QFETCH(QString, failing);
        QFETCH(bool, oldKept);
        QVERIFY(MediumFaults::loaded());
        CameraSettings oldSettings = factorySettings();
        oldSettings.SetLabel("OLD");
        const QByteArray old = settingsFileBytes(oldSettings);
        QVERIFY(writeBytes(path, old));
        MediumFaults faults;
        faults.failSync(failing.isEmpty() ? dir.path() : failing);
        RecordedMessages messages;
        std::optional<FileErrorCause> thrown;
        try {
            WriteSettingsFile(factorySettings(), toFilePath(path), messages);
        } catch (const MediumError &error) {
            thrown = error.cause();
        }
        faults.clear();
        QCOMPARE(thrown, std::optional(FileErrorCause::IoError));
        QCOMPARE(readBytes(path), oldKept ? old : factoryFile());
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"});
    }

    void writeKeepsTheOldFilesPermissions()
    {
        QVERIFY(writeBytes(path, QByteArray("old")));
        QVERIFY(::chmod(path.toLocal8Bit().constData(), 0640) == 0);
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(factorySettings(), toFilePath(path), messages));
        struct stat info;
        QVERIFY(::stat(path.toLocal8Bit().constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
    }

    void newFileGetsTheUsualPermissions()
    {
        const mode_t old = ::umask(022);
        RecordedMessages messages;
        const bool written = WriteSettingsFile(factorySettings(), toFilePath(path), messages);
        ::umask(old);
        QVERIFY(written);
        struct stat info;
        QVERIFY(::stat(path.toLocal8Bit().constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0644));
    }

    void writeIntoAMissingFolderFailsWith109()
    {
        const QString missing = dir.filePath("VELOMAR/Kestra.cfg");
        RecordedMessages messages;
        QVERIFY(!WriteSettingsFile(factorySettings(), toFilePath(missing), messages));
        QCOMPARE(messages.ids, std::vector<int>{109});
        QVERIFY(!QFile::exists(missing));
        QVERIFY(folderEntries(dir.path()).isEmpty());

        FileErrorCause cause = FileErrorCause::None;
        const std::array<std::uint8_t, 1> byte{0};
        QVERIFY(!WriteFileReplacing(toFilePath(missing), byte, cause));
        QCOMPARE(cause, FileErrorCause::NotFound);
    }

    void writeOverAFolderFailsWith109AndLeavesIt()
    {
        QVERIFY(QDir(dir.path()).mkpath("Kestra.cfg/inside"));
        RecordedMessages messages;
        QVERIFY(!WriteSettingsFile(factorySettings(), toFilePath(path), messages));
        QCOMPARE(messages.ids, std::vector<int>{109});
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(QFileInfo(path + "/inside").isDir());
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"});
    }

    void writeOverAWriteProtectedFileFailsWith109()
    {
        // The folder lets anyone rename over the file: only the file's own protection stops it.
        QVERIFY(writeBytes(path, QByteArray("keep me")));
        QVERIFY(::chmod(path.toLocal8Bit().constData(), 0444) == 0);
        RecordedMessages messages;
        FileErrorCause cause = FileErrorCause::None;
        bool written = true;
        {
            AsOrdinaryUser user;
            if (!user.active())
                QSKIP("cannot leave root to test permissions");
            written = WriteSettingsFile(factorySettings(), toFilePath(path), messages);
            const std::array<std::uint8_t, 1> byte{0};
            written = WriteFileReplacing(toFilePath(path), byte, cause) || written;
        }
        QVERIFY(!written);
        QCOMPARE(cause, FileErrorCause::AccessDenied);
        QCOMPARE(messages.ids, std::vector<int>{109});
        QCOMPARE(readBytes(path), QByteArray("keep me"));
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"});
    }

    void writeIntoALockedFolderFailsWith109()
    {
        QVERIFY(QDir(dir.path()).mkdir("locked"));
        const QString locked = dir.filePath("locked");
        QVERIFY(::chmod(locked.toLocal8Bit().constData(), 0555) == 0);
        RecordedMessages messages;
        bool written = true;
        {
            AsOrdinaryUser user;
            if (!user.active())
                QSKIP("cannot leave root to test permissions");
            written =
                WriteSettingsFile(factorySettings(), toFilePath(locked + "/Kestra.cfg"), messages);
        }
        QVERIFY(!written);
        QCOMPARE(messages.ids, std::vector<int>{109});
        QVERIFY(folderEntries(locked).isEmpty());
    }

    void pathWithoutAFileNameFailsWith109_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("empty path") << QString();
        QTest::newRow("folder path with a trailing slash") << QString("%1/");
    }
    void pathWithoutAFileNameFailsWith109()
    {
        QFETCH(QString, target);
        if (target.contains("%1"))
            target = target.arg(dir.path());
        RecordedMessages messages;
        bool written = false;
        {
            CurrentFolder current(dir.path());
            written = WriteSettingsFile(factorySettings(), toFilePath(target), messages);
        }
        QVERIFY(!written);
        QCOMPARE(messages.ids, std::vector<int>{109});
        QVERIFY(folderEntries(dir.path()).isEmpty());
    }

    // ---- leftovers of an interrupted save ---------------------------------------------------

    // A save removes what an earlier save of the same file left behind when the card was
    // pulled, and nothing that is not named like it.
    void leftoverTemporaryFilesAreRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<char>("kind"); // f file, d folder, l link to a file elsewhere
        QTest::addColumn<bool>("removed");
        QTest::newRow("a leftover") << "Kestra.cfg.velomar-4242-Ab12Cd.tmp" << 'f' << true;
        QTest::newRow("one made on Windows") << "Kestra.cfg.velomar-4242-0.tmp" << 'f' << true;
        QTest::newRow("the user's own, named like ours")
            << "Kestra.cfg.velomar-backup.tmp" << 'f' << false;
        QTest::newRow("no process id") << "Kestra.cfg.velomar--Ab12Cd.tmp" << 'f' << false;
        QTest::newRow("a backup") << "Kestra.cfg.bak" << 'f' << false;
        QTest::newRow("six characters after the name") << "Kestra.cfg.Ab12Cd" << 'f' << false;
        QTest::newRow("no unique part") << "Kestra.cfg.velomar-4242-.tmp" << 'f' << false;
        QTest::newRow("a space in it") << "Kestra.cfg.velomar-4242-Ab 12.tmp" << 'f' << false;
        QTest::newRow("a longer extension")
            << "Kestra.cfg.velomar-4242-Ab12Cd.tmp.txt" << 'f' << false;
        QTest::newRow("another file's") << "carriers2.dat.velomar-4242-Ab12Cd.tmp" << 'f' << false;
        QTest::newRow("another case") << "kestra.cfg.velomar-4242-Ab12Cd.tmp" << 'f' << false;
        QTest::newRow("a folder") << "Kestra.cfg.velomar-4242-Ab12Cd.tmp" << 'd' << false;
        QTest::newRow("a link") << "Kestra.cfg.velomar-4242-Ab12Cd.tmp" << 'l' << false;
    }
    void leftoverTemporaryFilesAreRemoved()
    {
        QFETCH(QString, name);
        QFETCH(char, kind);
        QFETCH(bool, removed);
        QTemporaryDir elsewhere;
        const QString linked = elsewhere.filePath("linked");
        QVERIFY(writeBytes(linked, QByteArray("not ours")));
        const QString entry = dir.filePath(name);
        if (kind == 'd')
            QVERIFY(QDir(dir.path()).mkdir(name));
        else if (kind == 'l')
            QVERIFY(QFile::link(linked, entry));
        else
            QVERIFY(writeBytes(entry, QByteArray(234, 'x')));

        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(factorySettings(), toFilePath(path), messages));
        QCOMPARE(readBytes(path), factoryFile());
        QStringList expected{"Kestra.cfg"};
        if (!removed)
            expected << name;
        expected.sort();
        QCOMPARE(folderEntries(dir.path()), expected);
        QCOMPARE(readBytes(linked), QByteArray("not ours"));
    }

    // Two saves of one file at a time: neither takes the other's temporary file for a leftover.
    void temporaryFileOfASaveInProgressIsKept()
    {
        std::filesystem::path inProgress;
        FileErrorCause cause = FileErrorCause::None;
        platform::NativeFile other =
            platform::NativeFile::createBeside(toFilePath(path), inProgress, cause);
        QVERIFY(other.isOpen());
        RecordedMessages messages;
        QVERIFY(WriteSettingsFile(factorySettings(), toFilePath(path), messages));
        QVERIFY(std::filesystem::exists(inProgress));

        // Once that save has ended without putting it in place, it is a leftover.
        other = platform::NativeFile();
        QVERIFY(WriteSettingsFile(factorySettings(), toFilePath(path), messages));
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"});
    }

    // Two saves of one file at the same moment, as the editor and kestra-cfg may make them:
    // each one's clean-up runs while the other writes, and neither may take the other's
    // temporary file for a leftover, from its creation until it is in place.
    void savesAtTheSameTimeBothSucceed()
    {
        // On a file system in memory the saves come fast enough to meet often.
        QTemporaryDir memory(QStringLiteral("/dev/shm/velomar-XXXXXX"));
        const QString folder = memory.isValid() ? memory.path() : dir.path();
        const std::filesystem::path target = toFilePath(folder + QStringLiteral("/Kestra.cfg"));
        const auto bytes = EncodeSettingsFile(factorySettings());
        std::atomic<int> failures = 0;
        const auto save = [&] {
            for (int i = 0; i < 20000; ++i) {
                try {
                    FileErrorCause cause;
                    if (!WriteFileReplacing(target, bytes, cause))
                        ++failures;
                } catch (const MediumError &) {
                    ++failures;
                }
            }
        };
        std::thread other(save);
        save();
        other.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(folderEntries(folder), QStringList{"Kestra.cfg"});
    }

    void relativePathWritesIntoTheCurrentFolder()
    {
        // The local copy may be the bare name "Kestra.cfg"; its temporary file must then
        // live in the current folder too.
        RecordedMessages messages;
        bool written = false;
        {
            CurrentFolder current(dir.path());
            written = WriteSettingsFile(factorySettings(), kSettingsFileName, messages);
        }
        QVERIFY(written);
        QCOMPARE(readBytes(path), factoryFile());
        QCOMPARE(folderEntries(dir.path()), QStringList{"Kestra.cfg"});
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
