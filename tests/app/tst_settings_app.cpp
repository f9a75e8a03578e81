#include "app/kestra_sheet.h"
#include "app/settings_app.h"
#include "fake_udisks2.h"
#include "gui_run.h"
#include "gui_test.h"
#include "modal_script.h"
#include "platform/card_volumes.h"
#include "platform/udisks_volumes.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

namespace {

// Drives made up by the test: each card is a folder standing for its mount point.
class TestVolumes : public platform::VolumeSource
{
public:
    std::vector<std::string> candidateDrives() override
    {
        ++queries;
        return cards;
    }
    bool isRemovable(const std::string &) override { return true; }
    std::optional<platform::VolumeInformation> volumeInformation(const std::string &) override
    {
        return platform::VolumeInformation{"TRAIL", "FAT32", "2468-ACE0"};
    }

    std::vector<std::string> cards;
    int queries = 0;
};

struct StartUp
{
    StartUp()
    {
        platform.program = folder.filePath(QStringLiteral("velomar-settings"));
        QDir(folder.path()).mkdir(QStringLiteral("card"));
    }

    // A card that already holds its settings file, so that it is taken without asking.
    QString insertPreparedCard()
    {
        const QString root = folder.filePath(QStringLiteral("card"));
        QDir(root).mkpath(QStringLiteral("VELOMAR"));
        QFile file(root + QStringLiteral("/VELOMAR/Kestra.cfg"));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(234, '\0'));
        volumes.cards.push_back(root.toStdString());
        return file.fileName();
    }

    bool run(const QString &commandLine)
    {
        return app.InitInstance(commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts), volumes);
    }

    FakePlatformServices platform;
    ScriptedMessages messages;
    testfiles::WorkFolder folder;
    TestVolumes volumes;
    CSettingsApp app;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A step that checks the main sheet came up as expected and closes it with Cancel.
ModalScript::Step closeSheet(QString *title)
{
    return [title](QDialog *dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("kestraSheet"));
        *title = dialog->windowTitle();
        clickControl(dialog, QStringLiteral("cancelButton"));
    };
}

} // namespace

class TestSettingsApp : public GuiTest
{
    Q_OBJECT

private slots:
    void otherModesAreRefusedBeforeAnyCardIsLookedFor_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("read-only with REC") << "-RDONLY -REC";
        QTest::newRow("KESTRA, slash form") << "/KESTRA";
        QTest::newRow("a word that contains -REC") << "-RECORD";
        QTest::newRow("SECURITY in lower case") << "-security";
    }
    void otherModesAreRefusedBeforeAnyCardIsLookedFor()
    {
        QFETCH(QString, commandLine);
        StartUp start;
        start.messages.expect(QStringLiteral("Unknown command line parameter."));
        QVERIFY(!start.run(commandLine));
        const Message &shown = start.messages.shownMessage(0);
        QCOMPARE(shown.caption, QStringLiteral("velomar-settings"));
        QCOMPARE(shown.icon, MessageIcon::Stop);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QCOMPARE(start.volumes.queries, 0);
    }

    void aPreparedCardOpensTheSheetOnIt_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("no command line") << "";
        QTest::newRow("PRO before SECURITY") << "/PRO -SECURITY";
        QTest::newRow("unknown words are ignored") << "HELLO";
    }
    void aPreparedCardOpensTheSheetOnIt()
    {
        QFETCH(QString, commandLine);
        StartUp start;
        const QString cardFile = start.insertPreparedCard();
        QString title;
        ModalScript person;
        person.then(closeSheet(&title));
        QVERIFY(!start.run(commandLine));
        QCOMPARE(person.opened(), 1);
        QCOMPARE(title, QStringLiteral("Velomar - Professional Settings"));
        QCOMPARE(start.app.cardSettingsPath, cardFile);
        QCOMPARE(start.app.localSettingsPath, start.folder.filePath(QStringLiteral("Kestra.cfg")));
        QVERIFY(!start.app.state.readOnly);
        QCOMPARE(start.app.state.operatingMode, OperatingMode::PRO);
        QCOMPARE(start.app.state.carrierIndex, -1);
    }

    void readOnlyOnTheCommandLineLooksForNoCard()
    {
        StartUp start;
        start.insertPreparedCard();
        QString title;
        ModalScript person;
        person.then(closeSheet(&title));
        start.run(QStringLiteral("-rdonly"));
        QCOMPARE(start.volumes.queries, 0);
        QVERIFY(start.app.state.readOnly);
        QVERIFY(start.app.cardSettingsPath.isEmpty());
        QCOMPARE(title, QStringLiteral("Velomar - Professional Settings (read only)"));
    }

    void withoutACardTheRunCanGoOnReadOnlyOrEnd()
    {
        {
            StartUp start;
            QString title;
            ModalScript person;
            person
                .then([](QDialog *dialog) {
                    QCOMPARE(dialog->objectName(), QStringLiteral("noCardDialog"));
                    clickControl(dialog, QStringLiteral("readOnlyButton"));
                })
                .then(closeSheet(&title));
            start.run(QString());
            QVERIFY(start.app.state.readOnly);
            QVERIFY(start.app.cardSettingsPath.isEmpty());
            QVERIFY(title.endsWith(QStringLiteral(" (read only)")));
        }
        {
            StartUp start;
            ModalScript person;
            person.then(
                [](QDialog *dialog) { clickControl(dialog, QStringLiteral("exitButton")); });
            QVERIFY(!start.run(QString()));
            QCOMPARE(person.opened(), 1); // the no-card dialog, and no sheet after it
        }
    }

    // A card the editor mounted for the user is unmounted once its settings are on it, so that
    // it can be pulled out at once; one the desktop had mounted stays as it was. The unmount is
    // not waited for: a daemon that stops answering just then does not hold the sheet.
    void aCardMountedByTheEditorIsUnmountedAfterOk_data()
    {
        QTest::addColumn<QString>("mountAnswer");
        QTest::addColumn<QString>("unmounted");
        QTest::newRow("mounted by the editor") << "success"
                                               << "/dev/sdb1";
        QTest::newRow("mounted by the desktop first") << "already-mounted"
                                                      << "";
        QTest::newRow("mounted by the editor, then UDisks2 hangs") << "success"
                                                                   << "<hangs>";
    }
    void aCardMountedByTheEditorIsUnmountedAfterOk()
    {
        QFETCH(QString, mountAnswer);
        QFETCH(QString, unmounted);
        FakeUDisks2 udisks;
        QVERIFY2(udisks.load(QStringLiteral("desk.json")), udisks.lastError);
        for (const char *device : {"mmcblk0", "sde"})
            QVERIFY2(udisks.unplug(QLatin1String(device)), udisks.lastError);
        QVERIFY2(udisks.answerMount(mountAnswer), udisks.lastError);
        const auto volumes = platform::CreateUDisksVolumeSource(platform::kUDisksTimeLimit);
        QVERIFY(volumes);
        const bool hangs = unmounted == QLatin1String("<hangs>");
        QString cardFile;

        StartUp start;
        start.messages.expect(114);
        ModalScript person;
        person
            .then([](QDialog *dialog) {
                // TRAIL, then SPARE (not mounted).
                findControl<QListWidget>(dialog, QStringLiteral("cardList"))->setCurrentRow(1);
                clickControl(dialog, QStringLiteral("okButton"));
                QTRY_VERIFY(!dialog->isVisible());
            })
            .then([&](QDialog *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("kestraSheet"));
                cardFile = udisks.mountPoint(QStringLiteral("SPARE")) + "/VELOMAR/Kestra.cfg";
                if (hangs)
                    QVERIFY2(udisks.hang(), udisks.lastError);
                QElapsedTimer ok;
                ok.start();
                clickControl(dialog, QStringLiteral("okButton"));
                // Well within the 5 s a blocking call would wait.
                QVERIFY2(ok.elapsed() < platform::kUDisksTimeLimit.count() / 2,
                         "OK waited for UDisks2");
            });
        start.app.InitInstance({}, *volumes);

        QCOMPARE(person.opened(), 2);
        QCOMPARE(start.app.cardSettingsPath, cardFile);
        QCOMPARE(readFile(cardFile).size(), 234);
        if (hangs)
            return;
        // The request is not waited for: give the daemon a moment to have heard of one that
        // should not have been sent, and to answer one that was.
        if (unmounted.isEmpty())
            QTest::qWait(300);
        QTRY_COMPARE(udisks.unmounted(), unmounted);
    }

    // An installed program keeps its local copy in the user's data folder, wherever its prefix
    // and whoever can write there; any other keeps it beside itself.
    void whereTheLocalCopyLives_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("folders"); // made beside it
        QTest::addColumn<QString>("beside");      // the local copy; empty: the data folder

        const QStringList prefix{"bin", "share/velomar-settings"};
        QTest::newRow("installed in a prefix of the user's")
            << "bin/velomar-settings" << prefix << "";
        QTest::newRow("a bin folder without the install's files")
            << "bin/velomar-settings" << QStringList{"bin", "share"} << "bin/Kestra.cfg";
        QTest::newRow("an unpacked folder with the install's files")
            << "velomar-settings" << QStringList{"share/velomar-settings"} << "Kestra.cfg";
        QTest::newRow("a build folder")
            << "build/src/app/velomar-settings" << QStringList{"build/src/app", "share"}
            << "build/src/app/Kestra.cfg";
        // Named by its whole file name, so that the copy still lies beside it and not in
        // whatever folder it was started from.
        QTest::newRow("a name that starts with a dot")
            << "bin/.editor" << QStringList{"bin"} << "bin/Kestra.cfg";
    }
    void whereTheLocalCopyLives()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, folders);
        QFETCH(QString, beside);
        QTemporaryDir dir;
        for (const QString &folder : folders)
            QVERIFY(QDir(dir.path()).mkpath(folder));
        const QString data = dir.filePath(QStringLiteral("data"));
        const LocalFiles expected = beside.isEmpty()
                                        ? LocalFiles{data + QStringLiteral("/Kestra.cfg"), data}
                                        : LocalFiles{dir.filePath(beside), QString()};
        QCOMPARE(ResolveLocalFiles(dir.filePath(program), data), expected);
    }

    // An installed editor, started from any folder, keeps the local copy in the user's data
    // folder and takes the carrier list, carriers2.dat and the guide from there; the first
    // start fills that folder from the install without replacing anything the user has.
    void anInstalledEditorWorksInTheUsersDataFolder_data()
    {
        QTest::addColumn<QByteArray>("userCarriers"); // empty: the user has none
        QTest::addColumn<QString>("userGuide");       // empty: the user has none
        QTest::addColumn<bool>("guideInstalled");
        QTest::addColumn<QStringList>("carriersShown");
        QTest::addColumn<QByteArray>("guideOpened"); // empty: none found

        const QStringList example{QStringLiteral("Trail Mobile"), QStringLiteral("Ridge Wireless")};
        QTest::newRow("first start: the example list and the guide")
            << QByteArray() << QString() << true << example << QByteArray("installed guide");
        QTest::newRow("the user's carrier list stays")
            << QByteArray("My Carrier;1;1;1;0\n") << QString() << true
            << QStringList{QStringLiteral("My Carrier")} << QByteArray("installed guide");
        QTest::newRow("the user's own guide stays") << QByteArray() << QStringLiteral("own file")
                                                    << true << example << QByteArray("own guide");
        QTest::newRow("a link to a guide that has gone is renewed")
            << QByteArray() << QStringLiteral("link to a removed guide") << true << example
            << QByteArray("installed guide");
        QTest::newRow("no guide installed: F1 says so")
            << QByteArray() << QString() << false << example << QByteArray();
    }
    void anInstalledEditorWorksInTheUsersDataFolder()
    {
        QFETCH(QByteArray, userCarriers);
        QFETCH(QString, userGuide);
        QFETCH(bool, guideInstalled);
        QFETCH(QStringList, carriersShown);
        QFETCH(QByteArray, guideOpened);

        StartUp start; // its folder is the one the editor is started from
        QTemporaryDir root;
        const QString prefix = root.filePath(QStringLiteral("prefix"));
        // The user's own prefix, as `cmake --install --prefix ~/.local` makes it: the user could
        // write beside the program, and still nothing goes there.
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")));
        start.platform.program = prefix + QStringLiteral("/bin/velomar-settings");
        writeFile(prefix + QStringLiteral("/share/velomar-settings/carriers.dat"),
                  "Trail Mobile;1;1;1;0\nRidge Wireless;0;2;0;1\n");
        // Installed files may be read-only; the user's copy must not be.
        QFile::setPermissions(prefix + QStringLiteral("/share/velomar-settings/carriers.dat"),
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QString guideName = QString::fromLatin1(kUserGuideFileName);
        if (guideInstalled)
            writeFile(prefix + QStringLiteral("/share/doc/velomar-settings/") + guideName,
                      "installed guide");

        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))));
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        if (!userCarriers.isEmpty())
            writeFile(data + QStringLiteral("/carriers.dat"), userCarriers);
        if (userGuide == QLatin1String("own file")) {
            writeFile(data + QLatin1Char('/') + guideName, "own guide");
        } else if (!userGuide.isEmpty()) {
            QVERIFY(QDir().mkpath(data));
            QVERIFY(QFile::link(root.filePath(QStringLiteral("removed.pdf")),
                                data + QLatin1Char('/') + guideName));
        }

        start.insertPreparedCard();
        if (guideOpened.isEmpty())
            start.messages.expect(QStringLiteral("The help file was not found."));
        start.messages.expect(114);
        QString workedIn;
        QStringList shown;
        ModalScript person;
        person.then([&](QDialog *dialog) {
            auto *sheet = static_cast<CKestraSheet *>(dialog);
            workedIn = QDir::currentPath();
            QTest::keyClick(sheet, Qt::Key_F1);
            QVERIFY(sheet->setCurrentIndex(3));
            const auto *list = sheet->findChild<QComboBox *>(QStringLiteral("carrierList"));
            for (int i = 0; i < list->count(); ++i)
                shown << list->itemText(i);
            sheet->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
        });
        start.run(QString());
        if (dataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", dataHome);

        QCOMPARE(person.opened(), 1);
        QCOMPARE(workedIn, data);
        QCOMPARE(shown, carriersShown);
        QCOMPARE(start.platform.openedDocuments.size(), guideOpened.isEmpty() ? 0 : 1);
        if (!guideOpened.isEmpty())
            QCOMPARE(readFile(start.platform.openedDocuments.first()), guideOpened);
        if (!userCarriers.isEmpty())
            QCOMPARE(readFile(data + QStringLiteral("/carriers.dat")), userCarriers);
        else
            QVERIFY(QFile::permissions(data + QStringLiteral("/carriers.dat")) & QFile::WriteOwner);
        // OK wrote the local copy and the carrier choice there, and nothing where it started.
        QCOMPARE(start.app.localSettingsPath, data + QStringLiteral("/Kestra.cfg"));
        QCOMPARE(QFileInfo(data + QStringLiteral("/Kestra.cfg")).size(), 234);
        QVERIFY(QFileInfo::exists(data + QStringLiteral("/carriers2.dat")));
        QCOMPARE(QDir(start.folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(prefix + QStringLiteral("/bin")).entryList(QDir::Files | QDir::Hidden),
                 QStringList());
    }

    void aProgramThatKeepsItsCopyBesideItselfWorksWhereItWasStarted()
    {
        StartUp start;
        QTemporaryDir data;
        const QString program = data.filePath(QStringLiteral("bin/velomar-settings"));
        QDir(data.path()).mkdir(QStringLiteral("bin"));
        start.platform.program = program;
        ModalScript person;
        QString workedIn;
        person.then([&](QDialog *dialog) {
            workedIn = QDir::currentPath();
            dialog->reject();
        });
        start.run(QStringLiteral("-rdonly"));
        QCOMPARE(workedIn, start.folder.path());
        QCOMPARE(start.app.localSettingsPath, data.filePath(QStringLiteral("bin/Kestra.cfg")));
    }
};

QTEST_MAIN(TestSettingsApp)
#include "tst_settings_app.moc"
