#include "app/kestra_sheet.h"
#include "app/settings_app.h"
#include "fake_platform.h"
#include "modal_script.h"
#include "platform/card_volumes.h"
#include "scripted_messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
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
        previousFolder = QDir::currentPath();
        QDir::setCurrent(folder.path());
    }
    ~StartUp() { QDir::setCurrent(previousFolder); }

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
    QTemporaryDir folder;
    QString previousFolder;
    TestVolumes volumes;
    CSettingsApp app;
};

// A step that checks the main sheet came up as expected and closes it with Cancel.
ModalScript::Step closeSheet(QString *title)
{
    return [title](QDialog *dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("kestraSheet"));
        *title = dialog->windowTitle();
        dialog->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
    };
}

} // namespace

class TestSettingsApp : public QObject
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
        const Message &shown = start.messages.shown().first();
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
                    dialog->findChild<QPushButton *>(QStringLiteral("readOnlyButton"))->click();
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
            person.then([](QDialog *dialog) {
                dialog->findChild<QPushButton *>(QStringLiteral("exitButton"))->click();
            });
            QVERIFY(!start.run(QString()));
            QCOMPARE(person.opened(), 1); // the no-card dialog, and no sheet after it
        }
    }

    void theLocalCopyMovesToTheUsersDataFolderWhenTheProgramsFolderIsReadOnly()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        const QString program = dir.filePath(QStringLiteral("bin/velomar-settings"));
        QDir(dir.path()).mkdir(QStringLiteral("bin"));
        QCOMPARE(ResolveLocalSettingsPath(program, data),
                 dir.filePath(QStringLiteral("bin/Kestra.cfg")));
        // A program whose name starts with a dot is named by the whole file name, so its copy
        // still lies beside it and not in whatever folder the program was started from.
        QCOMPARE(ResolveLocalSettingsPath(dir.filePath(QStringLiteral("bin/.editor")), data),
                 dir.filePath(QStringLiteral("bin/Kestra.cfg")));

        // A folder that does not exist cannot be written either; neither can /usr/bin for a
        // user (root can write anywhere, so the missing folder stands in for it here).
        const QString installed = dir.filePath(QStringLiteral("usr/bin/velomar-settings"));
        QCOMPARE(ResolveLocalSettingsPath(installed, data), data + QStringLiteral("/Kestra.cfg"));
        QVERIFY(QFileInfo(data).isDir());

        // Installed under /usr: the data folder, even for root, who could write there.
        QCOMPARE(ResolveLocalSettingsPath(QStringLiteral("/usr/bin/velomar-settings"), data),
                 data + QStringLiteral("/Kestra.cfg"));
    }
};

QTEST_MAIN(TestSettingsApp)
#include "tst_settings_app.moc"
