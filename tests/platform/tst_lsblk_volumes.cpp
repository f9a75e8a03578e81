#include "fake_volume_source.h"
#include "platform/card_volumes.h"
#include "platform/lsblk_volumes.h"
#include "scoped_environment.h"
#include "volume_description.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using platform::LsblkDevice;

namespace {

std::string recording(const QString &name)
{
    QFile file(QStringLiteral(VELOMAR_LSBLK_RECORDINGS "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

QString describeDevice(const LsblkDevice &device)
{
    return QStringLiteral("%1 %2 %3 %4 [%5] %6")
        .arg(QString::fromStdString(device.name),
             device.removable ? QStringLiteral("removable") : QStringLiteral("fixed"),
             QString::fromStdString(device.fsType), QString::fromStdString(device.fsVersion),
             QString::fromStdString(device.label), QString::fromStdString(device.mountPoint))
        .simplified();
}

// The mount points of an lsblk output, each once, in its order.
std::vector<std::string> mountPoints(const std::string &json)
{
    std::vector<std::string> points;
    for (const LsblkDevice &device :
         platform::parseLsblkJson(json).value_or(std::vector<LsblkDevice>{})) {
        if (!device.mountPoint.empty() &&
            std::find(points.begin(), points.end(), device.mountPoint) == points.end())
            points.push_back(device.mountPoint);
    }
    return points;
}

// Whether process `pid` is alive: it exists and is not a zombie waiting to be reaped.
bool running(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray fields = stat.readAll();
    const qsizetype state = fields.lastIndexOf(") ") + 2;
    return state >= 2 && state < fields.size() && fields[state] != 'Z' && fields[state] != 'X';
}

// Collects what is written to stderr (the file descriptor) while it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        if (!capture.open())
            qFatal("no temporary file for stderr");
        std::fflush(stderr);
        saved = ::dup(STDERR_FILENO);
        ::dup2(capture.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    QByteArray text()
    {
        restore();
        capture.seek(0);
        return capture.readAll();
    }

private:
    void restore()
    {
        if (saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        saved = -1;
    }

    QTemporaryFile capture;
    int saved = -1;
};

} // namespace

class TestLsblkVolumes : public QObject
{
    Q_OBJECT

private slots:
    void recordedOutputsOfEachVersion_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("clusters"); // -1: the FAT volume cannot be measured
        QTest::addColumn<QStringList>("drives");

        // Unmounted devices and swap have no root; sorted by device name, not lsblk's order.
        // A FAT or exFAT id is the volume's serial; longer ids are no serial.
        QTest::newRow("2.38 with the UUID column")
            << "util-linux-2.38-uuid.json" << qint64(-1)
            << QStringList{
                   "/media/user/CAM2 removable FAT32 [CAM2] 5C1E-7A20",
                   "/boot/efi fixed FAT32 [] 9B2E-11F0",
                   "/ fixed ext4 []",
                   "/media/user/TRAIL removable FAT32 [TRAIL] 3F8B-21D4",
                   "/media/user/0A1B-2C3D removable FAT [] 0A1B-2C3D",
                   "/media/user/BIGCARD removable exfat [BIGCARD] 61A2-0F3B",
                   "/media/user/Backup removable ntfs [Backup]",
                   "/media/user/SPARE removable FAT32 [SPARE] E7C0-4B19",
               };
        QTest::newRow("2.38 booleans, mountpoints, fsver")
            << "util-linux-2.38-mixed.json" << qint64(-1)
            << QStringList{
                   "/media/user/CAM2 removable FAT32 [CAM2]",
                   "/boot/efi fixed FAT32 []",
                   "/ fixed ext4 []",
                   "/media/user/TRAIL removable FAT32 [TRAIL]",
                   "/media/user/0A1B-2C3D removable FAT []",
                   "/media/user/BIGCARD removable exfat [BIGCARD]",
                   "/media/user/Backup removable ntfs [Backup]",
               };
        QTest::newRow("2.36 booleans, mountpoint, fsver")
            << "util-linux-2.36-fsver.json" << qint64(-1)
            << QStringList{
                   "/media/user/TRAIL removable FAT32 [ TRAIL ]",
                   "/media/user/0A1B-2C3D removable FAT [   ]",
                   "/ fixed ext4 []",
               };
        QTest::newRow("2.34 booleans, no fsver, unmeasured")
            << "util-linux-2.34-typed.json" << qint64(-1)
            << QStringList{
                   "/snap/core18/1944 fixed squashfs []",
                   "/boot/efi fixed FAT []",
                   "/ fixed ext4 []",
                   "/media/user/TRAIL removable FAT [TRAIL]",
                   "/media/user/BIGCARD removable exfat [BIGCARD]",
               };
        QTest::newRow("2.31 strings, no fsver, unmeasured")
            << "util-linux-2.31-strings.json" << qint64(-1)
            << QStringList{
                   "/boot/efi fixed FAT []",
                   "/ fixed ext4 []",
                   "/media/user/TRAIL removable FAT [TRAIL]",
                   "/media/user/0A1B-2C3D removable FAT []",
                   "/media/user/Backup removable ntfs [Backup]",
               };
        QTest::newRow("2.31 strings, no fsver, measured FAT32")
            << "util-linux-2.31-strings.json" << qint64(1'000'000)
            << QStringList{
                   "/boot/efi fixed FAT32 []",
                   "/ fixed ext4 []",
                   "/media/user/TRAIL removable FAT32 [TRAIL]",
                   "/media/user/0A1B-2C3D removable FAT32 []",
                   "/media/user/Backup removable ntfs [Backup]",
               };
    }

    void recordedOutputsOfEachVersion()
    {
        QFETCH(QString, file);
        QFETCH(qint64, clusters);
        QFETCH(QStringList, drives);

        FakeVolumeSource source;
        source.output = recording(file);
        QVERIFY(!source.output.empty());
        if (clusters >= 0)
            source.clusters = static_cast<std::uint64_t>(clusters);
        QCOMPARE(describeDrives(source), drives);
    }

    void differencesBetweenVersions_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QStringList>("devices");

        QTest::newRow("partition inherits removable from its disk")
            << R"({"blockdevices": [{"name": "sdb", "rm": "1", "hotplug": "0", "children": [
                   {"name": "sdb1", "rm": "0", "hotplug": "0", "fstype": "vfat",
                    "mountpoint": "/media/a"}]}]})"
            << QStringList{"sdb removable []", "sdb1 removable vfat [] /media/a"};
        QTest::newRow("USB hard disk, hotplug alone is fixed")
            << R"({"blockdevices": [{"name": "sdc", "rm": false, "hotplug": true, "children": [
                   {"name": "sdc1", "rm": false, "hotplug": true}]}]})"
            << QStringList{"sdc fixed []", "sdc1 fixed []"};
        QTest::newRow("neither flag is fixed")
            << R"({"blockdevices": [{"name": "sda", "rm": "0", "hotplug": false}]})"
            << QStringList{"sda fixed []"};
        QTest::newRow("flags as numbers")
            << R"({"blockdevices": [{"name": "sda", "rm": 1}, {"name": "sdb", "hotplug": 0}]})"
            << QStringList{"sda removable []", "sdb fixed []"};
        QTest::newRow("first of several mount points")
            << R"({"blockdevices": [{"name": "sdb1", "mountpoints": [null, "/media/a", "/mnt/b"]}]})"
            << QStringList{"sdb1 fixed [] /media/a"};
        QTest::newRow("swap is not a mount point")
            << R"({"blockdevices": [{"name": "sda3", "mountpoints": ["[SWAP]"]},
                   {"name": "sda4", "mountpoint": "[SWAP]"}]})"
            << QStringList{"sda3 fixed []", "sda4 fixed []"};
        QTest::newRow("label kept with its blanks")
            << R"({"blockdevices": [{"name": "sdb1", "fstype": "vfat", "fsver": "FAT32",
                   "label": " CAM ", "mountpoint": "/media/a"}]})"
            << QStringList{"sdb1 fixed vfat FAT32 [ CAM ] /media/a"};
        QTest::newRow("numbers in names sort by value")
            << R"({"blockdevices": [{"name": "sdb10"}, {"name": "sdb2"}, {"name": "sda"},
                   {"name": "sdb02x"}]})"
            << QStringList{"sda fixed []", "sdb2 fixed []", "sdb02x fixed []", "sdb10 fixed []"};
        QTest::newRow("device under two arrays listed once")
            << R"({"blockdevices": [{"name": "sda", "children": [{"name": "md0"}]},
                   {"name": "sdb", "children": [{"name": "md0"}]}]})"
            << QStringList{"md0 fixed []", "sda fixed []", "sdb fixed []"};
        QTest::newRow("no devices") << R"({"blockdevices": []})" << QStringList{};
        QTest::newRow("values of unexpected types ignored")
            << R"({"blockdevices": [{"name": "sdb1", "rm": [1], "fstype": 7,
                   "label": {"x": 1}, "mountpoints": "/media/a", "children": 5}, 3]})"
            << QStringList{"sdb1 fixed []"};
    }

    void differencesBetweenVersions()
    {
        QFETCH(QString, json);
        QFETCH(QStringList, devices);

        const auto parsed = platform::parseLsblkJson(json.toStdString());
        QVERIFY(parsed);
        QStringList described;
        for (const LsblkDevice &device : *parsed)
            described.append(describeDevice(device));
        QCOMPARE(described, devices);
    }

    // lsblk sets HOTPLUG for every mmc device: an SD card in the computer's own slot, and just
    // as well the eMMC that laptops boot from, with its FAT EFI partition. Only the kernel's
    // word that the medium is an SD card makes one a card.
    void mmcDeviceIsRemovableOnlyWithAnSdCard_data()
    {
        QTest::addColumn<QString>("sysfsTree"); // of tests/data/sysfs
        QTest::addColumn<bool>("removable");    // CAM2, on mmcblk0

        QTest::newRow("SD card") << "sd-slot" << true;
        QTest::newRow("eMMC") << "emmc-laptop" << false;
        QTest::newRow("sysfs does not answer") << "no-such-tree" << false;
    }

    void mmcDeviceIsRemovableOnlyWithAnSdCard()
    {
        QFETCH(QString, sysfsTree);
        QFETCH(bool, removable);

        FakeVolumeSource source(sysfsTree);
        source.output = recording(QStringLiteral("util-linux-2.38-mixed.json"));
        QVERIFY(!source.candidateDrives().empty());
        QCOMPARE(source.isRemovable("/media/user/CAM2"), removable);
        QVERIFY(source.isRemovable("/media/user/TRAIL")); // in a USB reader
    }

    // A FAT label is bytes in the card's code page, which lsblk passes on as they are: such a
    // label reads with U+FFFD in place of what is not UTF-8, and every other device is listed.
    void labelThatIsNotUtf8KeepsTheOthers_data()
    {
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QString>("read");

        const QChar fffd(0xFFFD);
        QTest::newRow("code page 437") << QByteArray("CAF\x82") << "CAF" + QString(fffd);
        QTest::newRow("cut-off sequence, then ASCII")
            << QByteArray("A\xE2\x82Z") << "A" + QString(fffd) + "Z";
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << QString(2, fffd);
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QString(3, fffd);
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QString(4, fffd);
        QTest::newRow("at the end") << QByteArray("CAF\xC3") << "CAF" + QString(fffd);
        QTest::newRow("UTF-8") << QByteArray("CAF\xC3\x89 \xF0\x9F\x93\xB7")
                               << QString::fromUtf8("CAF\xC3\x89 \xF0\x9F\x93\xB7");
    }

    void labelThatIsNotUtf8KeepsTheOthers()
    {
        QFETCH(QByteArray, label);
        QFETCH(QString, read);

        const QByteArray json = "{\"blockdevices\": [{\"name\": \"sdb1\", \"label\": \"" + label +
                                "\"}, {\"name\": \"sdc1\", \"label\": \"TRAIL\"}]}";
        const auto parsed = platform::parseLsblkJson(json.toStdString());
        QVERIFY(parsed);
        QCOMPARE(parsed->size(), std::size_t(2));
        QCOMPARE(QString::fromStdString(parsed->at(0).label), read);
        QCOMPARE(parsed->at(1).label, std::string("TRAIL"));
    }

    void textThatIsNotLsblkOutputIsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("an error message") << "lsblk: unknown column: MOUNTPOINTS";
        QTest::newRow("cut off") << R"({"blockdevices": [{"name": "sda", "rm": tr)";
        QTest::newRow("an array") << "[]";
        QTest::newRow("no device list") << "{}";
        QTest::newRow("device list not an array") << R"({"blockdevices": {"name": "sda"}})";
    }

    void textThatIsNotLsblkOutputIsRefused()
    {
        QFETCH(QString, text);
        QVERIFY(!platform::parseLsblkJson(text.toStdString()));
    }

    void nestingDeeperThanAnyRealTreeIsCutOff()
    {
        // Devices inside devices, far deeper than disk, partition, crypt and LVM.
        constexpr int kLevels = 100'000;
        std::string json = R"({"blockdevices": )";
        for (int level = 0; level < kLevels; ++level)
            json += R"([{"name": "d", "children": )";
        json += "[]";
        for (int level = 0; level < kLevels; ++level)
            json += "}]";
        json += "}";

        const auto parsed = platform::parseLsblkJson(json);
        QVERIFY(parsed);
        QCOMPARE(parsed->size(), std::size_t(1)); // every level is named "d": listed once
    }

    void fileSystemNamesFromTypeAndVersion_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("name"); // "?" for a FAT volume of unknown version

        QTest::newRow("vfat FAT32") << "vfat"
                                    << "FAT32"
                                    << "FAT32";
        QTest::newRow("vfat FAT16") << "vfat"
                                    << "FAT16"
                                    << "FAT";
        QTest::newRow("vfat FAT12") << "vfat"
                                    << "FAT12"
                                    << "FAT";
        QTest::newRow("vfat version in lower case") << "vfat"
                                                    << "fat32"
                                                    << "FAT32";
        QTest::newRow("vfat without version") << "vfat"
                                              << ""
                                              << "?";
        QTest::newRow("exfat") << "exfat"
                               << "1.0"
                               << "exfat";
        QTest::newRow("ntfs") << "ntfs"
                              << ""
                              << "ntfs";
        QTest::newRow("no file system") << ""
                                        << ""
                                        << "";
    }

    void fileSystemNamesFromTypeAndVersion()
    {
        QFETCH(QString, type);
        QFETCH(QString, version);
        QFETCH(QString, name);

        LsblkDevice device;
        device.fsType = type.toStdString();
        device.fsVersion = version.toStdString();
        const auto fileSystem = platform::fileSystemName(device);
        QCOMPARE(fileSystem ? QString::fromStdString(*fileSystem) : QStringLiteral("?"), name);
    }

    void serialFromTheFileSystemId_data()
    {
        QTest::addColumn<QString>("uuid");
        QTest::addColumn<QString>("serial");
        QTest::newRow("FAT id") << "0A1B-2C3D"
                                << "0A1B-2C3D";
        QTest::newRow("lower case") << "2468-ace0"
                                    << "2468-ACE0";
        QTest::newRow("without the dash") << "2468ace0"
                                          << "2468-ACE0";
        QTest::newRow("dash elsewhere") << "246-8ACE0"
                                        << "";
        QTest::newRow("too short") << "2468-ACE"
                                   << "";
        QTest::newRow("not hexadecimal") << "2468-ACEG"
                                         << "";
        QTest::newRow("NTFS id") << "01D9F3A2B4C5D6E7"
                                 << "";
        QTest::newRow("ext4 id") << "4d7f2c1e-8a3b-4c55-9e61-0b2d7a9c3f18"
                                 << "";
        QTest::newRow("none") << ""
                              << "";
    }

    void serialFromTheFileSystemId()
    {
        QFETCH(QString, uuid);
        QFETCH(QString, serial);
        QCOMPARE(QString::fromStdString(platform::volumeSerial(uuid.toStdString())), serial);
    }

    void fatTypeFollowsClusterCount_data()
    {
        QTest::addColumn<qint64>("clusters");
        QTest::addColumn<QString>("name");
        QTest::newRow("FAT12") << qint64(4084) << "FAT";
        QTest::newRow("largest FAT16") << qint64(65524) << "FAT";
        QTest::newRow("smallest FAT32") << qint64(65525) << "FAT32";
        QTest::newRow("32 GB card") << qint64(1'046'000) << "FAT32";
    }

    void fatTypeFollowsClusterCount()
    {
        QFETCH(qint64, clusters);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(
                     platform::fatNameFromClusterCount(static_cast<std::uint64_t>(clusters))),
                 name);
    }

    void volumeQueryNoticesACardPulledOut()
    {
        FakeVolumeSource source;
        source.output = recording(QStringLiteral("util-linux-2.38-mixed.json"));
        const auto roots = source.candidateDrives();
        QVERIFY(std::find(roots.begin(), roots.end(), "/media/user/TRAIL") != roots.end());

        source.unplug("sda");
        QVERIFY(!source.volumeInformation("/media/user/TRAIL"));
        const auto other = source.volumeInformation("/media/user/CAM2");
        QVERIFY(other);
        QCOMPARE(other->volumeName, std::string("CAM2"));
    }

    void lsblkThatCannotRunShowsNoDrives()
    {
        FakeVolumeSource source;
        source.output = recording(QStringLiteral("util-linux-2.38-mixed.json"));
        source.lsblkFails = true;
        QVERIFY(source.candidateDrives().empty());
        QVERIFY(!source.volumeInformation("/media/user/TRAIL"));
        QVERIFY(!source.isRemovable("/media/user/TRAIL"));
    }

    void cardFolderUnderTheRoot_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("folder");
        QTest::newRow("mount point") << "/media/user/TRAIL"
                                     << "/media/user/TRAIL/VELOMAR";
        QTest::newRow("mount point with separator") << "/media/a/"
                                                    << "/media/a/VELOMAR";
        QTest::newRow("file system root") << "/"
                                          << "/VELOMAR";
    }

    void cardFolderUnderTheRoot()
    {
        QFETCH(QString, root);
        QFETCH(QString, folder);
        QCOMPARE(QString::fromStdString(platform::cardFolder(root.toStdString())), folder);
    }

    // The card scan never waits on lsblk for long: one that hangs is ended, and one that hangs,
    // cannot run or fails leaves the scan without drives and says why in one line on stderr.
    void lsblkThatHangsOrFailsShowsNoDrivesAndSaysWhy_data()
    {
        QTest::addColumn<QByteArray>("script"); // the fake lsblk; null: none on the PATH
        QTest::addColumn<int>("limitMs");
        QTest::addColumn<bool>("drives");    // the recording's drives are listed
        QTest::addColumn<QByteArray>("why"); // the line on stderr after "PROGRAM: card scan: "
        const QByteArray print = "cat '" VELOMAR_LSBLK_RECORDINGS "/util-linux-2.38-mixed.json'\n";
        const QByteArray going = "; going on as if no card were inserted\n";
        const int limit = int(platform::kLsblkTimeLimit.count());
        QTest::newRow("answers") << print << limit << true << QByteArray();
        QTest::newRow("refuses the newest columns")
            << "case \"$*\" in *MOUNTPOINTS*) exit 1;; esac\n" + print << limit << true
            << QByteArray();
        QTest::newRow("hangs") << QByteArray("sleep 600 & echo $! > started; wait\n") << 300
                               << false
                               << "lsblk did not finish within 0.3 seconds and was ended" + going;
        QTest::newRow("hangs after its output")
            << print + "exec >&-\nsleep 600 & echo $! > started; wait\n"
            << 300 << false << "lsblk did not finish within 0.3 seconds and was ended" + going;
        QTest::newRow("missing") << QByteArray() << limit << false
                                 << "lsblk could not be run (No such file or directory)" + going;
        QTest::newRow("fails") << QByteArray("exit 1\n") << limit << false
                               << "lsblk failed with exit status 1" + going;
        QTest::newRow("crashes") << QByteArray("kill -SEGV $$\n") << limit << false
                                 << "lsblk was killed by signal 11" + going;
        QTest::newRow("prints what is not its output")
            << QByteArray("echo 'lsblk: unknown column'\n") << limit << false
            << "the output of lsblk could not be read" + going;
    }
    void lsblkThatHangsOrFailsShowsNoDrivesAndSaysWhy()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, limitMs);
        QFETCH(bool, drives);
        QFETCH(QByteArray, why);
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        if (!script.isNull()) {
            QFile fake(bin.filePath(QStringLiteral("lsblk")));
            QVERIFY(fake.open(QIODevice::WriteOnly));
            fake.write("#!/bin/sh\nPATH=/usr/bin:/bin\ncd '" + bin.path().toLocal8Bit() + "'\n" +
                       script);
            fake.close();
            QVERIFY(fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }

        std::vector<std::string> roots;
        StderrCapture errors;
        {
            ScopedEnvironment path("PATH", bin.path().toLocal8Bit());
            const auto source =
                platform::CreateLsblkVolumeSource(std::chrono::milliseconds(limitMs));
            roots = source->candidateDrives();
        }
        const QByteArray written = errors.text();

        QCOMPARE(roots, drives
                            ? mountPoints(recording(QStringLiteral("util-linux-2.38-mixed.json")))
                            : std::vector<std::string>{});
        const QByteArray prefix =
            QCoreApplication::applicationName().toLocal8Bit() + ": card scan: ";
        QCOMPARE(written, why.isEmpty() ? QByteArray() : prefix + why);
        // Nothing of a hanging lsblk is left running.
        QFile started(bin.filePath(QStringLiteral("started")));
        if (started.open(QIODevice::ReadOnly)) {
            const pid_t sleeper = started.readAll().trimmed().toInt();
            QVERIFY(sleeper > 0);
            QTRY_VERIFY(!running(sleeper));
        }
    }

    // The machine's own lsblk, run through the system source, gives the same mounted
    // devices as running it by hand.
    void systemSourceSeesWhatLsblkShows()
    {
        const QString lsblk = QStandardPaths::findExecutable(QStringLiteral("lsblk"));
        QVERIFY2(!lsblk.isEmpty(), "lsblk (util-linux) is not installed");
        QProcess process;
        process.start(lsblk, {"--json", "--output", "NAME,RM,FSTYPE,FSVER,LABEL,MOUNTPOINTS"});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        const std::string output = process.readAllStandardOutput().toStdString();
        QVERIFY(platform::parseLsblkJson(output));
        const std::vector<std::string> expected = mountPoints(output);

        const auto source = platform::CreateSystemVolumeSource();
        const auto roots = source->candidateDrives();
        QCOMPARE(roots, expected);
        for (const std::string &root : roots)
            QVERIFY2(source->volumeInformation(root), root.c_str());
    }
};

QTEST_GUILESS_MAIN(TestLsblkVolumes)
#include "tst_lsblk_volumes.moc"
