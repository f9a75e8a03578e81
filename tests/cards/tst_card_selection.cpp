#include "cards/card_selection.h"
#include "cards/no_card_dialog.h"
#include "cards/select_card_dialog.h"
#include "fake_lsblk_program.h"
#include "fake_udisks2.h"
#include "fake_volume_source.h"
#include "find_control.h"
#include "framework/message_service.h"
#include "gui_test.h"
#include "modal_script.h"
#include "platform/udisks_volumes.h"
#include "scripted_messages.h"
#include "shown_text.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kFat32Remark = QStringLiteral(" - FAT32 (SwiftShot Models Only)");

// A recording of the drives, with every card mounted in a folder of `mounts`.
struct Drives
{
    explicit Drives(const QString &recording = QStringLiteral("util-linux-2.38-mixed.json"))
    {
        loaded = mounts.isValid() &&
                 source.load(QStringLiteral(VELOMAR_LSBLK_RECORDINGS), recording, mounts.path());
    }

    QString root(const QString &name) const { return mounts.filePath(name); }
    QString settingsPath(const QString &name) const
    {
        return root(name) + QStringLiteral("/VELOMAR/Kestra.cfg");
    }
    // Puts a settings file on the card mounted as `name`.
    bool putSettingsFile(const QString &name) const
    {
        if (!QDir().mkpath(root(name) + QStringLiteral("/VELOMAR")))
            return false;
        QFile file(settingsPath(name));
        return file.open(QIODevice::WriteOnly) && file.write(QByteArray(234, '\0')) == 234;
    }
    void unplug(std::initializer_list<const char *> devices)
    {
        for (const char *device : devices)
            source.unplug(device);
    }

    QTemporaryDir mounts;
    FakeVolumeSource source;
    bool loaded = false;
};

QStringList listLines(QDialog *dialog)
{
    QStringList lines;
    if (auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"))) {
        for (int row = 0; row < list->count(); ++row)
            lines.append(list->item(row)->text());
    }
    return lines;
}

// How the no-card dialog is answered in a row of a data table.
enum class Answer
{
    ExitButton,
    Escape,
    CloseBox,
    ReadOnlyButton,
    RetryKey,    // Alt+R
    ReadOnlyKey, // Alt+C
    ExitKey,     // Alt+X
};

// False when the dialog did not become active, and was not answered.
[[nodiscard]] bool answer(QDialog *dialog, Answer how)
{
    // Access keys reach only the active window: the step may run before the dialog is.
    if (!QTest::qWaitForWindowActive(dialog))
        return false;
    switch (how) {
    case Answer::ExitButton:
        clickControl(dialog, QStringLiteral("exitButton"));
        break;
    case Answer::ReadOnlyButton:
        clickControl(dialog, QStringLiteral("readOnlyButton"));
        break;
    case Answer::Escape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case Answer::CloseBox:
        dialog->close();
        break;
    case Answer::RetryKey:
        QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier);
        break;
    case Answer::ReadOnlyKey:
        QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
        break;
    case Answer::ExitKey:
        QTest::keyClick(dialog, Qt::Key_X, Qt::AltModifier);
        break;
    }
    return true;
}

// The cards of the recorded desk as UDisks2 tells of them, with `pulled` devices pulled out
// first. Every card is a real folder under the fake's mount base.
struct Desk
{
    Desk(FakeUDisks2 &udisks, std::initializer_list<const char *> pulled) : udisks(udisks)
    {
        loaded = udisks.load(QStringLiteral("desk.json"));
        for (const char *device : pulled)
            loaded = loaded && udisks.unplug(QLatin1String(device));
        if (loaded)
            source = platform::CreateUDisksVolumeSource(platform::kUDisksTimeLimit);
        loaded = loaded && source;
    }

    // Does what a row of a table says: "plug sda", "unplug sdb", "desktop-mount sdb1".
    bool act(const QString &action)
    {
        const QString command = action.section(QLatin1Char(' '), 0, 0);
        const QString device = action.section(QLatin1Char(' '), 1);
        if (command == QLatin1String("plug"))
            return udisks.plug(device);
        if (command == QLatin1String("unplug"))
            return udisks.unplug(device);
        if (command == QLatin1String("swap"))
            return udisks.swap(action.section(QLatin1Char(' '), 1, 1),
                               action.section(QLatin1Char(' '), 2));
        return command == QLatin1String("desktop-mount") && udisks.desktopMount(device);
    }

    // The lines with "@" for the mount base.
    QStringList lines(QStringList lines) const
    {
        return lines.replaceInStrings(QStringLiteral("@"), udisks.mountBase());
    }
    QString settingsPath(const QString &card) const
    {
        return udisks.mountPoint(card) + QStringLiteral("/VELOMAR/Kestra.cfg");
    }
    bool putSettingsFile(const QString &card) const
    {
        QDir().mkpath(udisks.mountPoint(card) + QStringLiteral("/VELOMAR"));
        QFile file(settingsPath(card));
        return file.open(QIODevice::WriteOnly) && file.write(QByteArray(234, '\0')) == 234;
    }

    FakeUDisks2 &udisks;
    std::unique_ptr<platform::VolumeSource> source;
    bool loaded = false;
};

// Drives with one mounted card, and a card the system knows but fails to mount in its own
// words. Labels and paths are whatever `name` is.
struct OddlyNamedCards : FakeVolumeSource
{
    explicit OddlyNamedCards(const QString &name) : name(name.toStdString())
    {
        const QString mountPoint = mounts.filePath(name);
        output = R"({"blockdevices": [{"name": "sda1", "rm": true, "hotplug": true, "fstype":
                  "vfat", "fsver": "FAT32", "label": LABEL, "mountpoints": [MOUNT]}]})";
        output.replace(output.find("LABEL"), 5, nlohmann::json(this->name).dump());
        output.replace(output.find("MOUNT"), 5, nlohmann::json(mountPoint.toStdString()).dump());
        ready = mounts.isValid() && QDir().mkpath(mountPoint);
    }

    std::vector<platform::UnmountedVolume> unmountedVolumes() override
    {
        return {{true, {name, "FAT32", "", "/dev/sdb1"}}};
    }
    void mount(const std::string &device, MountDone done) override
    {
        done({platform::MountResult::Outcome::Failed,
              {},
              "Error mounting " + device + " at /media/user/" + name + ": wrong fs type\n"});
    }

    std::string name;
    QTemporaryDir mounts;
    bool ready = false;
};

const QString kTrailLine = QStringLiteral("TRAIL (@/TRAIL) - FAT32 (SwiftShot Models Only)");
const QString kSpareLine = QStringLiteral("SPARE (not mounted) - FAT32 (SwiftShot Models Only)");

} // namespace

Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(CardOutcome)
Q_DECLARE_METATYPE(MessageIcon)

class TestCardSelection : public GuiTest
{
    Q_OBJECT

private slots:
    void scanFindsRemovableFatCards_data()
    {
        QTest::addColumn<QString>("recording");
        QTest::addColumn<QStringList>("unplugged");
        QTest::addColumn<QStringList>("withFile");     // cards given a settings file
        QTest::addColumn<QStringList>("candidates");   // mount folder names, in order
        QTest::addColumn<QStringList>("withSettings"); // mount folder names, in order

        // exFAT, NTFS, the fixed EFI partition and the unmounted stick never count.
        QTest::newRow("every kind of drive")
            << "util-linux-2.38-mixed.json" << QStringList{} << QStringList{"TRAIL", "BIGCARD"}
            << QStringList{"CAM2", "TRAIL", "0A1B-2C3D"} << QStringList{"TRAIL"};
        QTest::newRow("only drives that are no cards")
            << "util-linux-2.38-mixed.json" << QStringList{"mmcblk0", "sda", "sdb"}
            << QStringList{"BIGCARD", "Backup"} << QStringList{} << QStringList{};
        QTest::newRow("every card holds the file") << "util-linux-2.38-mixed.json" << QStringList{}
                                                   << QStringList{"CAM2", "TRAIL", "0A1B-2C3D"}
                                                   << QStringList{"CAM2", "TRAIL", "0A1B-2C3D"}
                                                   << QStringList{"CAM2", "TRAIL", "0A1B-2C3D"};
        QTest::newRow("older lsblk, strings")
            << "util-linux-2.31-strings.json" << QStringList{} << QStringList{"0A1B-2C3D"}
            << QStringList{"TRAIL", "0A1B-2C3D"} << QStringList{"0A1B-2C3D"};
        QTest::newRow("older lsblk, booleans")
            << "util-linux-2.34-typed.json" << QStringList{} << QStringList{}
            << QStringList{"TRAIL"} << QStringList{};
    }

    void scanFindsRemovableFatCards()
    {
        QFETCH(QString, recording);
        QFETCH(QStringList, unplugged);
        QFETCH(QStringList, withFile);
        QFETCH(QStringList, candidates);
        QFETCH(QStringList, withSettings);

        Drives drives(recording);
        QVERIFY(drives.loaded);
        for (const QString &device : unplugged)
            drives.source.unplug(device.toStdString());
        for (const QString &card : withFile)
            QVERIFY(drives.putSettingsFile(card));

        QStringList expectedRoots;
        for (const QString &card : candidates)
            expectedRoots.append(drives.root(card));
        QStringList expectedPaths;
        for (const QString &card : withSettings)
            expectedPaths.append(drives.settingsPath(card));

        CardLists lists;
        lists.candidateRoots = QStringList{"stale"};
        QCOMPARE(ScanCards(drives.source, lists), !candidates.isEmpty());
        QCOMPARE(lists.candidateRoots, expectedRoots);
        QCOMPARE(lists.rootsWithSettings, expectedPaths);
    }

    void settingsFileMustBeAFile()
    {
        Drives drives;
        QVERIFY(drives.loaded);
        drives.unplug({"mmcblk0", "sdb"});
        QVERIFY(QDir().mkpath(drives.settingsPath(QStringLiteral("TRAIL"))));

        CardLists lists;
        QVERIFY(ScanCards(drives.source, lists));
        QVERIFY(lists.rootsWithSettings.isEmpty());
    }

    void fileSystemNameIsTrimmedAndUpperCased_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("card");
        QTest::newRow("FAT") << "FAT" << true;
        QTest::newRow("FAT32") << "FAT32" << true;
        QTest::newRow("lower case, blanks") << " fat32\t" << true;
        QTest::newRow("FAT16 is not a Windows name") << "FAT16" << false;
        QTest::newRow("exFAT") << "exFAT" << false;
        QTest::newRow("NTFS") << "NTFS" << false;
        QTest::newRow("empty") << "" << false;
    }

    void fileSystemNameIsTrimmedAndUpperCased()
    {
        QFETCH(QString, name);
        QFETCH(bool, card);
        QCOMPARE(IsCardFileSystem(name.toStdString()), card);
    }

    // Only a single card that already holds its file is taken without asking.
    void listIsShownUnlessTheOnlyCardHoldsItsFile_data()
    {
        QTest::addColumn<QStringList>("cards");    // mount folder names; the others are unplugged
        QTest::addColumn<QStringList>("withFile"); // cards given a settings file
        QTest::addColumn<bool>("listShown");
        QTest::addColumn<QString>("chosen"); // the first line's card when the list is shown

        QTest::newRow("single card with the file")
            << QStringList{"TRAIL"} << QStringList{"TRAIL"} << false << "TRAIL";
        QTest::newRow("single card without the file")
            << QStringList{"TRAIL"} << QStringList{} << true << "TRAIL";
        QTest::newRow("two cards, both with the file")
            << QStringList{"CAM2", "TRAIL"} << QStringList{"CAM2", "TRAIL"} << true << "CAM2";
        QTest::newRow("two cards, the second with the file")
            << QStringList{"CAM2", "TRAIL"} << QStringList{"TRAIL"} << true << "CAM2";
    }

    void listIsShownUnlessTheOnlyCardHoldsItsFile()
    {
        QFETCH(QStringList, cards);
        QFETCH(QStringList, withFile);
        QFETCH(bool, listShown);
        QFETCH(QString, chosen);

        Drives drives;
        QVERIFY(drives.loaded);
        const std::pair<const char *, const char *> devices[] = {
            {"CAM2", "mmcblk0"}, {"TRAIL", "sda"}, {"0A1B-2C3D", "sdb"}};
        for (const auto &[card, device] : devices) {
            if (!cards.contains(QLatin1String(card)))
                drives.source.unplug(device);
        }
        for (const QString &card : withFile)
            QVERIFY(drives.putSettingsFile(card));

        ModalScript person;
        if (listShown) {
            person.then([&](QDialog *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("selectCardDialog"));
                QCOMPARE(listLines(dialog).size(), cards.size());
                clickControl(dialog, QStringLiteral("okButton"));
            });
        }
        const CardSelection selection = SelectCard(drives.source);
        QCOMPARE(selection.outcome, CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath, drives.settingsPath(chosen));
    }

    void singleFreshCardIsListedAndOkCreatesItsFolder()
    {
        Drives drives;
        QVERIFY(drives.loaded);
        drives.unplug({"mmcblk0", "sda"});
        const QString root = drives.root(QStringLiteral("0A1B-2C3D"));

        ModalScript person;
        person.then([&](QDialog *dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("selectCardDialog"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Velomar - Professional Settings"));
            auto *prompt = findControl<QLabel>(dialog, QStringLiteral("selectCardText"));
            QVERIFY(prompt);
            QCOMPARE(shown(prompt->text()),
                     QStringLiteral("Select the card to use from the list below."));
            QCOMPARE(listLines(dialog), QStringList{"Removable Disk (" + root + ")"});
            auto *list = findControl<QListWidget>(dialog, QStringLiteral("cardList"));
            QCOMPARE(list->selectedItems().size(), 1);
            QCOMPARE(list->currentRow(), 0);
            QVERIFY(!QDir(root + "/VELOMAR").exists());
            clickControl(dialog, QStringLiteral("okButton"));
        });
        const CardSelection selection = SelectCard(drives.source);
        QCOMPARE(selection.outcome, CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath, root + "/VELOMAR/Kestra.cfg");
        QVERIFY(QDir(root + "/VELOMAR").exists());
        QVERIFY(!QFile::exists(selection.cardSettingsPath));
    }

    void cardListLines_data()
    {
        QTest::addColumn<QString>("recording");
        QTest::addColumn<QStringList>("lines"); // "@" stands for the mount folder

        QTest::newRow("labelled FAT32, hotplug FAT32, unlabelled FAT16")
            << "util-linux-2.38-mixed.json"
            << QStringList{"CAM2 (@/CAM2)" + kFat32Remark, "TRAIL (@/TRAIL)" + kFat32Remark,
                           "Removable Disk (@/0A1B-2C3D)"};
        QTest::newRow("label with blanks, label of blanks only")
            << "util-linux-2.36-fsver.json"
            << QStringList{"TRAIL (@/TRAIL)" + kFat32Remark, "Removable Disk (@/0A1B-2C3D)"};
        QTest::newRow("FAT of unknown version has no remark")
            << "util-linux-2.31-strings.json"
            << QStringList{"TRAIL (@/TRAIL)", "Removable Disk (@/0A1B-2C3D)"};
    }

    void cardListLines()
    {
        QFETCH(QString, recording);
        QFETCH(QStringList, lines);

        Drives drives(recording);
        QVERIFY(drives.loaded);
        lines.replaceInStrings(QStringLiteral("@"), drives.mounts.path());

        ModalScript person;
        person.then([&](QDialog *dialog) {
            QCOMPARE(listLines(dialog), lines);
            clickControl(dialog, QStringLiteral("cancelButton"));
        });
        QCOMPARE(SelectCard(drives.source).outcome, CardOutcome::Exit);
    }

    void twoCardsWithSettingsFilesAreListed()
    {
        Drives drives;
        QVERIFY(drives.loaded);
        drives.unplug({"mmcblk0"});
        QVERIFY(drives.putSettingsFile(QStringLiteral("TRAIL")));
        QVERIFY(drives.putSettingsFile(QStringLiteral("0A1B-2C3D")));

        ModalScript person;
        person.then([&](QDialog *dialog) {
            QCOMPARE(listLines(dialog).size(), 2);
            auto *list = findControl<QListWidget>(dialog, QStringLiteral("cardList"));
            const QRect second = list->visualItemRect(list->item(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
            QCOMPARE(list->currentRow(), 1);
            clickControl(dialog, QStringLiteral("okButton"));
        });
        const CardSelection selection = SelectCard(drives.source);
        QCOMPARE(selection.outcome, CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath, drives.settingsPath(QStringLiteral("0A1B-2C3D")));
        // The folder was there already; its file is left as it was.
        QCOMPARE(QFileInfo(selection.cardSettingsPath).size(), 234);
    }

    void enterInTheListChoosesTheSelectedCard()
    {
        Drives drives;
        QVERIFY(drives.loaded);

        ModalScript person;
        person.then([&](QDialog *dialog) {
            auto *list = findControl<QListWidget>(dialog, QStringLiteral("cardList"));
            QCOMPARE(dialog->focusWidget(), list);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        });
        const CardSelection selection = SelectCard(drives.source);
        QCOMPARE(selection.outcome, CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath, drives.settingsPath(QStringLiteral("TRAIL")));
    }

    void cancellingTheListEndsTheRun_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }

    void cancellingTheListEndsTheRun()
    {
        QFETCH(bool, escape);
        Drives drives;
        QVERIFY(drives.loaded);

        ModalScript person;
        person.then([&](QDialog *dialog) {
            if (escape)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                clickControl(dialog, QStringLiteral("cancelButton"));
        });
        const CardSelection selection = SelectCard(drives.source);
        QCOMPARE(selection.outcome, CardOutcome::Exit);
        QVERIFY(selection.cardSettingsPath.isEmpty());
        for (const char *card : {"CAM2", "TRAIL", "0A1B-2C3D"})
            QVERIFY(!QDir(drives.root(QLatin1String(card)) + "/VELOMAR").exists());
    }

    void noCardDialogComesBackUntilRetryFindsACard()
    {
        Drives drives;
        QVERIFY(drives.loaded);
        drives.unplug({"mmcblk0", "sda", "sdb"});

        ModalScript person;
        person
            .then([&](QDialog *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("noCardDialog"));
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Velomar - Professional Settings"));
                auto *text = findControl<QLabel>(dialog, QStringLiteral("noCardText"));
                QVERIFY(text);
                QCOMPARE(text->text(),
                         QStringLiteral("No removable card found.  Insert a properly formatted "
                                        "card and select retry or continue read-only."));
                auto *icon = findControl<QLabel>(dialog, QStringLiteral("programIcon"));
                QVERIFY(icon && !icon->pixmap().isNull());
                auto *retry = findControl<QPushButton>(dialog, QStringLiteral("retryButton"));
                QVERIFY(retry && retry->isDefault());
                QCOMPARE(shown(retry->text()), QStringLiteral("Retry"));
                QCOMPARE(
                    shown(
                        findControl<QPushButton>(dialog, QStringLiteral("readOnlyButton"))->text()),
                    QStringLiteral("Continue read-only"));
                QCOMPARE(
                    shown(findControl<QPushButton>(dialog, QStringLiteral("exitButton"))->text()),
                    QStringLiteral("Exit"));
                clickControl(dialog, QStringLiteral("retryButton"));
            })
            .then([&](QDialog *dialog) {
                // Still nothing: the dialog is back. Now the card goes in, fresh.
                QCOMPARE(dialog->objectName(), QStringLiteral("noCardDialog"));
                QVERIFY(drives.source.load(QStringLiteral(VELOMAR_LSBLK_RECORDINGS),
                                           QStringLiteral("util-linux-2.38-mixed.json"),
                                           drives.mounts.path()));
                drives.unplug({"mmcblk0", "sdb"});
                QTest::keyClick(dialog, Qt::Key_Return);
            })
            .then([&](QDialog *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("selectCardDialog"));
                QCOMPARE(listLines(dialog),
                         QStringList{"TRAIL (" + drives.root("TRAIL") + ")" + kFat32Remark});
                clickControl(dialog, QStringLiteral("okButton"));
            });
        const CardSelection selection = SelectCard(drives.source);
        QCOMPARE(selection.outcome, CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath, drives.settingsPath(QStringLiteral("TRAIL")));
        QCOMPARE(person.opened(), 3);
    }

    void retryFindingTheSingleCardWithItsFileAsksNoMore()
    {
        Drives drives;
        QVERIFY(drives.loaded);
        drives.source.lsblkFails = true;
        QVERIFY(drives.putSettingsFile(QStringLiteral("CAM2")));

        ModalScript person;
        person.then([&](QDialog *dialog) {
            drives.source.lsblkFails = false;
            drives.unplug({"sda", "sdb"});
            clickControl(dialog, QStringLiteral("retryButton"));
        });
        const CardSelection selection = SelectCard(drives.source);
        QCOMPARE(selection.outcome, CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath, drives.settingsPath(QStringLiteral("CAM2")));
        QCOMPARE(person.opened(), 1);
    }

    void noCardAnswers_data()
    {
        QTest::addColumn<Answer>("how");
        QTest::addColumn<CardOutcome>("outcome");
        QTest::newRow("Continue read-only")
            << Answer::ReadOnlyButton << CardOutcome::ContinueReadOnly;
        QTest::newRow("Exit") << Answer::ExitButton << CardOutcome::Exit;
        QTest::newRow("Escape") << Answer::Escape << CardOutcome::Exit;
        QTest::newRow("close box") << Answer::CloseBox << CardOutcome::Exit;
        QTest::newRow("Alt+C") << Answer::ReadOnlyKey << CardOutcome::ContinueReadOnly;
        QTest::newRow("Alt+X") << Answer::ExitKey << CardOutcome::Exit;
    }

    void noCardAnswers()
    {
        QFETCH(Answer, how);
        QFETCH(CardOutcome, outcome);
        Drives drives;
        QVERIFY(drives.loaded);
        drives.unplug({"mmcblk0", "sda", "sdb"});

        ModalScript person;
        person.then([&](QDialog *dialog) {
            // A card that arrives now does not change the answer.
            QVERIFY(drives.source.load(QStringLiteral(VELOMAR_LSBLK_RECORDINGS),
                                       QStringLiteral("util-linux-2.38-mixed.json"),
                                       drives.mounts.path()));
            QVERIFY(answer(dialog, how));
        });
        const CardSelection selection = SelectCard(drives.source);
        QCOMPARE(selection.outcome, outcome);
        QVERIFY(selection.cardSettingsPath.isEmpty());
    }

    void noCardDialogResults_data()
    {
        QTest::addColumn<Answer>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("Continue read-only") << Answer::ReadOnlyButton << 1263;
        QTest::newRow("Exit") << Answer::ExitButton << 2;
        QTest::newRow("Escape") << Answer::Escape << 2;
        QTest::newRow("close box") << Answer::CloseBox << 2;
        QTest::newRow("Alt+R") << Answer::RetryKey << 4;
        QTest::newRow("Alt+C") << Answer::ReadOnlyKey << 1263;
        QTest::newRow("Alt+X") << Answer::ExitKey << 2;
    }

    void noCardDialogResults()
    {
        QFETCH(Answer, how);
        QFETCH(int, result);
        ModalScript person;
        person.then([&](QDialog *dialog) { QVERIFY(answer(dialog, how)); });
        CNoCardDlg dialog;
        QCOMPARE(dialog.exec(), result);
    }

    // A card pulled out between the scan and the list has no line; the other lines keep
    // leading to their own cards.
    void vanishedCardHasNoLine_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("card");
        QTest::newRow("line before the gap") << 0 << "CAM2";
        QTest::newRow("line after the gap") << 1 << "0A1B-2C3D";
    }

    void vanishedCardHasNoLine()
    {
        QFETCH(int, row);
        QFETCH(QString, card);
        Drives drives;
        QVERIFY(drives.loaded);

        CSelectCardDlg dialog(drives.source);
        QVERIFY(dialog.ScanCards());
        QCOMPARE(dialog.cards().candidateRoots.size(), 3);
        drives.unplug({"sda"});

        ModalScript person;
        person.then([&](QDialog *shown) {
            QCOMPARE(listLines(shown),
                     (QStringList{"CAM2 (" + drives.root("CAM2") + ")" + kFat32Remark,
                                  "Removable Disk (" + drives.root("0A1B-2C3D") + ")"}));
            findControl<QListWidget>(shown, QStringLiteral("cardList"))->setCurrentRow(row);
            clickControl(shown, QStringLiteral("okButton"));
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedPath(), drives.settingsPath(card));
        QVERIFY(QDir(drives.root(card) + "/VELOMAR").exists());
        QVERIFY(!QDir(drives.root("TRAIL") + "/VELOMAR").exists());
    }

    void okWithoutAnyLineIsCancel()
    {
        Drives drives;
        QVERIFY(drives.loaded);
        CSelectCardDlg dialog(drives.source);
        QVERIFY(dialog.ScanCards());
        drives.source.lsblkFails = true;

        ModalScript person;
        person.then([&](QDialog *shown) {
            QVERIFY(listLines(shown).isEmpty());
            clickControl(shown, QStringLiteral("okButton"));
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(dialog.selectedPath().isEmpty());
    }

    // The list has the focus; Alt+S comes back to it, Down picks the second card, Enter takes
    // it.
    void theCardIsChosenWithTheKeyboard()
    {
        Drives drives;
        QVERIFY(drives.loaded);
        ModalScript person;
        CSelectCardDlg selectCard(drives.source);
        QVERIFY(selectCard.ScanCards());
        person.then([&](QDialog *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QWidget *cancel = findControl<QWidget>(dialog, QStringLiteral("cancelButton"));
            cancel->setFocus();
            QTest::keyClick(cancel, Qt::Key_S, Qt::AltModifier);
            auto *list = findControl<QListWidget>(dialog, QStringLiteral("cardList"));
            QCOMPARE(QApplication::focusWidget(), list);
            QCOMPARE(list->currentRow(), 0);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QCOMPARE(selectCard.exec(), int(QDialog::Accepted));
        QCOMPARE(selectCard.selectedPath(), drives.settingsPath(QStringLiteral("TRAIL")));
        QVERIFY(QDir(drives.root(QStringLiteral("TRAIL")) + "/VELOMAR").exists());
    }

    // A card that is not mounted is offered, and mounted when chosen; when the system refuses
    // or fails, the user is told and the list stays.
    void unmountedCardIsMountedWhenChosen_data()
    {
        QTest::addColumn<QString>("answer"); // how UDisks2 answers Mount
        QTest::addColumn<QString>("message");
        QTest::addColumn<MessageIcon>("icon");
        QTest::addColumn<bool>("chosen");

        QTest::newRow("mounted") << "success"
                                 << "" << MessageIcon::None << true;
        QTest::newRow("the desktop mounted it first") << "already-mounted"
                                                      << "" << MessageIcon::None << true;
        QTest::newRow("polkit refuses")
            << "not-authorized"
            << "You are not allowed to mount the card SPARE (/dev/sdb1).\n\nMount it with your "
               "file manager, or ask your administrator for permission, and then choose it again."
            << MessageIcon::Exclamation << false;
        QTest::newRow("password prompt closed") << "dismissed"
                                                << "" << MessageIcon::None << false;
        QTest::newRow("mount fails")
            << "error"
            << "The card SPARE (/dev/sdb1) could not be mounted.\n\nError mounting /dev/sdb1: "
               "wrong fs type, bad option, bad superblock on /dev/sdb1, missing codepage or "
               "helper program, or other error"
            << MessageIcon::Stop << false;
    }

    void unmountedCardIsMountedWhenChosen()
    {
        QFETCH(QString, answer);
        QFETCH(QString, message);
        QFETCH(MessageIcon, icon);
        QFETCH(bool, chosen);

        Desk desk(udisks, {"mmcblk0", "sde"});
        QVERIFY2(desk.loaded, udisks.lastError);
        QVERIFY2(udisks.answerMount(answer), udisks.lastError);
        // With a second card, even one not mounted, the card with its file is not taken alone.
        QVERIFY(desk.putSettingsFile(QStringLiteral("TRAIL")));
        ScriptedMessages messages;
        if (!message.isEmpty())
            messages.expect(message);

        const QStringList lines = desk.lines({kTrailLine, kSpareLine});
        ModalScript person;
        person.then([&](QDialog *dialog) {
            QCOMPARE(listLines(dialog), lines);
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"));
            list->setCurrentRow(1);
            clickControl(dialog, QStringLiteral("okButton"));
            auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("okButton"));
            QTRY_VERIFY(!dialog->isVisible() || ok->isEnabled());
            if (chosen)
                return;
            QVERIFY(dialog->isVisible());
            QCOMPARE(listLines(dialog), lines);
            QCOMPARE(list->currentRow(), 1);
            QCOMPARE(QApplication::focusWidget(), list);
            clickControl(dialog, QStringLiteral("cancelButton"));
        });
        const CardSelection selection = SelectCard(*desk.source);

        if (!message.isEmpty()) {
            QCOMPARE(messages.shown().front().icon, icon);
            QCOMPARE(messages.shown().front().caption, programName());
        }
        QCOMPARE(selection.outcome, chosen ? CardOutcome::CardPath : CardOutcome::Exit);
        QCOMPARE(selection.cardSettingsPath,
                 chosen ? desk.settingsPath(QStringLiteral("SPARE")) : QString());
        QCOMPARE(QDir(udisks.mountPoint(QStringLiteral("SPARE")) + "/VELOMAR").exists(), chosen);
    }

    // A label or path is text: markup is shown as typed, and what would break the line in two
    // or reverse the rest of it is spelt out, in the list and in the message about the card.
    void labelsAndPathsAreShownAsOneLine()
    {
        const QString name = QStringLiteral("<b>BIG</b>\u202Egpj\nX");
        const QString shownName = QStringLiteral(R"(<b>BIG</b>\u202Egpj\x0AX)");
        OddlyNamedCards drives(name);
        QVERIFY(drives.ready);
        ScriptedMessages messages;
        messages.expect(QStringLiteral("The card %1 (/dev/sdb1) could not be mounted.\n\nError "
                                       "mounting /dev/sdb1 at /media/user/%1: wrong fs type")
                            .arg(shownName));

        ModalScript person;
        person.then([&](QDialog *dialog) {
            QCOMPARE(listLines(dialog), (QStringList{shownName + " (" + drives.mounts.path() + "/" +
                                                         shownName + ")" + kFat32Remark,
                                                     shownName + " (not mounted)" + kFat32Remark}));
            findControl<QListWidget>(dialog, QStringLiteral("cardList"))->setCurrentRow(1);
            clickControl(dialog, QStringLiteral("okButton"));
            QVERIFY(dialog->isVisible());
            clickControl(dialog, QStringLiteral("cancelButton"));
        });
        QCOMPARE(SelectCard(drives).outcome, CardOutcome::Exit);
    }

    // Lines come and go with the cards; the selection stays on its card while it is there.
    void cardListFollowsTheReader_data()
    {
        QTest::addColumn<int>("row"); // selected before the change
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("lines"); // after it
        QTest::addColumn<int>("selected");      // after it
        QTest::addColumn<QString>("chosen");    // with OK

        QTest::newRow("card inserted above the selection")
            << 1 << "plug mmcblk0"
            << QStringList{"CAM2 (@/CAM2) - FAT32 (SwiftShot Models Only)", kTrailLine, kSpareLine}
            << 2 << "SPARE";
        QTest::newRow("other card pulled")
            << 0 << "unplug sdb" << QStringList{kTrailLine} << 0 << "TRAIL";
        QTest::newRow("selected card mounted by the desktop")
            << 1 << "desktop-mount sdb1"
            << QStringList{kTrailLine, "SPARE (@/SPARE) - FAT32 (SwiftShot Models Only)"} << 1
            << "SPARE";
    }

    void cardListFollowsTheReader()
    {
        QFETCH(int, row);
        QFETCH(QString, action);
        QFETCH(QStringList, lines);
        QFETCH(int, selected);
        QFETCH(QString, chosen);

        Desk desk(udisks, {"mmcblk0", "sde"});
        QVERIFY2(desk.loaded, udisks.lastError);
        lines = desk.lines(lines);

        ModalScript person;
        person.then([&](QDialog *dialog) {
            QCOMPARE(listLines(dialog), desk.lines({kTrailLine, kSpareLine}));
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"));
            list->setCurrentRow(row);
            QVERIFY2(desk.act(action), udisks.lastError);
            QTRY_COMPARE(listLines(dialog), lines);
            QCOMPARE(list->currentRow(), selected);
            QCOMPARE(list->selectedItems().size(), 1);
            clickControl(dialog, QStringLiteral("okButton"));
            QTRY_VERIFY(!dialog->isVisible());
        });
        const CardSelection selection = SelectCard(*desk.source);
        QCOMPARE(selection.outcome, CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath, desk.settingsPath(chosen));
    }

    // The chosen card pulled out hands its line to no other card: OK waits until it is back,
    // or until the user picks a line.
    void pulledCardLeavesNoLineSelected_data()
    {
        QTest::addColumn<QString>("then");   // what happens while the card is away
        QTest::addColumn<QString>("chosen"); // with Enter; empty: nothing can be chosen
        QTest::newRow("the card comes back") << "plug sda"
                                             << "TRAIL";
        QTest::newRow("another card goes into its slot") << "swap sda 7D00-0001"
                                                         << "";
        QTest::newRow("the user picks another line") << "pick CAM2"
                                                     << "CAM2";
    }

    void pulledCardLeavesNoLineSelected()
    {
        QFETCH(QString, then);
        QFETCH(QString, chosen);
        Desk desk(udisks, {"sdb", "sde"});
        QVERIFY2(desk.loaded, udisks.lastError);
        const QString camLine = QStringLiteral("CAM2 (@/CAM2)") + kFat32Remark;

        ModalScript person;
        person.then([&](QDialog *dialog) {
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"));
            auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("okButton"));
            list->setCurrentRow(1);
            QVERIFY2(desk.act(QStringLiteral("unplug sda")), udisks.lastError);
            QTRY_COMPARE(listLines(dialog), desk.lines({camLine}));
            QVERIFY(list->selectedItems().isEmpty());
            QVERIFY(!ok->isEnabled());
            QTest::keyClick(list, Qt::Key_Return);
            QVERIFY(dialog->isVisible());

            if (then.startsWith(QLatin1String("pick"))) {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(list->item(0)).center());
            } else {
                QVERIFY2(desk.act(then), udisks.lastError);
                QTRY_COMPARE(listLines(dialog), desk.lines({camLine, kTrailLine}));
            }
            QCOMPARE(list->selectedItems().size(), chosen.isEmpty() ? 0 : 1);
            QCOMPARE(ok->isEnabled(), !chosen.isEmpty());
            QTest::keyClick(list, Qt::Key_Return);
            if (chosen.isEmpty())
                clickControl(dialog, QStringLiteral("cancelButton"));
            QTRY_VERIFY(!dialog->isVisible());
        });
        const CardSelection selection = SelectCard(*desk.source);
        QCOMPARE(selection.outcome, chosen.isEmpty() ? CardOutcome::Exit : CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath,
                 chosen.isEmpty() ? QString() : desk.settingsPath(chosen));
        for (const char *card : {"CAM2", "TRAIL"})
            QCOMPARE(QDir(udisks.mountPoint(QLatin1String(card)) + "/VELOMAR").exists(),
                     chosen == QLatin1String(card));
    }

    // Copies of one card share its serial; each keeps its own line.
    void copiedCardsKeepTheirOwnLines()
    {
        Desk desk(udisks, {"sdb"});
        QVERIFY2(desk.loaded, udisks.lastError);
        QVERIFY2(desk.act(QStringLiteral("swap sde 5A2B-11C3")), udisks.lastError); // TRAIL's

        ModalScript person;
        person.then([&](QDialog *dialog) {
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"));
            list->setCurrentRow(2);
            QVERIFY2(desk.act(QStringLiteral("unplug mmcblk0")), udisks.lastError);
            QTRY_COMPARE(listLines(dialog),
                         desk.lines({kTrailLine, QStringLiteral("Removable Disk (@/0A1B-2C3D)")}));
            QCOMPARE(list->currentRow(), 1);
            QTest::keyClick(list, Qt::Key_Return);
            QTRY_VERIFY(!dialog->isVisible());
        });
        const CardSelection selection = SelectCard(*desk.source);
        QCOMPARE(selection.cardSettingsPath, desk.settingsPath(QStringLiteral("0A1B-2C3D")));
    }

    // The desktop mounts a card a second after the system tells of it: a single card that holds
    // its file is still taken without the list.
    void cardMountedByTheDesktopIsTakenAlone_data()
    {
        QTest::addColumn<bool>("atStart"); // inserted before the editor looks, or while the
                                           // no-card dialog is open
        QTest::newRow("inserted before the editor looks") << true;
        QTest::newRow("inserted while the no-card dialog is open") << false;
    }

    void cardMountedByTheDesktopIsTakenAlone()
    {
        QFETCH(bool, atStart);
        Desk desk(udisks, {"mmcblk0", "sda", "sdb", "sde"});
        QVERIFY2(desk.loaded, udisks.lastError);
        QVERIFY(desk.putSettingsFile(QStringLiteral("SPARE")));
        QVERIFY2(udisks.automount(1), udisks.lastError);

        ModalScript person;
        if (atStart) {
            QVERIFY2(udisks.plug(QStringLiteral("sdb")), udisks.lastError);
        } else {
            person.then([&](QDialog *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("noCardDialog"));
                QVERIFY2(udisks.plug(QStringLiteral("sdb")), udisks.lastError);
                QTRY_VERIFY(!dialog->isVisible());
            });
        }
        const CardSelection selection = SelectCard(*desk.source);
        QCOMPARE(selection.outcome, CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath, desk.settingsPath(QStringLiteral("SPARE")));
        QCOMPARE(person.opened(), atStart ? 0 : 1);
    }

    // A card that comes and goes before the desktop has mounted it leaves the no-card dialog as
    // it was, waiting for the user.
    void cardThatComesAndGoesLeavesTheNoCardDialogOpen()
    {
        Desk desk(udisks, {"mmcblk0", "sda", "sdb", "sde"});
        QVERIFY2(desk.loaded, udisks.lastError);

        ModalScript person;
        person.then([&](QDialog *dialog) {
            QVERIFY2(udisks.plug(QStringLiteral("sdb")), udisks.lastError);
            QTest::qWait(500);
            QVERIFY2(udisks.unplug(QStringLiteral("sdb")), udisks.lastError);
            QTest::qWait(3000);
            QVERIFY(dialog->isVisible());
            clickControl(dialog, QStringLiteral("exitButton"));
        });
        QCOMPARE(SelectCard(*desk.source).outcome, CardOutcome::Exit);
        QCOMPARE(person.opened(), 1);
    }

    // A card that arrives while the no-card dialog is open does what Retry does.
    void noCardDialogGoesOnWhenACardArrives_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QStringList>("lines"); // of the card list; empty: none shown
        QTest::addColumn<QString>("chosen");

        QTest::newRow("card that holds its file") << "sda" << true << QStringList{} << "TRAIL";
        QTest::newRow("fresh card") << "sda" << false << QStringList{kTrailLine} << "TRAIL";
        QTest::newRow("card not mounted") << "sdb" << false << QStringList{kSpareLine} << "SPARE";
        QTest::newRow("NTFS stick, no card") << "sdd" << false << QStringList{} << "";
        QTest::newRow("USB hard disk, no card") << "sdc" << false << QStringList{} << "";
    }

    void noCardDialogGoesOnWhenACardArrives()
    {
        QFETCH(QString, device);
        QFETCH(bool, withFile);
        QFETCH(QStringList, lines);
        QFETCH(QString, chosen);

        Desk desk(udisks, {"mmcblk0", "sda", "sdb", "sdc", "sdd", "sde"});
        QVERIFY2(desk.loaded, udisks.lastError);
        if (withFile)
            QVERIFY(desk.putSettingsFile(chosen));

        ModalScript person;
        person.then([&](QDialog *dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("noCardDialog"));
            QVERIFY2(udisks.plug(device), udisks.lastError);
            if (chosen.isEmpty()) {
                // No card came: the dialog waits for the user.
                QTest::qWait(300);
                QVERIFY(dialog->isVisible());
                clickControl(dialog, QStringLiteral("exitButton"));
                return;
            }
            QTRY_VERIFY(!dialog->isVisible());
            QCOMPARE(dialog->result(), int(CNoCardDlg::Retry));
        });
        if (!lines.isEmpty()) {
            person.then([&](QDialog *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("selectCardDialog"));
                QCOMPARE(listLines(dialog), desk.lines(lines));
                clickControl(dialog, QStringLiteral("okButton"));
                QTRY_VERIFY(!dialog->isVisible());
            });
        }
        const CardSelection selection = SelectCard(*desk.source);
        QCOMPARE(selection.outcome, chosen.isEmpty() ? CardOutcome::Exit : CardOutcome::CardPath);
        QCOMPARE(selection.cardSettingsPath,
                 chosen.isEmpty() ? QString() : desk.settingsPath(chosen));
        QCOMPARE(person.opened(), lines.isEmpty() ? 1 : 2);
    }

    // A UDisks2 that stops answering freezes no window: the list still takes the keyboard
    // while a scan waits for it, and the scan falls back to lsblk within UDisks2's time limit.
    void theListOutlivesAHangingUDisks()
    {
        FakeUDisks2 hanging;
        QVERIFY(hanging.started());
        Desk desk(hanging, {"mmcblk0", "sde"});
        QVERIFY2(desk.loaded, hanging.lastError);
        // lsblk sees the desk's mounted cards in /media/user; CAM2's slot is an SD slot.
        FakeLsblkProgram lsblk(
            QStringLiteral(VELOMAR_LSBLK_RECORDINGS "/util-linux-2.38-desk.json"));
        QVERIFY(lsblk.ready());
        ScopedEnvironment sysfs(
            "VELOMAR_SYSFS_ROOT",
            QFile::encodeName(FakeVolumeSource::sysfsTreePath(QStringLiteral("sd-slot"))));
        const auto volumes = platform::CreateDesktopVolumeSource();

        ModalScript person;
        person.then([&](QDialog *dialog) {
            QTRY_COMPARE(listLines(dialog), desk.lines({kTrailLine, kSpareLine}));
            auto *list = findControl<QListWidget>(dialog, QStringLiteral("cardList"));
            QVERIFY(hanging.hang());
            QElapsedTimer clock;
            clock.start();
            QTimer::singleShot(0, dialog,
                               [dialog] { static_cast<CSelectCardDlg *>(dialog)->ScanCards(); });
            QCoreApplication::postEvent(list, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, {}));
            QTRY_COMPARE(list->currentRow(), 1);
            QVERIFY2(clock.elapsed() < platform::kUDisksTimeLimit.count() / 2,
                     "the window waited for UDisks2");
            QTRY_COMPARE_WITH_TIMEOUT(
                listLines(dialog),
                (QStringList{"CAM2 (/media/user/CAM2)" + kFat32Remark,
                             "TRAIL (/media/user/TRAIL)" + kFat32Remark,
                             QStringLiteral("Removable Disk (/media/user/0A1B-2C3D)")}),
                int(platform::kUDisksTimeLimit.count()) + 3000);
            clickControl(dialog, QStringLiteral("cancelButton"));
        });
        QCOMPARE(SelectCard(*volumes).outcome, CardOutcome::Exit);
        QCOMPARE(person.opened(), 1);
    }

private:
    FakeUDisks2 udisks;
};

QTEST_MAIN(TestCardSelection)
#include "tst_card_selection.moc"
