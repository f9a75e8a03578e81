// kestra-cfg cards and deploy on a machine with cards: a fake lsblk first on the PATH prints a
// recorded output (tests/data/lsblk) whose cards are mounted on folders of the test, so that
// the files on them are real.
#include "fake_volume_source.h"
#include "fault_injection.h"
#include "kestra_cfg_process.h"
#include "platform/card_lock.h"
#include "scoped_environment.h"
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
                           "cat lsblk.json; status=$?\n"
                           "if [ -e dev-later ] && [ $((runs + 1)) -ge \"$(cat scan-runs)\" ]; "
                           "then rm -rf dev && mv dev-later dev; fi\n"
                           "exit $status\n") > 0 &&
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

    // A machine whose lsblk fails is no machine without cards: a script must be able to tell.
    void cardsFailWhenTheDrivesCannotBeAsked()
    {
        CardMachine machine(QStringLiteral("util-linux-2.38-uuid.json"));
        QVERIFY(machine.isReady()); // not published: its lsblk finds no output and fails
        const Run r = run(machine, {"cards", "--json"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray("[]\n"));
        QVERIFY2(r.err.contains("card scan: lsblk failed with exit status 1"), r.err.constData());
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
        // The removable drives that are no cards are said, with their file systems.
        const QString skipped = machine.mountPoint("BIGCARD") +
                                " skipped: exFAT, not FAT; the cameras read FAT and FAT32 only\n" +
                                machine.mountPoint("Backup") +
                                " skipped: NTFS, not FAT; the cameras read FAT and FAT32 only\n";
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.out),
                 cam2 + " (5C1E-7A20): written, label \"STATION 01\"\n" + readOnly.path() +
                     " (3F8B-21D4): failed: " + readOnly.path() +
                     "/VELOMAR/Kestra.cfg is on a write-protected medium. Switch off the card's "
                     "write-protect (the slider on its side) and run the command again.\n" +
                     pulled +
                     " (0A1B-2C3D): failed: the card is no longer there. Insert the card again "
                     "and run the command again.\n" +
                     full.path() + " (E7C0-4B19): written, label \"STATION 04\"\n" + skipped +
                     "2 of 4 written, 2 failed: " + readOnly.path() +
                     " (3F8B-21D4, write-protected), " + pulled + " (0A1B-2C3D, pulled out)\n");
        QCOMPARE(r.err, QByteArray());

        QCOMPARE(readBytes(machine.settingsPath("CAM2")), cardBytes("STATION 01", true));
        QCOMPARE(readBytes(readOnly.filePath("VELOMAR/Kestra.cfg")), old);
        QCOMPARE(folderEntries(pulled), QStringList()); // nothing where the card was
        QCOMPARE(readBytes(full.filePath("VELOMAR/Kestra.cfg")), cardBytes("STATION 04", true));
        QCOMPARE(folderEntries(full.filePath("VELOMAR")), QStringList{"Kestra.cfg"});

        const QStringList log = QString::fromUtf8(readBytes(file("log.csv"))).split('\n');
        QCOMPARE(log.size(), 6); // the heading, four rows, the end of the last
        QCOMPARE(log[0], QStringLiteral("time,serial,mount path,label,sha256,result,settings "
                                        "sha256,date-time,version"));
        // Every row names the settings file, the switch-on time and the tool that wrote it.
        const QString run =
            "," + sha256(settingsFileBytes(deployed())) + ",2024-06-01 06:30," KESTRA_CFG_VERSION;
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
            QVERIFY2(log[i + 1].endsWith(run), qPrintable(log[i + 1]));
            QStringList columns = log[i + 1].chopped(run.size()).split(QLatin1Char(','));
            QVERIFY2(utc.match(columns.takeFirst()).hasMatch(), qPrintable(log[i + 1]));
            QCOMPARE(columns, rows[i]);
        }
        QCOMPARE(log[5], QString());
    }

    // Folders given with --folder need no card: what a person sees, the bytes in each folder.
    void deployToFolders_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after "deploy base.cfg"
        QTest::addColumn<QByteArray>("map");        // map.csv; null: none
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QStringList>("labels"); // of folders a, b and c; "-": nothing written
        QTest::addColumn<bool>("dated");

        const QStringList ab{"--folder", "a", "--folder", "b"};
        QTest::newRow("every folder, no switch-on time")
            << ab << QByteArray() << 0
            << "a (folder): written, label \"TEMPLATE\"\nb (folder): written, label "
               "\"TEMPLATE\"\n2 cards have the label \"TEMPLATE\": a (folder), b (folder)\n"
               "2 of 2 cards written\n"
            << QStringList{"TEMPLATE", "TEMPLATE", "-"} << false;
        QTest::newRow("a switch-on time")
            << QStringList{"--folder", "b", "--date-time", "2024-06-01 06:30"} << QByteArray() << 0
            << "b (folder): written, label \"TEMPLATE\"\n1 of 1 card written\n"
            << QStringList{"-", "TEMPLATE", "-"} << true;
        QTest::newRow("a folder named twice is written once")
            << QStringList{"--folder", "a", "--folder", "./a/"} << QByteArray() << 0
            << "a (folder): written, label \"TEMPLATE\"\na and ./a/ name the same card: it is "
               "written once\n1 of 1 card written\n"
            << QStringList{"TEMPLATE", "-", "-"} << false;
        QTest::newRow("a missing folder fails, the others go on")
            << QStringList{"--folder", "a", "--folder", "c"} << QByteArray("a,ONE\n") << 1
            << "a (folder): written, label \"ONE\"\nc (folder): failed: there is no folder of "
               "this name. Check the path, or make the folder first.\n1 of 2 written, 1 failed: "
               "c (folder, no such folder)\n"
            << QStringList{"ONE", "-", "-"} << false;
        // A plain folder is no card, whatever its name.
        QTest::newRow("a folder named as a card")
            << QStringList{"a", "--folder", "b"} << QByteArray() << 1
            << "a: failed: there is no card of this name. Insert the card and wait until it is "
               "mounted; to write into a plain folder, give it with --folder.\nb (folder): "
               "written, label \"TEMPLATE\"\n1 of 2 written, 1 failed: a (no such card)\n"
            << QStringList{"-", "TEMPLATE", "-"} << false;
        QTest::newRow("labels; a heading, quotes, CR LF, a byte order mark")
            << ab
            << QByteArray("\xEF\xBB\xBF"
                          "card,label\r\na,\"NORTH, 1\"\r\n b , SOUTH 2 \r\n")
            << 0
            << "a (folder): written, label \"NORTH, 1\"\nb (folder): written, label \"SOUTH "
               "2\"\n2 of 2 cards written\n"
            << QStringList{"NORTH, 1", "SOUTH 2", "-"} << false;
        QTest::newRow("a folder without a row fails, rows without a card are said")
            << ab << QByteArray("a,ONE\nc,THREE\nd,FOUR\n") << 1
            << "a (folder): written, label \"ONE\"\nb (folder): failed: no row of map.csv names "
               "this card. Add a row for the card to map.csv.\n2 rows of map.csv gave no card "
               "its label: line 2 (c), line 3 (d)\n1 of 2 written, 1 failed: b (folder, no label)\n"
            << QStringList{"ONE", "-", "-"} << false;
        // JSON Lines: a card an object, then the account (' for ").
        const QString json =
            "{'card':'a','mountPath':'a','serial':null,'folder':true,'label':'TEMPLATE',"
            "'result':'written','sha256':'" +
            QString::fromLatin1(sha256(cardBytes("TEMPLATE", false))) +
            "'}\n"
            "{'card':'c','mountPath':'c','serial':null,'folder':true,'label':null,"
            "'result':'failed','cause':'no such folder','reason':'there is no folder of this "
            "name','remedy':'Check the path, or make the folder first.'}\n"
            "{'summary':'1 of 2 written, 1 failed: c (folder, no such folder)','cards':2,"
            "'written':1,'failed':[{'card':'c','mountPath':'c','cause':'no such folder'}],"
            "'notes':[],'dryRun':false}\n";
        QTest::newRow("JSON Lines")
            << QStringList{"--folder", "a", "--folder", "c", "--json"} << QByteArray() << 1
            << QString(json).replace('\'', '"') << QStringList{"TEMPLATE", "-", "-"} << false;
        QTest::newRow("a dry run writes nothing")
            << ab + QStringList{"--dry-run"} << QByteArray("a,ONE\nb,TWO\n") << 0
            << "a (folder): would be written, label \"ONE\"; the card holds no settings yet\n"
               "b (folder): would be written, label \"TWO\"; the card holds no settings yet\n"
               "2 of 2 cards would be written\n"
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
        // TRAIL by its mount path: a place is checked again as a serial is.
        const QString trail = machine.mountPoint(QStringLiteral("TRAIL"));
        const Run r = run(machine, {"deploy", "base.cfg", trail, "E7C0-4B19"});
        faults.clear();

        const QString spare = machine.mountPoint(QStringLiteral("SPARE"));
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.out),
                 trail +
                     " (3F8B-21D4): failed: another card is in its place now. Insert the card "
                     "that was listed and run the command again.\n" +
                     spare + " (E7C0-4B19): failed: what was read back from " + spare +
                     "/VELOMAR/Kestra.cfg differs from what was written. Run the command again; "
                     "replace the card if it fails again.\n" +
                     "0 of 2 written, 2 failed: " + trail +
                     " (3F8B-21D4, another card in its "
                     "place), " +
                     spare + " (E7C0-4B19, read back differs)\n");
        QCOMPARE(r.err, QByteArray());
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
                     card.path() +
                     " (3F8B-21D4): failed: the card is no longer there. Insert the card again "
                     "and run the command again.\n1 of 2 written, 1 failed: " +
                     card.path() + " (3F8B-21D4, pulled out)\n");
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
        // A line a card, the note that they all got one label, the account, the last newline.
        QCOMPARE(lines.size(), kCards + 3);
        QCOMPARE(lines[150], machine.mountPoint("CARD150").toUtf8() +
                                 " (C0DE-0096): failed: the card is no longer there. Insert the "
                                 "card again and run the command again.");
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
        QCOMPARE(r.err, QByteArray());
        const char *folders[] = {"a", "b", "c"};
        for (int i = 0; i < 3; ++i) {
            const QString settings = dir.filePath(QString::fromLatin1(folders[i]) + "/VELOMAR");
            if (labels[i] == QLatin1String("-"))
                QVERIFY2(!QFileInfo::exists(settings), folders[i]);
            else
                QCOMPARE(readBytes(settings + "/Kestra.cfg"), cardBytes(labels[i], dated));
        }
    }

    // A card that another run holds is left to it; the other cards are written.
    void deployLeavesACardInUseToTheOtherRun()
    {
        CardMachine machine(QStringLiteral("util-linux-2.38-uuid.json"));
        QVERIFY(machine.isReady());
        QVERIFY(machine.publish());
        QVERIFY(putOnCard(machine, QStringLiteral("TRAIL=OLD")));
        const platform::CardLock other(machine.mountPoint("TRAIL").toStdString());
        QVERIFY(other.held());

        const Run r = run(machine, {"deploy", "base.cfg", "3F8B-21D4", "E7C0-4B19"});
        const QString trail = machine.mountPoint("TRAIL");
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.out),
                 trail +
                     " (3F8B-21D4): failed: in use by another kestra-cfg run. Wait until the "
                     "other run has finished, then run the command again.\n" +
                     machine.mountPoint("SPARE") + " (E7C0-4B19): written, label \"TEMPLATE\"\n" +
                     "1 of 2 written, 1 failed: " + trail + " (3F8B-21D4, in use)\n");
        QCOMPARE(readBytes(machine.settingsPath("TRAIL")), settingsFileBytes(labelled("OLD")));
        QCOMPARE(readBytes(machine.settingsPath("SPARE")), cardBytes("TEMPLATE", false));
    }

    // A link where the card folder or the settings file should be is refused, and what it
    // points to keeps its bytes.
    void deployNeverWritesThroughALink_data()
    {
        QTest::addColumn<QString>("link");   // in the folder a, pointing to ../elsewhere/NAME
        QTest::addColumn<QString>("target"); // what the link points to, holding the old bytes
        QTest::newRow("the card folder") << "VELOMAR"
                                         << "elsewhere/VELOMAR/Kestra.cfg";
        QTest::newRow("the settings file") << "VELOMAR/Kestra.cfg"
                                           << "elsewhere/Kestra.cfg";
    }
    void deployNeverWritesThroughALink()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        CardMachine machine(QStringLiteral(R"({"blockdevices": []})"));
        QVERIFY(machine.isReady() && machine.publish());
        const QByteArray old = settingsFileBytes(labelled("OLD"));
        QVERIFY(QDir(dir.path()).mkpath("a/VELOMAR") &&
                QDir(dir.path()).mkpath("elsewhere/VELOMAR"));
        if (link == QLatin1String("VELOMAR"))
            QVERIFY(QDir(file("a")).rmdir("VELOMAR"));
        QVERIFY(writeBytes(file(target.toLatin1()), old));
        QVERIFY(QFile::link(file(("elsewhere/" + link.section('/', -1)).toLatin1()),
                            file(("a/" + link).toLatin1())));

        for (const char *rehearsal : {"--json", "--dry-run"}) {
            const Run r = run(machine, {"deploy", "base.cfg", "--folder", "a", rehearsal});
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.out.contains(("a/" + link +
                                     " is a symbolic link, which is never written "
                                     "through")
                                        .toUtf8()),
                     r.out.constData());
            QCOMPARE(readBytes(file(target.toLatin1())), old);
        }
    }

    // The rehearsal checks each card as the write would and touches none; the real run then
    // fails the same cards. A full card takes the new file in its old one's space, and a full
    // card without one cannot.
    void dryRunFailsWhatTheRealRunFails()
    {
        if (::geteuid() != 0)
            QSKIP("the read-only and the full cards are tmpfs mounts, which need root");
        CardMachine machine(QStringLiteral("util-linux-2.38-uuid.json"));
        QVERIFY(machine.isReady());
        TmpfsMount readOnly("size=64k,mode=0755");
        TmpfsMount full("size=64k,mode=0755");
        TmpfsMount fullWithoutFile("size=64k,mode=0755");
        if (!readOnly.mounted() || !full.mounted() || !fullWithoutFile.mounted())
            QSKIP(qPrintable("cannot mount a tmpfs here: " + readOnly.error()));
        const QByteArray old = settingsFileBytes(labelled("OLD"));
        for (const TmpfsMount *medium : {&readOnly, &full}) {
            QVERIFY(QDir().mkpath(medium->filePath("VELOMAR")));
            QVERIFY(writeBytes(medium->filePath("VELOMAR/Kestra.cfg"), old));
        }
        QVERIFY(readOnly.remountReadOnly());
        QVERIFY(full.fill() && fullWithoutFile.fill());
        machine.mountAt(QStringLiteral("TRAIL"), readOnly.path());
        machine.mountAt(QStringLiteral("0A1B-2C3D"), fullWithoutFile.path());
        machine.mountAt(QStringLiteral("SPARE"), full.path());
        QVERIFY(machine.publish());
        QVERIFY(putOnCard(machine, QStringLiteral("CAM2=TEMPLATE")));
        const QStringList mounts{machine.mountPoint("CAM2"), readOnly.path(),
                                 fullWithoutFile.path(), full.path()};
        auto everything = [&mounts] {
            QList<QByteArray> state;
            for (const QString &mount : mounts)
                state << folderEntries(mount).join('|').toUtf8()
                      << folderEntries(mount + "/VELOMAR").join('|').toUtf8()
                      << readBytes(mount + "/VELOMAR/Kestra.cfg");
            return state;
        };
        const QList<QByteArray> before = everything();

        const Run dry = run(machine, {"deploy", "base.cfg", "--all-cards", "--dry-run"});
        QCOMPARE(dry.exitCode, 1);
        const QString fails = "2 failed: " + readOnly.path() + " (3F8B-21D4, write-protected), " +
                              fullWithoutFile.path() + " (0A1B-2C3D, card full)";
        QCOMPARE(QString::fromUtf8(dry.out),
                 mounts[0] +
                     " (5C1E-7A20): would be written, label \"TEMPLATE\"; changes "
                     "quickset, picture-interval\n" +
                     readOnly.path() + " (3F8B-21D4): failed: " + readOnly.path() +
                     "/VELOMAR/Kestra.cfg is on a write-protected medium. Switch off the card's "
                     "write-protect (the slider on its side) and run the command again.\n" +
                     fullWithoutFile.path() +
                     " (0A1B-2C3D): failed: Destination disk drive is full. Free space on the "
                     "card and run the command again.\n" +
                     full.path() +
                     " (E7C0-4B19): would be written, label \"TEMPLATE\"; changes "
                     "quickset, picture-interval, label\n" +
                     machine.mountPoint("BIGCARD") +
                     " skipped: exFAT, not FAT; the cameras read FAT and FAT32 only\n" +
                     machine.mountPoint("Backup") +
                     " skipped: NTFS, not FAT; the cameras read FAT and FAT32 only\n" +
                     "2 cards have the label \"TEMPLATE\": " + mounts[0] + " (5C1E-7A20), " +
                     full.path() + " (E7C0-4B19)\n2 of 4 would be written, " +
                     QString(fails).replace("failed", "would fail") + "\n");
        QCOMPARE(everything(), before);

        const Run real = run(machine, {"deploy", "base.cfg", "--all-cards"});
        QCOMPARE(real.exitCode, 1);
        QVERIFY2(real.out.endsWith(("2 of 4 written, " + fails + "\n").toUtf8()),
                 real.out.constData());
        QCOMPARE(readBytes(full.filePath("VELOMAR/Kestra.cfg")), cardBytes("TEMPLATE", false));
    }

    // --keep-labels: each card keeps the label of the settings it holds, unless the map names it.
    void deployKeepsLabels_data()
    {
        QTest::addColumn<QByteArray>("map"); // null: none
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QStringList>("labels"); // of a and b; "-": unchanged

        QTest::newRow("each card its own")
            << QByteArray()
            << "a (folder): written, label \"OWN A\"\nb (folder): failed: it holds no settings "
               "whose camera label could be kept. Give the card a row in a label map (--labels), "
               "or leave out --keep-labels.\n1 of 2 written, 1 failed: b (folder, no label to "
               "keep)\n"
            << QStringList{"OWN A", "-"};
        QTest::newRow("the map wins where it names the card")
            << QByteArray("b,MAP B\na,MAP A\n")
            << "a (folder): written, label \"MAP A\"\nb (folder): written, label \"MAP B\"\n"
               "2 of 2 cards written\n"
            << QStringList{"MAP A", "MAP B"};
        QTest::newRow("the others keep theirs")
            << QByteArray("b,MAP B\n")
            << "a (folder): written, label \"OWN A\"\nb (folder): written, label \"MAP B\"\n"
               "2 of 2 cards written\n"
            << QStringList{"OWN A", "MAP B"};
    }
    void deployKeepsLabels()
    {
        QFETCH(QByteArray, map);
        QFETCH(QString, lines);
        QFETCH(QStringList, labels);
        CardMachine machine(QStringLiteral(R"({"blockdevices": []})"));
        QVERIFY(machine.isReady() && machine.publish());
        QVERIFY(QDir(dir.path()).mkpath("a/VELOMAR") && QDir(dir.path()).mkpath("b/VELOMAR"));
        QVERIFY(writeBytes(file("a/VELOMAR/Kestra.cfg"), settingsFileBytes(labelled("OWN A"))));
        const ScopedEnvironment dataHome("XDG_DATA_HOME", QFile::encodeName(file("data")));
        QStringList arguments{"deploy",   "base.cfg", "--folder",     "a",
                              "--folder", "b",        "--keep-labels"};
        if (!map.isNull()) {
            QVERIFY(writeBytes(file("map.csv"), map));
            arguments << "--labels"
                      << "map.csv";
        }
        const Run r = run(machine, arguments);
        QCOMPARE(QString::fromUtf8(r.out), lines);
        QCOMPARE(r.exitCode, lines.contains("failed") ? 1 : 0);
        const char *folders[] = {"a", "b"};
        for (int i = 0; i < 2; ++i) {
            const QString settings = file(folders[i]) + "/VELOMAR/Kestra.cfg";
            if (labels[i] != QLatin1String("-"))
                QCOMPARE(readBytes(settings), cardBytes(labels[i], false));
        }
        QVERIFY(!QFileInfo::exists(file("b/VELOMAR/Kestra.cfg")) || labels[1] != "-");
        // What a held before it was replaced is kept on this computer; b held nothing.
        const QDir replaced(file("data/Velomar/velomar-settings/replaced"));
        const QStringList copies = replaced.entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY2(copies.front().startsWith("no-serial_") && copies.front().endsWith("_OWN-A.cfg"),
                 qPrintable(copies.front()));
        QCOMPARE(readBytes(replaced.filePath(copies.front())), settingsFileBytes(labelled("OWN A")));
    }

    // The log gains a row per card on every run; the heading comes once; a dry run adds none.
    void deployLogKeepsEveryRun()
    {
        CardMachine machine(QStringLiteral(R"({"blockdevices": []})"));
        QVERIFY(machine.isReady() && machine.publish());
        QVERIFY(QDir(dir.path()).mkdir("a"));
        const QStringList log{"--log", "log.csv"};
        QCOMPARE(run(machine, QStringList{"deploy", "base.cfg", "--folder", "a"} + log).exitCode,
                 0);
        QCOMPARE(run(machine,
                     QStringList{"deploy", "base.cfg", "--folder", "a", "--folder", "gone"} + log)
                     .exitCode,
                 1);
        QCOMPARE(run(machine, QStringList{"deploy", "base.cfg", "--folder", "a", "--dry-run"} + log)
                     .exitCode,
                 0);

        QStringList rows = QString::fromUtf8(readBytes(file("log.csv"))).split('\n');
        for (QString &row : rows)
            row = row.section(QLatin1Char(','), 1); // the time varies
        const QString run = "," + sha256(settingsFileBytes(deployed())) + ",," KESTRA_CFG_VERSION;
        const QString written =
            "folder,a,TEMPLATE," + sha256(cardBytes("TEMPLATE", false)) + ",written" + run;
        QCOMPARE(rows,
                 (QStringList{"serial,mount path,label,sha256,result,settings "
                              "sha256,date-time,version",
                              written, written,
                              "folder,gone,,,failed: there is no folder of this name" + run, ""}));
    }

    // Values that cannot be used stop the run before any card is touched.
    void deployRefusesBadInputBeforeAnyCard_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after "deploy base.cfg", the folders a and b
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

        // A run whose log cannot be kept, rehearsed or not.
        for (const bool dry : {false, true}) {
            const QStringList log{"--log", "nowhere/log.csv"};
            QTest::addRow("a log in a missing folder%s", dry ? ", dry run" : "")
                << (dry ? log + QStringList{"--dry-run"} : log) << QByteArray()
                << QByteArray("nowhere/log.csv: cannot be written: its folder does not exist\n");
        }
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

        if (!arguments.contains("--log"))
            arguments << "--log"
                      << "log.csv";
        const Run r =
            run(machine,
                QStringList{"deploy", "base.cfg", "--folder", "a", "--folder", "b"} + arguments);
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
