#include "app/card_selection.h"
#include "app/no_card_dialog.h"
#include "app/select_card_dialog.h"
#include "fake_volume_source.h"
#include "focus_chain.h"
#include "framework/message_service.h"
#include "modal_script.h"
#include "shown_text.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

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

void click(QDialog *dialog, const char *button)
{
    auto *pushButton = dialog->findChild<QPushButton *>(QLatin1String(button));
    QVERIFY2(pushButton, button);
    QTest::mouseClick(pushButton, Qt::LeftButton);
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

void answer(QDialog *dialog, Answer how)
{
    // Access keys reach only the active window: the step may run before the dialog is.
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    switch (how) {
    case Answer::ExitButton:
        click(dialog, "exitButton");
        break;
    case Answer::ReadOnlyButton:
        click(dialog, "readOnlyButton");
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
}

} // namespace

Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(CardOutcome)

class TestCardSelection : public QObject
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
                click(dialog, "okButton");
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
            auto *prompt = dialog->findChild<QLabel *>(QStringLiteral("selectCardText"));
            QVERIFY(prompt);
            QCOMPARE(shown(prompt->text()),
                     QStringLiteral("Select the card to use from the list below."));
            QCOMPARE(listLines(dialog), QStringList{"Removable Disk (" + root + ")"});
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"));
            QCOMPARE(list->selectedItems().size(), 1);
            QCOMPARE(list->currentRow(), 0);
            QVERIFY(!QDir(root + "/VELOMAR").exists());
            click(dialog, "okButton");
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
            click(dialog, "cancelButton");
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
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"));
            const QRect second = list->visualItemRect(list->item(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
            QCOMPARE(list->currentRow(), 1);
            click(dialog, "okButton");
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
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"));
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
                click(dialog, "cancelButton");
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
                auto *text = dialog->findChild<QLabel *>(QStringLiteral("noCardText"));
                QVERIFY(text);
                QCOMPARE(text->text(),
                         QStringLiteral("No removable card found.  Insert a properly formatted "
                                        "card and select retry or continue read-only."));
                auto *icon = dialog->findChild<QLabel *>(QStringLiteral("programIcon"));
                QVERIFY(icon && !icon->pixmap().isNull());
                auto *retry = dialog->findChild<QPushButton *>(QStringLiteral("retryButton"));
                QVERIFY(retry && retry->isDefault());
                QCOMPARE(shown(retry->text()), QStringLiteral("Retry"));
                QCOMPARE(
                    shown(
                        dialog->findChild<QPushButton *>(QStringLiteral("readOnlyButton"))->text()),
                    QStringLiteral("Continue read-only"));
                QCOMPARE(
                    shown(dialog->findChild<QPushButton *>(QStringLiteral("exitButton"))->text()),
                    QStringLiteral("Exit"));
                click(dialog, "retryButton");
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
                click(dialog, "okButton");
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
            click(dialog, "retryButton");
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
            answer(dialog, how);
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
        person.then([&](QDialog *dialog) { answer(dialog, how); });
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
            shown->findChild<QListWidget *>(QStringLiteral("cardList"))->setCurrentRow(row);
            click(shown, "okButton");
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
            click(shown, "okButton");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(dialog.selectedPath().isEmpty());
    }

    void theKeyboardGoesThroughTheCardDialogs()
    {
        Drives drives;
        QVERIFY(drives.loaded);
        ModalScript person;
        person.then([&](QDialog *dialog) {
            const QStringList chain = {"retryButton", "readOnlyButton", "exitButton",
                                       "retryButton"};
            const TabWalk walk = walkBothWays(dialog, chain);
            QCOMPARE(walk.forward, expectedWalk(chain).forward);
            QCOMPARE(walk.backward, expectedWalk(chain).backward);
            dialog->reject();
        });
        CNoCardDlg noCard;
        QCOMPARE(noCard.exec(), int(CNoCardDlg::Exit));

        // The list has the focus; Down picks the second card, Enter takes it.
        CSelectCardDlg selectCard(drives.source);
        QVERIFY(selectCard.ScanCards());
        person.then([&](QDialog *dialog) {
            const QStringList chain = {"cardList", "okButton", "cancelButton", "cardList"};
            const TabWalk walk = walkBothWays(dialog, chain);
            QCOMPARE(walk.forward, expectedWalk(chain).forward);
            QCOMPARE(walk.backward, expectedWalk(chain).backward);
            QWidget *cancel = dialog->findChild<QWidget *>(QStringLiteral("cancelButton"));
            cancel->setFocus();
            QTest::keyClick(cancel, Qt::Key_S, Qt::AltModifier);
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("cardList"));
            QCOMPARE(QApplication::focusWidget(), list);
            QCOMPARE(list->currentRow(), 0);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QCOMPARE(selectCard.exec(), int(QDialog::Accepted));
        QCOMPARE(selectCard.selectedPath(), drives.settingsPath(QStringLiteral("TRAIL")));
        QVERIFY(QDir(drives.root(QStringLiteral("TRAIL")) + "/VELOMAR").exists());
    }
};

QTEST_MAIN(TestCardSelection)
#include "tst_card_selection.moc"
