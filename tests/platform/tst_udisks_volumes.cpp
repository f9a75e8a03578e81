#include "fake_lsblk_program.h"
#include "fake_udisks2.h"
#include "fake_volume_source.h"
#include "platform/udisks_volumes.h"
#include "scoped_environment.h"
#include "settings/card_scan.h"
#include "volume_description.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include <poll.h>

using platform::MountResult;

Q_DECLARE_METATYPE(MountResult::Outcome)

namespace {

// Long enough for a loaded machine, short enough that a test about a hanging daemon is quick.
constexpr std::chrono::milliseconds kShortLimit{1000};

// Waits up to `milliseconds` for news on the source's descriptor.
bool newsArrives(platform::VolumeSource &source, int milliseconds)
{
    pollfd descriptor{source.eventDescriptor(), POLLIN, 0};
    return descriptor.fd >= 0 && poll(&descriptor, 1, milliseconds) > 0;
}

// Takes the news of the next second until one says the volumes changed.
bool changeAnnounced(platform::VolumeSource &source)
{
    const QDeadlineTimer deadline(1000);
    while (newsArrives(source, int(deadline.remainingTime()))) {
        if (source.dispatchEvents())
            return true;
    }
    return false;
}

// The volumes the source could mount: "/dev/sdb1 removable FAT32 [SPARE] 5E1F-92A0".
QStringList describeUnmounted(platform::VolumeSource &source)
{
    QStringList volumes;
    for (const platform::UnmountedVolume &volume : source.unmountedVolumes()) {
        const platform::VolumeInformation &information = volume.information;
        volumes.append(
            QStringLiteral("%1 %2 %3 [%4] %5")
                .arg(QString::fromStdString(information.device),
                     volume.removable ? QStringLiteral("removable") : QStringLiteral("fixed"),
                     QString::fromStdString(information.fileSystemName),
                     QString::fromStdString(information.volumeName),
                     QString::fromStdString(information.serial)));
    }
    return volumes;
}

// The desk's file systems that are not mounted: a card, and a partition of a USB hard disk.
const QString kSpare = QStringLiteral("/dev/sdb1 removable FAT32 [SPARE] 5E1F-92A0");
const QString kArchive = QStringLiteral("/dev/sdc2 fixed FAT32 [ARCHIVE] 62D4-8E11");

// The cards the editor offers from `source`: "/media/user/TRAIL FAT32 [TRAIL]".
QStringList describeCards(platform::VolumeSource &source)
{
    QStringList cards;
    for (const FoundCard &card : FindCards(source))
        cards.append(QStringLiteral("%1 %2 [%3]")
                         .arg(QString::fromStdString(card.root),
                              QString::fromStdString(card.volume.fileSystemName),
                              QString::fromStdString(card.volume.volumeName)));
    return cards;
}

} // namespace

class TestUDisksVolumes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(udisks.started(), "the fake UDisks2 did not start"); }

    void init() { QVERIFY2(udisks.load(QStringLiteral("desk.json")), udisks.lastError); }

    // The card rules see the same mounted drives through either source; only UDisks2 knows
    // the card that is not mounted. A USB hard disk is fixed, as Windows sees it.
    void sameDrivesAsLsblkOnTheSameMachine()
    {
        const auto source = platform::CreateUDisksVolumeSource(platform::kUDisksTimeLimit);
        QVERIFY(source);
        FakeVolumeSource lsblk;
        QVERIFY(lsblk.load(QStringLiteral(VELOMAR_LSBLK_RECORDINGS),
                           QStringLiteral("util-linux-2.38-desk.json"), udisks.mountBase()));

        QStringList drives{
            "@/CAM2 removable FAT32 [CAM2] 7E21-0C44",
            "/boot/efi fixed FAT32 [] 3A4B-5C6D",
            "/ fixed ext4 []",
            "@/TRAIL removable FAT32 [TRAIL] 5A2B-11C3",
            "@/BACKUP fixed FAT32 [BACKUP] 62D4-8E10",
            "@/STICK removable ntfs [STICK]",
            "@/0A1B-2C3D removable FAT [] 0A1B-2C3D",
        };
        drives.replaceInStrings(QStringLiteral("@"), udisks.mountBase());
        QCOMPARE(describeDrives(*source), drives);
        // That lsblk was asked without the UUID column, so it tells no serials.
        drives.replaceInStrings(QRegularExpression(QStringLiteral(" [0-9A-F]{4}-[0-9A-F]{4}$")),
                                QString());
        QCOMPARE(describeDrives(lsblk), drives);

        QCOMPARE(describeUnmounted(*source), (QStringList{kSpare, kArchive}));
        QVERIFY(lsblk.unmountedVolumes().empty());

        // The recorded UUID is in lower case.
        const auto unlabelled =
            source->volumeInformation(udisks.mountPoint(QStringLiteral("0A1B-2C3D")).toStdString());
        QVERIFY(unlabelled);
        QCOMPARE(unlabelled->serial, std::string("0A1B-2C3D"));
        QCOMPARE(unlabelled->device, std::string("/dev/sde1"));
    }

    // Whether UDisks2 runs or not, the same cards are offered: each recorded machine is an lsblk
    // recording, a UDisks2 tree and the kernel's sysfs (tests/data/sysfs). The eMMC a laptop
    // boots from is on the mmc bus as its SD slot is, with a FAT32 EFI partition: no card.
    void sameCardsAsLsblkOnEachRecordedMachine_data()
    {
        QTest::addColumn<QString>("machine"); // the UDisks2 tree; util-linux-2.38-MACHINE.json
        QTest::addColumn<QString>("sysfsTree");
        QTest::addColumn<QStringList>("cards"); // "@" for the mount base

        QTest::newRow("desk with an SD slot")
            << "desk"
            << "sd-slot"
            << QStringList{"@/CAM2 FAT32 [CAM2]", "@/TRAIL FAT32 [TRAIL]", "@/0A1B-2C3D FAT []"};
        QTest::newRow("laptop with eMMC and an SD card")
            << "emmc-laptop"
            << "emmc-laptop" << QStringList{"@/RIDGE FAT32 [RIDGE]"};
        QTest::newRow("laptop with eMMC, an SD card and a USB reader")
            << "emmc-laptop-reader"
            << "emmc-laptop" << QStringList{"@/RIDGE FAT32 [RIDGE]", "@/TRAIL FAT32 [TRAIL]"};
    }

    void sameCardsAsLsblkOnEachRecordedMachine()
    {
        QFETCH(QString, machine);
        QFETCH(QString, sysfsTree);
        QFETCH(QStringList, cards);

        QVERIFY2(udisks.load(machine + QStringLiteral(".json")), udisks.lastError);
        const auto source = platform::CreateUDisksVolumeSource(platform::kUDisksTimeLimit);
        QVERIFY(source);
        FakeVolumeSource lsblk(sysfsTree);
        QVERIFY(lsblk.load(QStringLiteral(VELOMAR_LSBLK_RECORDINGS),
                           "util-linux-2.38-" + machine + ".json", udisks.mountBase()));

        cards.replaceInStrings(QStringLiteral("@"), udisks.mountBase());
        QCOMPARE(describeCards(*source), cards);
        QCOMPARE(describeCards(lsblk), cards);
        // Every other mounted drive is fixed to both; the desk's lsblk tells no serials.
        const QRegularExpression serial(QStringLiteral(" [0-9A-F]{4}-[0-9A-F]{4}$"));
        QCOMPARE(describeDrives(lsblk).replaceInStrings(serial, QString()),
                 describeDrives(*source).replaceInStrings(serial, QString()));
    }

    // Refusals and failures are told apart where the user sees them, in the card tests.
    void mountAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("device");
        QTest::addColumn<MountResult::Outcome>("outcome");
        QTest::addColumn<QString>("mountPoint");    // under the mount base
        QTest::addColumn<QString>("message");       // its start
        QTest::addColumn<QStringList>("unmounted"); // afterwards

        const QStringList spare{kSpare, kArchive};
        QTest::newRow("mounted") << "success"
                                 << "/dev/sdb1" << MountResult::Outcome::Mounted << "SPARE"
                                 << "" << QStringList{kArchive};
        QTest::newRow("the desktop mounted it first")
            << "already-mounted"
            << "/dev/sdb1" << MountResult::Outcome::Mounted << "SPARE"
            << "" << QStringList{kArchive};
        QTest::newRow("card pulled before") << "success"
                                            << "/dev/sdz1" << MountResult::Outcome::Failed << ""
                                            << "/dev/sdz1 is no longer there." << spare;
        QTest::newRow("mounted already") << "error"
                                         << "/dev/sda1" << MountResult::Outcome::Mounted << "TRAIL"
                                         << "" << spare;
    }

    void mountAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(QString, device);
        QFETCH(MountResult::Outcome, outcome);
        QFETCH(QString, mountPoint);
        QFETCH(QString, message);
        QFETCH(QStringList, unmounted);

        QVERIFY2(udisks.answerMount(answer), udisks.lastError);
        const auto source = platform::CreateUDisksVolumeSource(platform::kUDisksTimeLimit);
        QVERIFY(source);

        std::optional<MountResult> result;
        source->mount(device.toStdString(), [&](const MountResult &r) { result = r; });
        const QDeadlineTimer deadline(5000);
        while (!result && newsArrives(*source, int(deadline.remainingTime())))
            source->dispatchEvents();
        QVERIFY(result);
        QCOMPARE(result->outcome, outcome);
        QCOMPARE(QString::fromStdString(result->mountPoint),
                 mountPoint.isEmpty() ? QString() : udisks.mountPoint(mountPoint));
        QVERIFY2(QString::fromStdString(result->message).startsWith(message),
                 result->message.c_str());
        // A mounted card is no longer offered for mounting.
        QCOMPARE(describeUnmounted(*source), unmounted);
    }

    // News wakes the descriptor; once it is taken, the descriptor is quiet again. The card
    // tests follow cards that are pulled out or mounted by the desktop.
    void changesAreAnnounced_data()
    {
        QTest::addColumn<bool>("inserted"); // the card SPARE goes in while the source watches

        QTest::newRow("card inserted") << true;
        QTest::newRow("nothing happens") << false;
    }

    void changesAreAnnounced()
    {
        QFETCH(bool, inserted);

        QVERIFY2(udisks.unplug(QStringLiteral("sdb")), udisks.lastError);
        const auto source = platform::CreateUDisksVolumeSource(platform::kUDisksTimeLimit);
        QVERIFY(source);
        QVERIFY(source->eventDescriptor() >= 0);
        QVERIFY(!newsArrives(*source, 0));

        if (inserted)
            QVERIFY2(udisks.plug(QStringLiteral("sdb")), udisks.lastError);
        QCOMPARE(changeAnnounced(*source), inserted);
        QVERIFY(!newsArrives(*source, 0));
        const QStringList unmounted =
            inserted ? QStringList{kSpare, kArchive} : QStringList{kArchive};
        QCOMPARE(describeUnmounted(*source), unmounted);
    }

    // Servers, containers and minimal desktops have no UDisks2: the editor then asks lsblk.
    void withoutUDisksTheDesktopSourceIsLsblk_data()
    {
        QTest::addColumn<QString>("service"); // of a fake of its own; empty: no bus at all
        QTest::addColumn<bool>("udisks");

        QTest::newRow("no system bus") << "" << false;
        QTest::newRow("a bus without UDisks2") << "none" << false;
        QTest::newRow("UDisks2 does not answer") << "hangs" << false;
        QTest::newRow("UDisks2 answers") << "answers" << true;
    }

    void withoutUDisksTheDesktopSourceIsLsblk()
    {
        QFETCH(QString, service);
        QFETCH(bool, udisks);

        FakeLsblkProgram lsblk(
            QStringLiteral(VELOMAR_LSBLK_RECORDINGS "/util-linux-2.38-desk.json"));
        QVERIFY(lsblk.ready());

        std::optional<ScopedEnvironment> noBus;
        std::optional<FakeUDisks2> fake;
        if (service.isEmpty()) {
            noBus.emplace("DBUS_SYSTEM_BUS_ADDRESS",
                          "unix:path=" + lsblk.folder().toLocal8Bit() + "/no-bus");
        } else if (service != QLatin1String("answers")) {
            fake.emplace(service);
            QVERIFY(fake->started());
        }

        QCOMPARE(bool(platform::CreateUDisksVolumeSource(kShortLimit)), udisks);
        // The editor's start waits for no daemon: lsblk answers until UDisks2 has, which is
        // news.
        QElapsedTimer clock;
        clock.start();
        const auto desktop = platform::CreateDesktopVolumeSource();
        QVERIFY(desktop);
        QVERIFY2(clock.elapsed() < platform::kUDisksTimeLimit.count() / 2, "start-up waited");
        while (newsArrives(*desktop, 1000))
            desktop->dispatchEvents();
        // Only UDisks2 offers the card that is not mounted; lsblk mounts under /media/user.
        QCOMPARE(describeUnmounted(*desktop).size(), udisks ? 2 : 0);
        const auto roots = desktop->candidateDrives();
        QCOMPARE(std::count(roots.begin(), roots.end(), "/media/user/TRAIL"), udisks ? 0 : 1);
    }

private:
    FakeUDisks2 udisks;
};

QTEST_GUILESS_MAIN(TestUDisksVolumes)
#include "tst_udisks_volumes.moc"
