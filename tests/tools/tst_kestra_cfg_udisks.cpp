// kestra-cfg on a desktop whose cards UDisks2 knows: a fake UDisks2 on a private bus, its cards
// real folders of the test, some of them not mounted by anyone.
#include "fake_lsblk_program.h"
#include "fake_udisks2.h"
#include "fault_injection.h"
#include "kestra_cfg_process.h"
#include "settings_test_files.h"
#include "tmpfs_mount.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace testfiles;

namespace {

CameraSettings labelled(const std::string &label)
{
    CameraSettings s;
    s.ResetAll();
    s.SetLabel(label);
    return s;
}

// What a card holds once deploy gave it `label`: base.cfg with that label and no switch-on time.
QByteArray cardBytes(const std::string &label)
{
    return settingsFileBytes(labelled(label));
}

const QStringList stationArguments{"deploy", "base.cfg", "--each-inserted"};
const QByteArray kWaiting = "Waiting for cards: insert one, or press Ctrl-C to end.";

} // namespace

class TestKestraCfgUDisks : public QObject
{
    Q_OBJECT

    QTemporaryDir dir; // the working folder, with the settings and the label map
    FakeUDisks2 udisks;

    Run run(const QStringList &arguments)
    {
        return runKestraCfg(arguments, dir.path(), QProcessEnvironment::systemEnvironment());
    }
    QString settingsOn(const QString &card) const
    {
        return udisks.mountPoint(card) + QStringLiteral("/VELOMAR/Kestra.cfg");
    }
    // The desk's cards are taken out: a station starts with an empty reader.
    bool emptyTheReaders()
    {
        for (const char *device : {"mmcblk0", "sda", "sdb", "sde"}) {
            if (!udisks.unplug(QString::fromLatin1(device)))
                return false;
        }
        return true;
    }

private slots:
    void initTestCase() { QVERIFY2(udisks.started(), "the fake UDisks2 did not start"); }

    void init()
    {
        QVERIFY2(udisks.load(QStringLiteral("desk.json")), udisks.lastError);
        QVERIFY(dir.isValid() && emptyFolder(dir.path()));
        QVERIFY(writeBytes(dir.filePath("base.cfg"), cardBytes("TEMPLATE")));
    }

    // The card in the reader that nobody mounted is listed, and deploy mounts it, writes it and
    // unmounts it again; the cards the desktop mounted stay mounted.
    void cardsListsAndDeployMountsTheCardNobodyMounted()
    {
        const Run table = run({"cards"});
        QCOMPARE(table.exitCode, 0);
        static const QRegularExpression spareRow(
            QStringLiteral("^\\(not mounted\\) +SPARE +5E1F-92A0 +FAT32 +no file$"),
            QRegularExpression::MultilineOption);
        QVERIFY2(spareRow.match(QString::fromUtf8(table.out)).hasMatch(), table.out.constData());

        const Run json = run({"cards", "--json"});
        QCOMPARE(json.exitCode, 0);
        const QJsonArray cards = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(cards.size(), 4);
        QCOMPARE(cards[0].toObject()["mountPath"].toString(), udisks.mountPoint("CAM2"));
        QCOMPARE(cards[3].toObject(), (QJsonObject{{"mountPath", QJsonValue()},
                                                   {"device", "/dev/sdb1"},
                                                   {"volumeLabel", "SPARE"},
                                                   {"serial", "5E1F-92A0"},
                                                   {"fileSystem", "FAT32"},
                                                   {"settingsFile", QJsonValue()},
                                                   {"cameraLabel", QJsonValue()}}));

        QVERIFY(writeBytes(dir.filePath("map.csv"), "5E1F-92A0,SPARE 1\n7E21-0C44,SLOT 2\n"));
        const Run r = run({"deploy", "base.cfg", "SPARE", "CAM2", "--labels", "map.csv"});
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(QString::fromUtf8(r.out),
                 udisks.mountPoint("SPARE") + " (5E1F-92A0): written, label \"SPARE 1\"\n" +
                     udisks.mountPoint("CAM2") + " (7E21-0C44): written, label \"SLOT 2\"\n" +
                     "2 of 2 cards written\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readBytes(settingsOn("SPARE")), cardBytes("SPARE 1"));
        QCOMPARE(readBytes(settingsOn("CAM2")), cardBytes("SLOT 2"));
        QCOMPARE(udisks.unmounted(), QStringLiteral("/dev/sdb1"));
    }

    // One reader, cards put in one after another: each is mounted, written, read back and
    // unmounted as it comes; a write-protected one fails on its own and is written once put
    // right; a card put in again is known by its serial. The run ends after its five cards with
    // its account.
    void stationWritesEachCardAsItIsInserted()
    {
        TmpfsMount writeProtected("size=64k,mode=0755");
        if (!writeProtected.mounted() || !writeProtected.remountReadOnly())
            QSKIP(
                qPrintable("the write-protected card is a tmpfs mount: " + writeProtected.error()));
        // The card labelled LOCKED mounts on the tmpfs.
        QVERIFY2(emptyTheReaders(), udisks.lastError);
        QVERIFY(QFile::link(writeProtected.path(), udisks.mountPoint("LOCKED")));
        QVERIFY(writeBytes(dir.filePath("map.csv"),
                           "card,label\n1A1A-0001,CAM01\n2B2B-0002,CAM02\n3C3C-0003,CAM03\n"
                           "4D4D-0004,CAM04\n"));

        RunningKestraCfg station(stationArguments +
                                     QStringList{"--labels", "map.csv", "--count", "5"},
                                 dir.path(), QProcessEnvironment::systemEnvironment());
        QCOMPARE(station.nextLine(), kWaiting);
        const QString locked = udisks.mountPoint("LOCKED");
        const struct
        {
            const char *serial;
            const char *label;
            QByteArray line;
        } insertions[] = {
            {"1A1A-0001", "FIRST", "CAM01 written: you can remove it\a"},
            {"2B2B-0002", "LOCKED",
             "CAM02 (2B2B-0002): failed: " + locked.toUtf8() +
                 "/VELOMAR is on a write-protected medium. Switch off the card's write-protect "
                 "(the slider on its side) and run the command again.\a"},
            {"3C3C-0003", "THIRD", "CAM03 written: you can remove it\a"},
            {"1A1A-0001", "FIRST",
             "CAM01 (1A1A-0001) was written already in this run: skipped, you can remove it\a"},
            {"4D4D-0004", "FOURTH", "CAM04 written: you can remove it\a"},
            {"2B2B-0002", "LOCKED", "CAM02 written: you can remove it\a"},
            {"9F9F-0009", "STRAY",
             "/dev/sdb1 (9F9F-0009): failed: no row of map.csv names this card. Add a row for the "
             "card to map.csv.\a"},
        };
        for (const auto &card : insertions) {
            // Its write-protect switch slid off, the locked card is put in again.
            if (&card == &insertions[5])
                QVERIFY(writeProtected.remountWritable());
            QVERIFY2(udisks.insert("sdb", card.serial, card.label), udisks.lastError);
            QCOMPARE(station.nextLine(), card.line);
        }
        QCOMPARE(station.nextLine(),
                 QByteArray("4 of 5 written, 1 failed: /dev/sdb1 (9F9F-0009, no label)"));
        QCOMPARE(station.exitCode(), 1);
        QCOMPARE(station.rest(), QByteArray());
        QCOMPARE(station.errors(), QByteArray());
        QVERIFY(QFile::remove(locked));

        QCOMPARE(readBytes(settingsOn("FIRST")), cardBytes("CAM01"));
        QCOMPARE(readBytes(settingsOn("THIRD")), cardBytes("CAM03"));
        QCOMPARE(readBytes(settingsOn("FOURTH")), cardBytes("CAM04"));
        QCOMPARE(readBytes(writeProtected.filePath("VELOMAR/Kestra.cfg")), cardBytes("CAM02"));
        QVERIFY(!QFileInfo::exists(udisks.mountPoint("STRAY")));
        // Each card it mounted was unmounted; the reader was never powered off.
        QCOMPARE(udisks.unmounted(), QStringList(5, "/dev/sdb1").join(QLatin1Char(' ')));
    }

    // Ctrl-C while a card is being written: the write is finished, not cut short, so that the
    // card holds the whole new file and no temporary file, and the run ends with its account.
    void stationEndsOnCtrlCOnceTheCardIsWritten()
    {
        QVERIFY(MediumFaults::loaded());
        QVERIFY2(emptyTheReaders(), udisks.lastError);
        MediumFaults faults;
        faults.interruptSync(udisks.mountPoint("ONLY") + "/VELOMAR/Kestra.cfg.*");
        RunningKestraCfg station(stationArguments + QStringList{"--quiet"}, dir.path(),
                                 QProcessEnvironment::systemEnvironment());
        faults.clear();
        QCOMPARE(station.nextLine(), kWaiting);
        QVERIFY2(udisks.insert("sdb", "6F6F-0006", "ONLY"), udisks.lastError);

        QCOMPARE(station.nextLine(), QByteArray("TEMPLATE written: you can remove it"));
        QCOMPARE(station.nextLine(), QByteArray("1 of 1 card written"));
        QCOMPARE(station.exitCode(), 0);
        QCOMPARE(readBytes(settingsOn("ONLY")), cardBytes("TEMPLATE"));
        QCOMPARE(folderEntries(udisks.mountPoint("ONLY") + "/VELOMAR"), QStringList{"Kestra.cfg"});
    }

    // A UDisks2 that stops answering while the station waits hands over to lsblk, as its line
    // on stderr says: a card mounted then is still written. Last, as the fake stays hung.
    void stationGoesOnWithLsblkWhenUDisks2StopsAnswering()
    {
        QVERIFY2(emptyTheReaders(), udisks.lastError);
        QTemporaryDir card;
        QVERIFY(card.isValid());
        const QByteArray lsblkOutput =
            "{\"blockdevices\": [{\"name\": \"sdb\", \"rm\": true, \"children\": [{\"name\": "
            "\"sdb1\", \"rm\": true, \"fstype\": \"vfat\", \"fsver\": \"FAT32\", \"label\": "
            "\"SLOT\", \"uuid\": \"8B8B-0008\", \"mountpoints\": [\"" +
            card.path().toUtf8() + "\"]}]}]}";
        QVERIFY(writeBytes(dir.filePath("lsblk.json"), lsblkOutput));
        FakeLsblkProgram lsblk(dir.filePath("lsblk.json"));
        QVERIFY(lsblk.ready());

        // No udev links to the card: lsblk itself is asked again before the write.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VELOMAR_DEV_ROOT"), dir.filePath("no-udev"));
        RunningKestraCfg station(stationArguments + QStringList{"--count", "1", "--quiet"},
                                 dir.path(), environment);
        QCOMPARE(station.nextLine(), kWaiting);
        QVERIFY(udisks.hang());
        QCOMPARE(station.nextLine(), QByteArray("TEMPLATE written: you can remove it"));
        QCOMPARE(station.nextLine(), QByteArray("1 of 1 card written"));
        QCOMPARE(station.exitCode(), 0);
        QVERIFY2(station.errors().contains("UDisks2 stopped answering"),
                 "no word of the hand-over");
        QCOMPARE(readBytes(card.filePath("VELOMAR/Kestra.cfg")), cardBytes("TEMPLATE"));
    }
};

QTEST_GUILESS_MAIN(TestKestraCfgUDisks)
#include "tst_kestra_cfg_udisks.moc"
