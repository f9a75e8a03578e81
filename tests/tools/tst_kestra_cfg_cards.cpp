// kestra-cfg cards and deploy on a machine with cards: a fake lsblk first on the PATH prints a
// recorded output (tests/data/lsblk) whose cards are mounted on folders of the test, so that
// the files on them are real.
#include "fake_volume_source.h"
#include "fault_injection.h"
#include "kestra_cfg_process.h"
#include "settings_test_files.h"
#include "tmpfs_mount.h"

#include <nlohmann/json.hpp>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>
#include <memory>
#include <unistd.h>

using namespace testfiles;

namespace {

// A machine whose drives a recording describes. The recordings mount their cards under
// /media/user/; each card is mounted on a folder of its own here instead, or where the test
// says.
class CardMachine
{
public:
    explicit CardMachine(const QString &recording)
    {
        if (!world.isValid() || !QDir(world.path()).mkpath(QStringLiteral("bin")))
            return;
        if (recording.startsWith(QLatin1Char('{'))) {
            output = recording.toUtf8();
        } else {
            QFile file(QStringLiteral(VELOMAR_LSBLK_RECORDINGS "/") + recording);
            if (!file.open(QIODevice::ReadOnly))
                return;
            output = file.readAll();
        }
        // It counts its runs, and once the scan's runs are over it may print a later view; udev's
        // links to the volumes (dev/disk/by-uuid) turn into the later ones as that scan ends.
        QFile fake(world.filePath(QStringLiteral("bin/lsblk")));
        ready = fake.open(QIODevice::WriteOnly) &&
                fake.write("#!/bin/sh\ncd '" + world.path().toLocal8Bit() +
                           "' || exit 1\n"
                           "runs=$(cat lsblk-runs 2>/dev/null || echo 0)\n"
                           "echo $((runs + 1)) > lsblk-runs\n"
                           "if [ -e lsblk-later.json ] && [ \"$runs\" -ge \"$(cat scan-runs)\" ]; "
                           "then exec cat lsblk-later.json; fi\n"
                           "cat lsblk.json\n"
                           "if [ -e dev-later ] && [ $((runs + 1)) -ge \"$(cat scan-runs)\" ]; "
                           "then rm -rf dev && mv dev-later dev; fi\n") > 0 &&
                fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    bool isReady() const { return ready; }
    // Where the card recorded at /media/user/NAME is mounted.
    QString mountPoint(const QString &name) const
    {
        return placed.count(name) ? placed.at(name) : world.filePath("mounts/" + name);
    }
    void mountAt(const QString &name, const QString &path) { placed[name] = path; }
    QString settingsPath(const QString &name) const
    {
        return mountPoint(name) + QStringLiteral("/VELOMAR/Kestra.cfg");
    }

    // What lsblk prints from now on, with the mount points made.
    bool publish()
    {
        static const QRegularExpression recorded(QStringLiteral("\"/media/user/([^\"]*)\""));
        QString text = QString::fromUtf8(output);
        QRegularExpressionMatch match;
        for (qsizetype at = 0; (match = recorded.match(text, at)).hasMatch();) {
            const QString path = mountPoint(match.captured(1));
            if (!QDir().mkpath(path))
                return false;
            const QString quoted = QLatin1Char('"') + path + QLatin1Char('"');
            text.replace(match.capturedStart(), match.capturedLength(), quoted);
            at = match.capturedStart() + quoted.size();
        }
        published = text.toUtf8();
        return writeBytes(world.filePath(QStringLiteral("lsblk.json")), published) &&
               linkVolumes(nlohmann::json::parse(published.toStdString()), "dev");
    }

    // After the first `scanRuns` runs, lsblk no longer lists `device`: it was pulled out.
    bool unplugAfter(int scanRuns, const std::string &device)
    {
        nlohmann::json document = nlohmann::json::parse(published.toStdString());
        FakeVolumeSource::removeDevice(document["blockdevices"], device);
        return linkVolumes(document, "dev-later") &&
               writeBytes(world.filePath(QStringLiteral("lsblk-later.json")),
                          QByteArray::fromStdString(document.dump(3))) &&
               writeBytes(world.filePath(QStringLiteral("scan-runs")),
                          QByteArray::number(scanRuns));
    }

    // Until `scanRuns` runs are over, lsblk lists no drive; then it lists the recorded ones: the
    // cards were inserted and the desktop mounted them.
    bool insertAfter(int scanRuns)
    {
        return linkVolumes(nlohmann::json::parse(published.toStdString()), "dev-later") &&
               linkVolumes(nlohmann::json::parse(R"({"blockdevices": []})"), "dev") &&
               writeBytes(world.filePath(QStringLiteral("lsblk-later.json")), published) &&
               writeBytes(world.filePath(QStringLiteral("lsblk.json")),
                          R"({"blockdevices": []})") &&
               writeBytes(world.filePath(QStringLiteral("scan-runs")),
                          QByteArray::number(scanRuns));
    }

    // After the first `scanRuns` runs, the volume on `device` has the serial `serial`: another
    // card was put into the same reader and mounted on the same folder.
    bool swapAfter(int scanRuns, const std::string &device, const std::string &serial)
    {
        nlohmann::json document = nlohmann::json::parse(published.toStdString());
        if (!setSerial(document["blockdevices"], device, serial))
            return false;
        return linkVolumes(document, "dev-later") &&
               writeBytes(world.filePath(QStringLiteral("lsblk-later.json")),
                          QByteArray::fromStdString(document.dump(3))) &&
               writeBytes(world.filePath(QStringLiteral("scan-runs")),
                          QByteArray::number(scanRuns));
    }

    int lsblkRuns() const
    {
        return readBytes(world.filePath(QStringLiteral("lsblk-runs"))).trimmed().toInt();
    }
    void forgetRuns() const { QFile::remove(world.filePath(QStringLiteral("lsblk-runs"))); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"), world.filePath(QStringLiteral("bin")) +
                                                       QLatin1Char(':') +
                                                       environment.value(QStringLiteral("PATH")));
        // The recordings' machine: its mmcblk0 is an SD card.
        environment.insert(QStringLiteral("VELOMAR_SYSFS_ROOT"),
                           FakeVolumeSource::sysfsTreePath(QStringLiteral("sd-slot")));
        environment.insert(QStringLiteral("VELOMAR_DEV_ROOT"),
                           world.filePath(QStringLiteral("dev")));
        // A machine without UDisks2: no system bus answers.
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                           "unix:path=" + world.filePath(QStringLiteral("no-bus")));
        return environment;
    }

private:
    // udev's link for each volume serial of an lsblk view, in the folder `dev` of the world.
    bool linkVolumes(const nlohmann::json &document, const QString &dev) const
    {
        const QString links = world.filePath(dev + QStringLiteral("/disk/by-uuid"));
        QDir(world.filePath(dev)).removeRecursively();
        if (!QDir().mkpath(links))
            return false;
        std::function<bool(const nlohmann::json &)> link = [&](const nlohmann::json &devices) {
            for (const auto &device : devices) {
                const auto uuidField = device.find("uuid");
                const std::string uuid = uuidField != device.end() && uuidField->is_string()
                                             ? uuidField->get<std::string>()
                                             : std::string();
                if (!uuid.empty() &&
                    !QFile::link(QStringLiteral("../../") +
                                     QString::fromStdString(device.value("name", std::string())),
                                 links + QLatin1Char('/') + QString::fromStdString(uuid)))
                    return false;
                if (device.contains("children") && !link(device["children"]))
                    return false;
            }
            return true;
        };
        return link(document["blockdevices"]);
    }

    static bool setSerial(nlohmann::json &devices, const std::string &name,
                          const std::string &serial)
    {
        for (auto &device : devices) {
            if (device.value("name", std::string()) == name) {
                device["uuid"] = serial;
                return true;
            }
            if (device.contains("children") && setSerial(device["children"], name, serial))
                return true;
        }
        return false;
    }

    QTemporaryDir world;
    QByteArray output;
    QByteArray published;
    std::map<QString, QString> placed;
    bool ready = false;
};

CameraSettings labelled(const std::string &label)
{
    CameraSettings s;
    s.ResetAll();
    s.SetLabel(label);
    return s;
}

// The settings every deploy here starts from: a label to be replaced, and a switch-on time that
// a card must not keep unless --date-time sets one.
CameraSettings deployed()
{
    CameraSettings s = labelled("TEMPLATE");
    s.core.pictureInterval = 2000;
    s.SetLoadTime(8, 15, 0);
    s.SetLoadDate(3, 9, 21);
    return s;
}

// What a card holds after deploy: the settings with the card's label, and the switch-on time
// of --date-time "2024-06-01 06:30" or none.
QByteArray cardBytes(const QString &label, bool dated)
{
    CameraSettings s = deployed();
    s.SetLabel(label.toLatin1().toStdString());
    s.SetLoadTime(dated ? 6 : 0, dated ? 30 : 0, 0);
    s.SetLoadDate(dated ? 6 : 0, dated ? 1 : 0, dated ? 24 : 0);
    return settingsFileBytes(s);
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// One card of the expected `cards --json`: "MOUNT DEVICE|VOLUME LABEL|SERIAL|FS|CAMERA LABEL",
// the camera label "<none>" without a settings file and "<unreadable>" for one that cannot be
// read.
QJsonObject expectedCard(const CardMachine &machine, const QString &fields)
{
    const QStringList f = fields.split(QLatin1Char('|'));
    const QString mount = f[0].section(QLatin1Char(' '), 0, 0);
    const bool none = f[4] == QLatin1String("<none>");
    const bool unreadable = f[4] == QLatin1String("<unreadable>");
    return {{"mountPath", machine.mountPoint(mount)},
            {"device", "/dev/" + f[0].section(QLatin1Char(' '), 1)},
            {"volumeLabel", f[1]},
            {"serial", f[2]},
            {"fileSystem", f[3]},
            {"settingsFile", none ? QJsonValue() : QJsonValue(machine.settingsPath(mount))},
            {"cameraLabel", none || unreadable ? QJsonValue() : QJsonValue(f[4])}};
}

// Puts on the card `name` what "NAME=WHAT" says: a settings file with the label WHAT,
// "<unreadable>" bytes, or "<folder>" in place of the file.
bool putOnCard(const CardMachine &machine, const QString &entry)
{
    const QString name = entry.section(QLatin1Char('='), 0, 0);
    const QString what = entry.section(QLatin1Char('='), 1);
    if (!QDir().mkpath(machine.mountPoint(name) + QStringLiteral("/VELOMAR")))
        return false;
    if (what == QLatin1String("<folder>"))
        return QDir().mkpath(machine.settingsPath(name));
    return writeBytes(machine.settingsPath(name),
                      what == QLatin1String("<unreadable>")
                          ? QByteArray::fromHex("0900")
                          : settingsFileBytes(labelled(what.toLatin1().toStdString())));
}

} // namespace

class TestKestraCfgCards : public QObject
{
    Q_OBJECT

    QTemporaryDir dir; // the working folder, with the settings and the label map

    Run run(const CardMachine &machine, const QStringList &arguments)
    {
        return runKestraCfg(arguments, dir.path(), machine.environment());
    }
    QString file(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QVERIFY(emptyFolder(dir.path()));
        QVERIFY(writeBytes(file("base.cfg"), settingsFileBytes(deployed())));
    }

    // ---- cards ------------------------------------------------------------------------------

    // The cards the editor would offer, with what tells them apart, as scripts read them.
    void cardsJsonOfRecordedMachines_data()
    {
        QTest::addColumn<QString>("recording"); // a file of tests/data/lsblk, or the JSON itself
        QTest::addColumn<QStringList>("onCards");
        QTest::addColumn<QStringList>("cards");

        // exFAT, NTFS and the fixed EFI partition are no cards; a folder is no settings file.
        QTest::newRow("2.38 with serials")
            << "util-linux-2.38-uuid.json"
            << QStringList{"CAM2=RIDGE 7", "TRAIL=<unreadable>", "SPARE=<folder>"}
            << QStringList{"CAM2 mmcblk0p1|CAM2|5C1E-7A20|FAT32|RIDGE 7",
                           "TRAIL sda1|TRAIL|3F8B-21D4|FAT32|<unreadable>",
                           "0A1B-2C3D sdb1||0A1B-2C3D|FAT|<none>",
                           "SPARE sde1|SPARE|E7C0-4B19|FAT32|<none>"};
        // Without FSVER a FAT volume that cannot be measured is FAT; without UUID no serial.
        QTest::newRow("2.31 without serials or FAT versions")
            << "util-linux-2.31-strings.json" << QStringList{"0A1B-2C3D="}
            << QStringList{"TRAIL sdb1|TRAIL||FAT|<none>", "0A1B-2C3D sdc|||FAT|"};
        QTest::newRow("a fixed FAT disk only")
            << R"({"blockdevices": [{"name": "sda1", "rm": false, "hotplug": false,
                   "fstype": "vfat", "fsver": "FAT32", "label": "DATA", "uuid": "1234-5678",
                   "mountpoints": ["/media/user/DATA"]}]})"
            << QStringList{} << QStringList{};
    }
    void cardsJsonOfRecordedMachines()
    {
        QFETCH(QString, recording);
        QFETCH(QStringList, onCards);
        QFETCH(QStringList, cards);
        CardMachine machine(recording);
        QVERIFY(machine.isReady());
        QVERIFY(machine.publish());
        for (const QString &entry : onCards)
            QVERIFY(putOnCard(machine, entry));

        const Run r = run(machine, {"cards", "--json"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray());
        QJsonArray expected;
        for (const QString &card : cards)
            expected.append(expectedCard(machine, card));
        QCOMPARE(QJsonDocument::fromJson(r.out).array(), expected);
    }

    void cardsTableForPeople()
    {
        CardMachine machine(QStringLiteral("util-linux-2.38-uuid.json"));
        QVERIFY(machine.isReady());
        QVERIFY(machine.publish());
        QVERIFY(putOnCard(machine, QStringLiteral("CAM2=RIDGE 7")));
        const Run r = run(machine, {"cards"});
        QCOMPARE(r.exitCode, 0);

        // Columns as wide as their widest entry, two blanks apart.
        const int mountWidth = int(machine.mountPoint(QStringLiteral("0A1B-2C3D")).size());
        auto row = [&](const QString &mount, const char *label, const char *serial, const char *fs,
                       const char *settings) {
            return mount.leftJustified(mountWidth + 2) +
                   QString::fromLatin1(label).leftJustified(14) +
                   QString::fromLatin1(serial).leftJustified(11) +
                   QString::fromLatin1(fs).leftJustified(7) + QString::fromLatin1(settings) +
                   QLatin1Char('\n');
        };
        const QString expected =
            row(QStringLiteral("MOUNT PATH"), "VOLUME LABEL", "SERIAL", "FS", "SETTINGS") +
            row(machine.mountPoint("CAM2"), "CAM2", "5C1E-7A20", "FAT32", "label \"RIDGE 7\"") +
            row(machine.mountPoint("TRAIL"), "TRAIL", "3F8B-21D4", "FAT32", "no file") +
            row(machine.mountPoint("0A1B-2C3D"), "-", "0A1B-2C3D", "FAT", "no file") +
            row(machine.mountPoint("SPARE"), "SPARE", "E7C0-4B19", "FAT32", "no file");
        QCOMPARE(QString::fromUtf8(r.out), expected);

        CardMachine empty(QStringLiteral(R"({"blockdevices": []})"));
        QVERIFY(empty.isReady() && empty.publish());
        const Run none = run(empty, {"cards"});
        QCOMPARE(none.exitCode, 0);
        QCOMPARE(none.out, QByteArray("No removable card found.\n"));
    }

    // ---- deploy -----------------------------------------------------------------------------

    // Four cards, three of which cannot be written as usual: one read-only, one pulled out
    // between the scan and its write (its mount folder left behind), one full that takes the
    // new settings in its old file's space. Each card fares on its own.
    void deployToCardsThatFailInDifferentWays()
    {
        if (::geteuid() != 0)
            QSKIP("the read-only and the full card are tmpfs mounts, which need root");
        CardMachine machine(QStringLiteral("util-linux-2.38-uuid.json"));
        QVERIFY(machine.isReady());
        const QByteArray old = settingsFileBytes(labelled("OLD"));

        TmpfsMount readOnly("size=64k,mode=0755");
        TmpfsMount full("size=64k,mode=0755");
        if (!readOnly.mounted() || !full.mounted())
            QSKIP(qPrintable("cannot mount a tmpfs here: " + readOnly.error()));
        for (const TmpfsMount *medium : {&readOnly, &full}) {
            QVERIFY(QDir().mkpath(medium->filePath("VELOMAR")));
            QVERIFY(writeBytes(medium->filePath("VELOMAR/Kestra.cfg"), old));
        }
        QVERIFY(readOnly.remountReadOnly());
        QVERIFY(full.fill());
        machine.mountAt(QStringLiteral("TRAIL"), readOnly.path());
        machine.mountAt(QStringLiteral("SPARE"), full.path());
        QVERIFY(machine.publish());

        // The card in sdb goes once the scan, which `cards` shows the length of, is over.
        QCOMPARE(run(machine, {"cards"}).exitCode, 0);
        QVERIFY(machine.unplugAfter(machine.lsblkRuns(), "sdb"));
        machine.forgetRuns();

        // By serial in another spelling, by mount path, by serial, by volume label.
        QVERIFY(writeBytes(file("map.csv"), "card,label\n5c1e7a20,STATION 01\n" +
                                                readOnly.path().toUtf8() + ",STATION 02\n" +
                                                "0A1B-2C3D,STATION 03\nspare,STATION 04\n"));
        const Run r = run(machine, {"deploy", "base.cfg", "--all-cards", "--labels", "map.csv",
                                    "--date-time", "2024-06-01 06:30", "--log", "log.csv"});

        const QString cam2 = machine.mountPoint("CAM2");
        const QString pulled = machine.mountPoint("0A1B-2C3D");
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.out),
                 cam2 + " (5C1E-7A20): written, label \"STATION 01\"\n" + readOnly.path() +
                     " (3F8B-21D4): failed: " + readOnly.path() +
                     "/VELOMAR/Kestra.cfg is on a write-protected medium.\n" + pulled +
                     " (0A1B-2C3D): failed: the card is no longer there\n" + full.path() +
                     " (E7C0-4B19): written, label \"STATION 04\"\n");
        QCOMPARE(r.err, QByteArray("kestra-cfg: 2 of 4 cards failed\n"));

        QCOMPARE(readBytes(machine.settingsPath("CAM2")), cardBytes("STATION 01", true));
        QCOMPARE(readBytes(readOnly.filePath("VELOMAR/Kestra.cfg")), old);
        QCOMPARE(folderEntries(pulled), QStringList()); // nothing where the card was
        QCOMPARE(readBytes(full.filePath("VELOMAR/Kestra.cfg")), cardBytes("STATION 04", true));
        QCOMPARE(folderEntries(full.filePath("VELOMAR")), QStringList{"Kestra.cfg"});

        const QStringList log = QString::fromUtf8(readBytes(file("log.csv"))).split('\n');
        QCOMPARE(log.size(), 6); // the heading, four rows, the end of the last
        QCOMPARE(log[0], QStringLiteral("time,serial,mount path,label,sha256,result"));
        const QStringList rows[] = {
            {"5C1E-7A20", cam2, "STATION 01", sha256(cardBytes("STATION 01", true)), "written"},
            {"3F8B-21D4", readOnly.path(), "STATION 02", "",
             "failed: " + readOnly.path() + "/VELOMAR/Kestra.cfg is on a write-protected medium."},
            {"0A1B-2C3D", pulled, "STATION 03", "", "failed: the card is no longer there"},
            {"E7C0-4B19", full.path(), "STATION 04", sha256(cardBytes("STATION 04", true)),
             "written"},
        };
        static const QRegularExpression utc(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"));
        for (int i = 0; i < 4; ++i) {
            QStringList columns = log[i + 1].split(QLatin1Char(','));
            QVERIFY2(utc.match(columns.takeFirst()).hasMatch(), qPrintable(log[i + 1]));
            QCOMPARE(columns, rows[i]);
        }
        QCOMPARE(log[5], QString());
    }

    // Folders named by path need no card: what a person sees, the bytes in each folder.
    void deployToFolders_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after "deploy base.cfg"
        QTest::addColumn<QByteArray>("map");        // map.csv; null: none
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QStringList>("labels"); // of folders a, b and c; "-": nothing written
        QTest::addColumn<bool>("dated");

        QTest::newRow("every folder, no switch-on time")
            << QStringList{"a", "b"} << QByteArray() << 0
            << "a: written, label \"TEMPLATE\"\nb: written, label \"TEMPLATE\"\n"
            << QStringList{"TEMPLATE", "TEMPLATE", "-"} << false;
        QTest::newRow("a switch-on time") << QStringList{"b", "--date-time", "2024-06-01 06:30"}
                                          << QByteArray() << 0 << "b: written, label \"TEMPLATE\"\n"
                                          << QStringList{"-", "TEMPLATE", "-"} << true;
        QTest::newRow("a folder named twice is written once")
            << QStringList{"a", "./a/", "b"} << QByteArray() << 0
            << "a: written, label \"TEMPLATE\"\nb: written, label \"TEMPLATE\"\n"
            << QStringList{"TEMPLATE", "TEMPLATE", "-"} << false;
        QTest::newRow("a missing folder fails, the others go on")
            << QStringList{"a", "c", "b"} << QByteArray() << 1
            << "a: written, label \"TEMPLATE\"\nc: failed: there is no card or folder of this "
               "name\nb: written, label \"TEMPLATE\"\n"
            << QStringList{"TEMPLATE", "TEMPLATE", "-"} << false;
        QTest::newRow("labels; a heading, quotes, CR LF, a byte order mark")
            << QStringList{"a", "b"}
            << QByteArray("\xEF\xBB\xBF"
                          "card,label\r\na,\"NORTH, 1\"\r\n b , SOUTH 2 \r\n")
            << 0 << "a: written, label \"NORTH, 1\"\nb: written, label \"SOUTH 2\"\n"
            << QStringList{"NORTH, 1", "SOUTH 2", "-"} << false;
        QTest::newRow("a folder without a row fails")
            << QStringList{"a", "b"} << QByteArray("a,ONE\nc,THREE\n") << 1
            << "a: written, label \"ONE\"\nb: failed: no row of map.csv names this card\n"
            << QStringList{"ONE", "-", "-"} << false;
        QTest::newRow("a dry run writes nothing")
            << QStringList{"a", "b", "--dry-run"} << QByteArray("a,ONE\nb,TWO\n") << 0
            << "a: would be written, label \"ONE\"\nb: would be written, label \"TWO\"\n"
            << QStringList{"-", "-", "-"} << false;
    }
    // Just before the write the card is found to be the one scanned, and after it the card
    // must give back what was written: a card swapped in the reader since the scan keeps its
    // own settings, and a card that reads back other bytes is a failure, not "written".
    void deployChecksTheCardBeforeAndReadsItBackAfter()
    {
        QVERIFY(MediumFaults::loaded());
        CardMachine machine(QStringLiteral("util-linux-2.38-uuid.json"));
        QVERIFY(machine.isReady());
        QVERIFY(machine.publish());
        const QByteArray old = settingsFileBytes(labelled("OLD"));
        QVERIFY(putOnCard(machine, QStringLiteral("TRAIL=OLD")));
        QCOMPARE(run(machine, {"cards"}).exitCode, 0);
        QVERIFY(machine.swapAfter(machine.lsblkRuns(), "sda1", "7D2E-9A01"));
        machine.forgetRuns();

        MediumFaults faults;
        faults.flipReads(machine.settingsPath(QStringLiteral("SPARE")));
        const Run r = run(machine, {"deploy", "base.cfg", "3F8B-21D4", "E7C0-4B19"});
        faults.clear();

        const QString spare = machine.mountPoint(QStringLiteral("SPARE"));
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.out),
                 machine.mountPoint(QStringLiteral("TRAIL")) +
                     " (3F8B-21D4): failed: another card is in its place now\n" + spare +
                     " (E7C0-4B19): failed: what was read back from " + spare +
                     "/VELOMAR/Kestra.cfg differs from what was written\n");
        QCOMPARE(r.err, QByteArray("kestra-cfg: 2 of 2 cards failed\n"));
        QCOMPARE(readBytes(machine.settingsPath(QStringLiteral("TRAIL"))), old);
    }

    // A card pulled out after the scan whose mount folder stays behind, before udev has taken
    // its link away: the folder is now on the computer's own disk, and nothing is written there.
    void deployRefusesTheFolderAPulledCardLeftBehind()
    {
        QVERIFY(MediumFaults::loaded());
        if (::geteuid() != 0)
            QSKIP("the card is a tmpfs mount, which needs root");
        CardMachine machine(QStringLiteral("util-linux-2.38-uuid.json"));
        QVERIFY(machine.isReady());
        TmpfsMount card("size=64k,mode=0755");
        if (!card.mounted())
            QSKIP(qPrintable("cannot mount a tmpfs here: " + card.error()));
        machine.mountAt(QStringLiteral("TRAIL"), card.path());
        QVERIFY(machine.publish());

        // CAM2 is written first; as it is, TRAIL is pulled out.
        MediumFaults faults;
        faults.pullOnRename(machine.settingsPath("CAM2"), card.path());
        const Run r = run(machine, {"deploy", "base.cfg", "CAM2", "3F8B-21D4"});
        faults.clear();

        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.out),
                 machine.mountPoint("CAM2") + " (5C1E-7A20): written, label \"TEMPLATE\"\n" +
                     card.path() + " (3F8B-21D4): failed: the card is no longer there\n");
        QCOMPARE(folderEntries(card.path()), QStringList());
    }

    // Where no UDisks2 tells of new cards, the station looks at the drives every second: a card
    // the desktop mounts while it waits is written.
    void stationLooksForCardsWithLsblk()
    {
        CardMachine machine(QStringLiteral(R"({"blockdevices": [{"name": "sdb", "rm": true,
            "children": [{"name": "sdb1", "rm": true, "fstype": "vfat", "fsver": "FAT32",
            "label": "SLOT", "uuid": "7A7A-0007", "mountpoints": ["/media/user/SLOT"]}]}]})"));
        QVERIFY(machine.isReady() && machine.publish());
        QVERIFY(machine.insertAfter(2));

        RunningKestraCfg station({"deploy", "base.cfg", "--each-inserted", "--count", "1"},
                                 dir.path(), machine.environment());
        QCOMPARE(station.nextLine(),
                 QByteArray("Waiting for cards: insert one, or press Ctrl-C to end."));
        QCOMPARE(station.nextLine(), QByteArray("TEMPLATE written: you can remove it\a"));
        QCOMPARE(station.nextLine(), QByteArray("1 of 1 card written"));
        QCOMPARE(station.exitCode(), 0);
        QCOMPARE(machine.lsblkRuns(), 3);
        QCOMPARE(readBytes(machine.settingsPath("SLOT")), cardBytes("TEMPLATE", false));
    }

    // The drives are asked once however many cards there are: the check before each write does
    // not scan again. A card pulled out among the 200 is still caught by that check.
    void deployToTwoHundredCardsScansOnce()
    {
        constexpr int kCards = 200;
        nlohmann::json devices = nlohmann::json::array();
        for (int i = 0; i < kCards; ++i) {
            const std::string number = std::to_string(i);
            char serial[16];
            std::snprintf(serial, sizeof serial, "C0DE-%04X", i);
            devices.push_back({{"name", "sd" + number},
                               {"rm", true},
                               {"children",
                                {{{"name", "sd" + number + "p1"},
                                  {"rm", true},
                                  {"fstype", "vfat"},
                                  {"fsver", "FAT32"},
                                  {"label", "CARD" + number},
                                  {"uuid", serial},
                                  {"mountpoints", {"/media/user/CARD" + number}}}}}});
        }
        CardMachine machine(
            QString::fromStdString(nlohmann::json{{"blockdevices", devices}}.dump()));
        QVERIFY(machine.isReady());
        QVERIFY(machine.publish());
        QVERIFY(machine.unplugAfter(1, "sd150"));

        const Run r = run(machine, {"deploy", "base.cfg", "--all-cards"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(machine.lsblkRuns(), 2); // the scan, and one look at the card that failed
        const QList<QByteArray> lines = r.out.split('\n');
        QCOMPARE(lines.size(), kCards + 1);
        QCOMPARE(lines[150], machine.mountPoint("CARD150").toUtf8() +
                                 " (C0DE-0096): failed: the card is no longer there");
        for (const int i : {0, 149, 151, 199}) {
            const QString card = QStringLiteral("CARD%1").arg(i);
            QVERIFY2(lines[i].endsWith(": written, label \"TEMPLATE\""), lines[i].constData());
            QCOMPARE(readBytes(machine.settingsPath(card)), cardBytes("TEMPLATE", false));
        }
        QVERIFY(!QFileInfo::exists(machine.settingsPath("CARD150")));
    }

    void deployToFolders()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, map);
        QFETCH(int, exitCode);
        QFETCH(QString, lines);
        QFETCH(QStringList, labels);
        QFETCH(bool, dated);
        CardMachine machine(QStringLiteral(R"({"blockdevices": []})"));
        QVERIFY(machine.isReady() && machine.publish());
        QVERIFY(QDir(dir.path()).mkdir("a") && QDir(dir.path()).mkdir("b"));
        if (!map.isNull()) {
            QVERIFY(writeBytes(file("map.csv"), map));
            arguments << "--labels"
                      << "map.csv";
        }

        const Run r = run(machine, QStringList{"deploy", "base.cfg"} + arguments);
        QCOMPARE(QString::fromUtf8(r.out), lines);
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.err.isEmpty(), exitCode == 0);
        const char *folders[] = {"a", "b", "c"};
        for (int i = 0; i < 3; ++i) {
            const QString settings = dir.filePath(QString::fromLatin1(folders[i]) + "/VELOMAR");
            if (labels[i] == QLatin1String("-"))
                QVERIFY2(!QFileInfo::exists(settings), folders[i]);
            else
                QCOMPARE(readBytes(settings + "/Kestra.cfg"), cardBytes(labels[i], dated));
        }
    }

    // The log gains a row per card on every run; the heading comes once.
    void deployLogKeepsEveryRun()
    {
        CardMachine machine(QStringLiteral(R"({"blockdevices": []})"));
        QVERIFY(machine.isReady() && machine.publish());
        QVERIFY(QDir(dir.path()).mkdir("a"));
        QCOMPARE(run(machine, {"deploy", "base.cfg", "a", "--log", "log.csv"}).exitCode, 0);
        QCOMPARE(run(machine, {"deploy", "base.cfg", "a", "gone", "--log", "log.csv"}).exitCode, 1);
        QCOMPARE(
            run(machine, {"deploy", "base.cfg", "a", "--log", "log.csv", "--dry-run"}).exitCode, 0);

        QStringList rows = QString::fromUtf8(readBytes(file("log.csv"))).split('\n');
        for (QString &row : rows)
            row = row.section(QLatin1Char(','), 1); // the time varies
        const QString written = ",a,TEMPLATE," + sha256(cardBytes("TEMPLATE", false)) + ",written";
        QCOMPARE(rows,
                 (QStringList{"serial,mount path,label,sha256,result", written, written,
                              ",gone,,,failed: there is no card or folder of this name", ""}));
    }

    // Values that cannot be used stop the run before any card is touched.
    void deployRefusesBadInputBeforeAnyCard_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after "deploy base.cfg a b --log log.csv"
        QTest::addColumn<QByteArray>("map");        // map.csv
        QTest::addColumn<QByteArray>("message");

        // The date and time are checked as the Set Date & Time dialog checks them, in its order.
        const QStringList at{"--date-time"};
        const QByteArray date = "--date-time: ";
        QTest::newRow("date and time without a blank")
            << at + QStringList{"2024-06-01T06:30"} << QByteArray()
            << date + "Please enter the date and time as YYYY-MM-DD HH:MM.\n";
        QTest::newRow("with seconds") << at + QStringList{"2024-06-01 06:30:00"} << QByteArray()
                                      << date + "Please enter the date and time as YYYY-MM-DD "
                                                "HH:MM.\n";
        QTest::newRow("a minute that is no number")
            << at + QStringList{"2024-06-01 06:3x"} << QByteArray()
            << date + "Please enter an integer.\n";
        QTest::newRow("the minute before everything else")
            << at + QStringList{"1999-13-32 24:60"} << QByteArray()
            << date + "Please enter an integer between 0 and 59.\n";
        QTest::newRow("hour 24") << at + QStringList{"2024-06-01 24:00"} << QByteArray()
                                 << date + "Please enter an integer between 0 and 23.\n";
        QTest::newRow("month 13") << at + QStringList{"2024-13-01 06:00"} << QByteArray()
                                  << date + "Please enter an integer between 1 and 12.\n";
        QTest::newRow("day 32") << at + QStringList{"2024-06-32 06:00"} << QByteArray()
                                << date + "Please enter an integer between 1 and 31.\n";
        QTest::newRow("year 2100") << at + QStringList{"2100-01-01 06:00"} << QByteArray()
                                   << date + "Please enter an integer between 2000 and 2099.\n";
        QTest::newRow("29 February of a common year")
            << at + QStringList{"2023-02-29 06:00"} << QByteArray()
            << date + "Please enter an integer between 1 and 28.\n";

        // The whole label map is read first.
        const QStringList labels{"--labels", "map.csv"};
        QTest::newRow("a row of one field")
            << labels << QByteArray("a,ONE\nb\n")
            << QByteArray("map.csv: line 2: expected two fields, the card and its camera label, "
                          "not 1\n");
        QTest::newRow("a row without its card")
            << labels << QByteArray("a,ONE\n ,TWO\n")
            << QByteArray("map.csv: line 2: the card is missing\n");
        QTest::newRow("a label too long, after the heading")
            << labels << QByteArray("card,label\na,ABCDEFGHIJKLMNOPQRSTU\n")
            << QByteArray("map.csv: line 2: label: Please enter no more than 20 characters.\n");
        QTest::newRow("a character the stamp cannot print")
            << labels << QByteArray("a,B|C\n")
            << QByteArray("map.csv: line 1: label: The character \"|\" is not allowed.\n");
        QTest::newRow("a card given two labels")
            << labels << QByteArray("a,ONE\nb,TWO\nA,THREE\n")
            << QByteArray("map.csv: line 3: A was given a label on line 1 already\n");
        QTest::newRow("a quote not closed") << labels << QByteArray("a,ONE\nb,\"TWO\n")
                                            << QByteArray("map.csv: line 2: a quote is not "
                                                          "closed\n");
        QTest::newRow("no label map") << QStringList{"--labels", "none.csv"} << QByteArray()
                                      << QByteArray("none.csv: not found\n");
    }
    void deployRefusesBadInputBeforeAnyCard()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, map);
        QFETCH(QByteArray, message);
        CardMachine machine(QStringLiteral(R"({"blockdevices": []})"));
        QVERIFY(machine.isReady() && machine.publish());
        QVERIFY(QDir(dir.path()).mkdir("a") && QDir(dir.path()).mkdir("b"));
        if (!map.isNull())
            QVERIFY(writeBytes(file("map.csv"), map));

        const Run r = run(machine, QStringList{"deploy", "base.cfg", "a", "b", "--log", "log.csv"} +
                                       arguments);
        QCOMPARE(r.err, message);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(folderEntries(file("a")), QStringList());
        QCOMPARE(folderEntries(file("b")), QStringList());
        QVERIFY(!QFileInfo::exists(file("log.csv")));
    }
};

QTEST_GUILESS_MAIN(TestKestraCfgCards)
#include "tst_kestra_cfg_cards.moc"
