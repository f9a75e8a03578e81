#include "fake_volume_source.h"
#include "fault_injection.h"
#include "focus_chain.h"
#include "framework/message_service.h"
#include "accessibility_listener.h"
#include "app/card_differences_dialog.h"
#include "framework/notice_band.h"
#include "gui_test.h"
#include "modal_script.h"
#include "platform/card_lock.h"
#include "scoped_environment.h"
#include "sheet_run.h"
#include "shown_text.h"
#include "tmpfs_mount.h"
#include "wheel_notch.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

// A record as an earlier run saved it: a switch-on time and another label.
CameraSettings earlierRun()
{
    CameraSettings s = factorySettings();
    s.SetLoadTime(12, 30, 0);
    s.SetLoadDate(7, 4, 24);
    s.SetLabel("NORTH GATE");
    return s;
}

// What the card receives of `settings` in a run without the date dialog: no switch-on time.
CameraSettings withoutSwitchOnTime(CameraSettings settings)
{
    settings.core.loadTime = 0;
    settings.core.loadDate = 0;
    return settings;
}

} // namespace

class TestKestraSheet : public GuiTest
{
    Q_OBJECT

private slots:
    void opensOnFactoryValuesWithoutALocalCopy()
    {
        SheetRun run;
        QVERIFY(run.open());
        QCOMPARE(run.sheet->windowTitle(), QStringLiteral("Velomar - Professional Settings"));
        QCOMPARE(run.settings.core, factorySettings().core);
        QVERIFY(!run.settings.CoreChanged());
        QCOMPARE(run.sheet->currentIndex(), 0);
        QStringList tabs;
        for (int i = 0; i < run.sheet->tabWidget()->count(); ++i)
            tabs << shown(run.sheet->tabWidget()->tabText(i));
        QCOMPARE(tabs, QStringList({"Triggers", "Time Lapse", "Images", "Cellular", "Other"}));
        // OK and Cancel have no access key: Enter and Escape are theirs.
        QCOMPARE(run.button(PropertySheet::OkButton)->text(), QStringLiteral("OK"));
        QCOMPARE(run.button(PropertySheet::CancelButton)->text(), QStringLiteral("Cancel"));
        QCOMPARE(shown(run.sheet->changeDateTimeButton()->text()),
                 QStringLiteral("Change Date/Time..."));
        QCOMPARE(shown(run.sheet->useFactoryButton()->text()), QStringLiteral("Use Factory"));
        QVERIFY(run.sheet->changeDateTimeButton()->isEnabled());
        QVERIFY(run.messages.shown().isEmpty());
    }

    // The run ends before the sheet is shown, with the reader's message or, when the medium
    // fails while the file is read, the file error naming it; nothing is written.
    void aLocalCopyThatCannotBeReadEndsTheRun_data()
    {
        QTest::addColumn<QString>("localPath"); // empty: a file of 0 bytes in the run's folder
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        QTest::newRow("its header is short: 108")
            << QString() << stringText(108) << QStringLiteral("Velomar - Professional Settings");
        // Reading the process's own memory from address 0 fails with an I/O error.
        QTest::newRow("the medium fails while it is read")
            << QStringLiteral("/proc/self/mem")
            << QStringLiteral("A hardware I/O error was reported while accessing /proc/self/mem.")
            << QStringLiteral("velomar-settings");
        // The same through a link whose name would break the message's line and reverse it.
        QTest::newRow("a name that is no single line")
            << QStringLiteral("@/Kestra\n\u202Egfc.cfg")
            << QStringLiteral(R"(A hardware I/O error was reported while accessing )"
                              R"(@/Kestra\x0A\u202Egfc.cfg.)")
            << QStringLiteral("velomar-settings");
    }
    void aLocalCopyThatCannotBeReadEndsTheRun()
    {
        QFETCH(QString, localPath);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        SheetRun run;
        if (localPath.isEmpty()) {
            QVERIFY(writeBytes(run.localPath, QByteArray()));
        } else if (localPath.startsWith(QLatin1Char('@'))) {
            run.localPath = localPath.replace(0, 1, run.folder.path());
            QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), run.localPath));
            message.replace(QLatin1Char('@'), run.folder.path());
        } else {
            run.localPath = localPath;
        }
        run.messages.expect(message);
        CKestraSheet sheet(run.settings, run.app);
        sheet.SetPaths(run.localPath, run.cardPath);
        QCOMPARE(sheet.exec(), int(QDialog::Rejected));
        QVERIFY(!sheet.isVisible());
        const Message &shown = run.messages.shownMessage(0);
        QCOMPARE(shown.caption, caption);
        QCOMPARE(shown.icon, MessageIcon::Stop);
        QCOMPARE(run.messages.owners(), QList<QWidget *>{nullptr});
        QVERIFY(!QFile::exists(run.cardPath));
        QVERIFY(!QFile::exists(QStringLiteral("carriers2.dat")));
    }

    void okWritesLocalCopyCarrierFileAndCard()
    {
        SheetRun run;
        QVERIFY(run.writeLocal(earlierRun()));
        QVERIFY(run.open());
        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);

        QVERIFY(!run.sheet->isVisible());
        QCOMPARE(run.sheet->result(), int(QDialog::Accepted));
        const Message &notice = run.messages.shownMessage();
        QCOMPARE(notice.caption, QStringLiteral("Information"));
        QCOMPARE(notice.icon, MessageIcon::Information);
        // The local copy keeps the switch-on time it was loaded with; the card gets none,
        // since the date dialog did not run in this run.
        QCOMPARE(readBytes(run.localPath), settingsFileBytes(earlierRun()));
        QCOMPARE(readBytes(run.cardPath), settingsFileBytes(withoutSwitchOnTime(earlierRun())));
        QCOMPARE(readBytes(QStringLiteral("carriers2.dat")), QByteArray("3\0", 2));
    }

    void carrierIndexIsWrittenAsTwoBytes_data()
    {
        QTest::addColumn<int>("carrierIndex");
        QTest::addColumn<QByteArray>("before"); // carriers2.dat from an earlier run; null: none
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray none;
        QTest::newRow("one digit") << 7 << none << QByteArray("7\0", 2);
        QTest::newRow("two digits") << 12 << QByteArray("5\0", 2) << QByteArray("12");
        QTest::newRow("none chosen") << -1 << none << QByteArray("3\0", 2);
        QTest::newRow("beyond the list") << 50 << none << QByteArray("3\0", 2);
        // A run that never opened the Cellular tab keeps the carrier chosen before.
        QTest::newRow("none chosen keeps the earlier choice")
            << -1 << QByteArray("5\0", 2) << QByteArray("5\0", 2);
    }
    void carrierIndexIsWrittenAsTwoBytes()
    {
        QFETCH(int, carrierIndex);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, bytes);
        SheetRun run;
        if (!before.isNull())
            QVERIFY(writeBytes(QStringLiteral("carriers2.dat"), before));
        QVERIFY(run.open());
        run.app.carrierIndex = carrierIndex;
        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        QCOMPARE(readBytes(QStringLiteral("carriers2.dat")), bytes);
    }

    // The wheel turned over the carrier list while a phone number has the focus changes no
    // carrier, so no destination row is emptied behind the user's back.
    void wheelOverTheUnfocusedCarrierListLosesNoPhoneNumber()
    {
        SheetRun run;
        CameraSettings stored = factorySettings();
        stored.SetCellularOff(false);
        for (std::size_t i = 0; i < stored.cellular.phoneNumbers.size(); ++i)
            stored.cellular.phoneNumbers[i] = PackPhoneNumber("555 010" + std::to_string(i), false);
        QVERIFY(run.writeLocal(stored));
        const QByteArray carriers = "Four Phones;2;4;1;0\nTwo Phones;2;2;1;0\nOne Phone;2;1;1;0\n";
        const QByteArray lastCarrier("0\0", 2);
        QVERIFY(writeBytes(QStringLiteral("carriers.dat"), carriers));
        QVERIFY(writeBytes(QStringLiteral("carriers2.dat"), lastCarrier));
        QVERIFY(run.open());
        run.clickTab(3);
        auto *list = run.find<QComboBox>("carrierList");
        QCOMPARE(list->currentIndex(), 0);
        run.find<QWidget>("phoneNumber4")->setFocus();
        turnWheel(list, -1);
        turnWheel(list, -1);
        QCOMPARE(list->currentIndex(), 0);

        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(!run.sheet->isVisible());
        QCOMPARE(readBytes(run.cardPath), settingsFileBytes(withoutSwitchOnTime(stored)));
        QCOMPARE(readBytes(run.localPath), settingsFileBytes(stored));
        QCOMPARE(readBytes(QStringLiteral("carriers2.dat")), lastCarrier);
    }

    void noPicturesAsksForATriggerAndStays()
    {
        SheetRun run;
        CameraSettings silent = factorySettings();
        silent.SetInternalTrigger(false);
        QVERIFY(run.writeLocal(silent));
        QVERIFY(run.open());
        run.messages.expect(120);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(run.sheet->isVisible());
        QCOMPARE(run.messages.shownMessage().caption, QStringLiteral("velomar-settings"));
        QCOMPARE(run.messages.shownMessage().icon, MessageIcon::Information);
        QVERIFY(!QFile::exists(run.cardPath));
    }

    void shiftAndCtrlAtStartAllowSettingsWithoutPictures()
    {
        for (MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            SheetRun run;
            run.platform.shift = run.platform.ctrl = true;
            CameraSettings silent = factorySettings();
            silent.SetInternalTrigger(false);
            QVERIFY(run.writeLocal(silent));
            QVERIFY(run.open());
            QVERIFY(run.sheet->noPicturesOverride());
            run.messages.expect(119, answer);
            if (answer == MessageAnswer::Yes)
                run.messages.expect(114);
            run.clickButton(PropertySheet::OkButton);
            QCOMPARE(run.messages.shownMessage().buttons, MessageButtons::YesNo);
            QCOMPARE(run.sheet->isVisible(), answer == MessageAnswer::No);
            QCOMPARE(QFile::exists(run.cardPath), answer == MessageAnswer::Yes);
        }
    }

    void theExternalTriggerAloneIsEnoughToSave()
    {
        SheetRun run;
        CameraSettings external = factorySettings();
        external.SetInternalTrigger(false);
        external.SetExternalTrigger(true);
        QVERIFY(run.writeLocal(external));
        QVERIFY(run.open());
        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(!run.sheet->isVisible());
    }

    // Either copy that cannot be created: message 109, and the save goes on with its next
    // steps and closes the sheet; 114 only when the card's copy was written.
    void aCopyThatCannotBeCreatedShows109AndTheSaveGoesOn_data()
    {
        QTest::addColumn<bool>("cardFails");
        QTest::newRow("the card's") << true;
        QTest::newRow("the local copy's") << false;
    }
    void aCopyThatCannotBeCreatedShows109AndTheSaveGoesOn()
    {
        QFETCH(bool, cardFails);
        SheetRun run;
        const QString missing = run.folder.filePath(QStringLiteral("missing/Kestra.cfg"));
        (cardFails ? run.cardPath : run.localPath) = missing;
        QVERIFY(run.open());
        run.messages.expect(109);
        if (!cardFails)
            run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(!run.sheet->isVisible());
        QCOMPARE(run.messages.shownMessage(0).caption,
                 QStringLiteral("Velomar - Professional Settings"));
        QCOMPARE(run.messages.shownMessage(0).icon, MessageIcon::Stop);
        QVERIFY(!QFile::exists(missing));
        // The other copy and the carrier choice are written all the same.
        const QString written = cardFails ? run.localPath : run.cardPath;
        QCOMPARE(readBytes(written), settingsFileBytes(factorySettings()));
        QCOMPARE(readBytes(QStringLiteral("carriers2.dat")), QByteArray("3\0", 2));
    }

    // A card whose medium fails while the new settings are made lasting keeps its old file
    // whole; the sheet says why and stays open with the record, so that OK can be tried again.
    void aCardThatCannotSyncKeepsItsOldSettingsAndTheSheet()
    {
        QVERIFY(MediumFaults::loaded());
        SheetRun run;
        const QByteArray old = settingsFileBytes(factorySettings());
        QVERIFY(writeBytes(run.cardPath, old));
        QVERIFY(run.writeLocal(earlierRun()));
        QVERIFY(run.open());
        MediumFaults faults;
        faults.failSync(run.cardPath + QStringLiteral(".velomar-*"));
        run.messages.expect(QStringLiteral("A hardware I/O error was reported while accessing ") +
                            run.cardPath + QLatin1Char('.'));
        run.clickButton(PropertySheet::OkButton);
        faults.clear();
        QVERIFY(run.sheet->isVisible());
        QCOMPARE(run.messages.shownMessage(0).icon, MessageIcon::Stop);
        QCOMPARE(readBytes(run.cardPath), old);
        QCOMPARE(testfiles::folderEntries(QFileInfo(run.cardPath).path()),
                 QStringList{"Kestra.cfg"});
    }

    // The card's copy goes only to the card that was chosen, found in its place under its lock
    // just before the write; anything else is a card copy that cannot be created. What the
    // card held is kept on this computer before it is replaced.
    void okWritesOnlyTheChosenCard_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("written");
        QTest::newRow("the card is still there") << "" << true;
        QTest::newRow("the card was pulled out") << "unplug" << false;
        QTest::newRow("another card is in its place") << "swap" << false;
        QTest::newRow("another writer keeps the card") << "lock" << false;
    }
    void okWritesOnlyTheChosenCard()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, written);
        SheetRun run;
        QTemporaryDir mounts;
        FakeVolumeSource reader;
        QVERIFY(reader.load(QStringLiteral(VELOMAR_LSBLK_RECORDINGS),
                            QStringLiteral("util-linux-2.38-uuid.json"), mounts.path()));
        const QString root = mounts.filePath(QStringLiteral("TRAIL"));
        run.cardPath = root + QStringLiteral("/VELOMAR/Kestra.cfg");
        QVERIFY(QDir().mkpath(root + QStringLiteral("/VELOMAR")));
        // What the card in the reader holds: settings of its own.
        const QByteArray before = settingsFileBytes(earlierRun());
        QVERIFY(writeBytes(run.cardPath, before));
        QTemporaryDir data;
        const ScopedEnvironment dataHome("XDG_DATA_HOME", QFile::encodeName(data.path()));

        QVERIFY(run.open());
        run.sheet->SetCard(reader, {root, QStringLiteral("3F8B-21D4"), {}, false});
        std::optional<platform::CardLock> otherWriter;
        if (meanwhile == QLatin1String("unplug"))
            reader.unplug("sda");
        else if (meanwhile == QLatin1String("swap"))
            reader.swapCard("sda1", "7D00-0001");
        else if (meanwhile == QLatin1String("lock"))
            otherWriter.emplace(root.toStdString());
        run.messages.expect(written ? 114 : 109);
        run.clickButton(PropertySheet::OkButton);

        QVERIFY(!run.sheet->isVisible());
        QCOMPARE(readBytes(run.cardPath), written ? settingsFileBytes(factorySettings()) : before);
        QCOMPARE(readBytes(run.localPath), settingsFileBytes(factorySettings()));
        const QDir replaced(data.filePath(QStringLiteral("Velomar/velomar-settings/replaced")));
        const QStringList copies = replaced.entryList(QDir::Files);
        QCOMPARE(copies.size(), written ? 1 : 0);
        if (written) {
            QVERIFY2(copies.front().startsWith(QStringLiteral("3F8B-21D4_2015-01-05_09-05-00_")),
                     qPrintable(copies.front()));
            QCOMPARE(readBytes(replaced.filePath(copies.front())), before);
        }
        // Nothing of the editor's is left on the card.
        QCOMPARE(QDir(root + QStringLiteral("/VELOMAR"))
                     .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{"Kestra.cfg"});
    }

    // The band above the tabs says when the card holds other settings than the local copy.
    void theBandSaysWhatTheCardHolds_data()
    {
        QTest::addColumn<QByteArray>("onCard"); // null: no settings file on the card
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("notice"); // empty: no band
        CameraSettings camB = factorySettings();
        camB.SetLabel("CAM B");
        camB.SetTimeLapseOn(true);
        const QString other =
            QStringLiteral("The card card holds other settings than this computer's copy (%1).");
        QTest::newRow("other settings")
            << settingsFileBytes(camB) << false << other.arg("2 settings differ");
        QTest::newRow("an older layout, core only")
            << settingsFileBytes(camB).left(CoreSection::kBytes) << false
            << other.arg("2 settings differ");
        CameraSettings switchOn = earlierRun();
        QTest::newRow("one setting") << settingsFileBytes(switchOn) << false
                                     << other.arg("1 setting differs");
        switchOn.SetLabel("");
        QTest::newRow("only the switch-on time") << settingsFileBytes(switchOn) << false << "";
        QTest::newRow("the same settings") << settingsFileBytes(factorySettings()) << false << "";
        QTest::newRow("no settings file") << QByteArray() << false << "";
        QTest::newRow("a read-only run") << settingsFileBytes(camB) << true << "";
        QTest::newRow("unreadable") << QByteArray("junk") << false
                                    << "The settings file on the card card cannot be read; OK "
                                       "replaces it with these settings.";
    }
    void theBandSaysWhatTheCardHolds()
    {
        QFETCH(QByteArray, onCard);
        QFETCH(bool, readOnly);
        QFETCH(QString, notice);
        SheetRun run;
        run.app.readOnly = readOnly;
        if (!onCard.isNull())
            QVERIFY(writeBytes(run.cardPath, onCard));
        AccessibilityListener screenReader;
        QVERIFY(run.open());
        NoticeBand *band = run.sheet->cardNotice();
        QCOMPARE(band->isVisible() ? band->text() : QString(), notice);
        // A screen reader hears it as it appears.
        const bool announced = std::any_of(
            screenReader.events().begin(), screenReader.events().end(),
            [&](const auto &event) { return event.type == QAccessible::Alert && event.object == band; });
        QCOMPARE(announced, !notice.isEmpty());
        // It takes no focus: the first tab's first control has it, as without a band.
        QVERIFY(!band->isAncestorOf(QApplication::focusWidget()));
    }

    // Each of the band's choices, and what OK then writes to the card and the local copy.
    void theBandsChoices_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("cardsSettings"); // what OK writes
        QTest::newRow("Use the Card's Settings") << "useCardSettings" << true;
        QTest::newRow("Keep These") << "keepLocalSettings" << false;
    }
    void theBandsChoices()
    {
        QFETCH(QString, choice);
        QFETCH(bool, cardsSettings);
        SheetRun run;
        CameraSettings camB = factorySettings();
        camB.SetLabel("CAM B");
        camB.SetTimeLapseOn(true);
        QVERIFY(writeBytes(run.cardPath, settingsFileBytes(camB)));
        QVERIFY(run.writeLocal(earlierRun()));
        QVERIFY(run.open());
        NoticeBand *band = run.sheet->cardNotice();
        QVERIFY(band->isVisible());
        // The band's buttons come just before the tabs, and Alt+U chooses the card's settings.
        const QStringList chain =
            tabChain(run.find<QPushButton>("useFactorySettings"), 4);
        QCOMPARE(chain, QStringList({"useCardSettings", "showCardDifferences",
                                     "keepLocalSettings", "qt_tabwidget_tabbar"}));
        if (choice == QLatin1String("useCardSettings"))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::AltModifier);
        else
            run.clickButton(run.find<QPushButton>(choice));
        QTRY_VERIFY(!band->isVisible()); // a button's access key clicks it a moment later
        QVERIFY(!band->isAncestorOf(QApplication::focusWidget()));

        // Closing asks to save only when the record is no longer the local copy.
        if (cardsSettings) {
            run.messages.expect(115, MessageAnswer::No);
            QVERIFY(run.sheet->close() || !run.sheet->isVisible());
            QCOMPARE(readBytes(run.localPath), settingsFileBytes(earlierRun()));
            QVERIFY(run.open());
            QVERIFY(run.sheet->cardNotice()->isVisible());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::AltModifier);
            QTRY_VERIFY(!run.sheet->cardNotice()->isVisible());
        }
        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(!run.sheet->isVisible());
        CameraSettings expected = cardsSettings ? camB : earlierRun();
        QCOMPARE(readBytes(run.localPath), settingsFileBytes(expected));
        expected.SetLoadTime(0, 0, 0);
        expected.SetLoadDate(0, 0, 0);
        QCOMPARE(readBytes(run.cardPath), settingsFileBytes(expected));
    }

    // "Show Differences..." lists each differing setting with both values, and copies them.
    void showDifferencesListsAndCopiesThem()
    {
        SheetRun run;
        CameraSettings camB = factorySettings();
        camB.SetLabel("CAM B");
        camB.cellular.phoneNumbers[1] = PackPhoneNumber("555", true);
        QVERIFY(writeBytes(run.cardPath, settingsFileBytes(camB)));
        QVERIFY(run.open());
        QString copied;
        ModalScript script;
        script.then([&](QDialog *dialog) {
            QTest::keyClick(dialog, Qt::Key_C, Qt::ControlModifier);
            copied = run.platform.clipboard;
            dialog->reject();
        });
        run.clickButton(run.find<QPushButton>("showCardDifferences"));
        QCOMPARE(copied, QStringLiteral("Tab\tSetting\tThis computer\tThe card card\n"
                                        "Images\tLabel\t\tCAM B\n"
                                        "Cellular\tPhone 2\t\t555\n"
                                        "Cellular\tPhone 2 BCC\tno\tyes\n"));
        // Looking is not a choice: the band stays.
        QVERIFY(run.sheet->cardNotice()->isVisible());
        // Every setting that can differ has its label on the tab.
        for (const NamedSetting &setting : NamedSettings())
            QVERIFY2(!NamedSettingLabel(setting.name).empty(), setting.name.data());
    }

    void useFactoryAsksFirstAndResetsTheRecord()
    {
        for (MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            SheetRun run;
            QVERIFY(run.writeLocal(earlierRun()));
            QVERIFY(run.open());
            run.messages.expect(110, answer);
            run.clickButton(run.sheet->useFactoryButton());
            const Message &question = run.messages.shownMessage();
            QCOMPARE(question.caption, QStringLiteral("Information"));
            QCOMPARE(question.icon, MessageIcon::Question);
            QCOMPARE(question.defaultButton, MessageAnswer::No);
            if (answer == MessageAnswer::Yes)
                QCOMPARE(run.settings.core, factorySettings().core);
            else
                QCOMPARE(run.settings.core, earlierRun().core);
            QVERIFY(run.sheet->isVisible());
            QVERIFY(!run.sheet->dateTimeSet());
        }
    }

    void changeDateTimeAsksFirstWithNoAsDefault()
    {
        SheetRun run;
        QVERIFY(run.open());
        run.messages.expect(111, MessageAnswer::No);
        run.clickButton(run.sheet->changeDateTimeButton());
        const Message &question = run.messages.shownMessage();
        QCOMPARE(question.caption, QStringLiteral("Information"));
        QCOMPARE(question.icon, MessageIcon::Question);
        QCOMPARE(question.defaultButton, MessageAnswer::No);
        QVERIFY(!run.sheet->dateTimeSet());
    }

    void closingAfterUseFactoryAsksToSave()
    {
        for (MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            SheetRun run;
            QVERIFY(run.writeLocal(earlierRun()));
            QVERIFY(run.open());
            run.messages.expect(110, MessageAnswer::Yes).expect(115, answer);
            if (answer == MessageAnswer::Yes)
                run.messages.expect(114);
            run.clickButton(run.sheet->useFactoryButton());
            run.sheet->close();
            QVERIFY(!run.sheet->isVisible());
            QCOMPARE(run.messages.shownMessage(1).caption, QStringLiteral("Information"));
            // Yes saves the factory values; No leaves the files as they were.
            QCOMPARE(
                readBytes(run.localPath),
                settingsFileBytes(answer == MessageAnswer::Yes ? factorySettings() : earlierRun()));
            QCOMPARE(QFile::exists(run.cardPath), answer == MessageAnswer::Yes);
        }
    }

    void closingWithoutChangesAndCancelNeverAsk()
    {
        {
            SheetRun run;
            QVERIFY(run.writeLocal(earlierRun()));
            QVERIFY(run.open());
            run.sheet->close();
            QVERIFY(!run.sheet->isVisible());
        }
        {
            SheetRun run;
            QVERIFY(run.open());
            run.settings.SetLabel("CHANGED");
            run.clickButton(PropertySheet::CancelButton);
            QVERIFY(!run.sheet->isVisible());
            QVERIFY(!QFile::exists(run.localPath));
        }
        {
            SheetRun run;
            QVERIFY(run.open());
            run.settings.SetLabel("CHANGED");
            QTest::keyClick(run.sheet.get(), Qt::Key_Escape);
            QVERIFY(!run.sheet->isVisible());
        }
    }

    void f1OpensTheUserGuide()
    {
        SheetRun run;
        QVERIFY(run.open());
        run.messages.expect(QStringLiteral("The help file was not found."));
        QTest::keyClick(run.sheet.get(), Qt::Key_F1);
        QCOMPARE(run.messages.shownMessage().caption, QStringLiteral("Velomar"));
        QCOMPARE(run.messages.shownMessage().icon, MessageIcon::Information);

        QFile guide(QString::fromLatin1(kUserGuideFileName));
        QVERIFY(guide.open(QIODevice::WriteOnly));
        guide.close();
        QTest::keyClick(run.sheet.get(), Qt::Key_F1);
        QCOMPARE(run.platform.openedDocuments,
                 QStringList({run.folder.filePath(QString::fromLatin1(kUserGuideFileName))}));
        QTest::keyClick(run.sheet.get(), Qt::Key_F1, Qt::ShiftModifier);
        QCOMPARE(run.platform.openedDocuments.size(), 1);

        // Where nothing would open it, the message says where the guide is.
        run.platform.documentViewer = false;
        run.messages.expect(QStringLiteral("No program on this computer opens PDF files, so the "
                                           "user guide cannot be shown. It is the file\n") +
                            run.folder.filePath(QString::fromLatin1(kUserGuideFileName)));
        QTest::keyClick(run.sheet.get(), Qt::Key_F1);
        QCOMPARE(run.platform.openedDocuments.size(), 1);
    }

    // F1 reaches the sheet whichever control has the focus, on every tab; Shift+F1 never.
    void f1OpensTheUserGuideFromEveryControl()
    {
        SheetRun run;
        CameraSettings inUse = factorySettings();
        inUse.SetStoredQuickset(QuicksetAdvanced);
        inUse.SetTimeLapseOn(true);
        inUse.SetCellularOff(false);
        inUse.SetKeyBoltOn(true);
        QVERIFY(run.writeLocal(inUse));
        QFile guide(QString::fromLatin1(kUserGuideFileName));
        QVERIFY(guide.open(QIODevice::WriteOnly));
        guide.close();
        QVERIFY(run.open());
        run.sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.sheet.get()));
        int presses = 0;
        for (int tab = 0; tab < run.sheet->pageCount(); ++tab) {
            QVERIFY(run.sheet->setCurrentIndex(tab));
            for (QWidget *w : run.sheet->findChildren<QWidget *>()) {
                if (!w->isVisible() || !w->isEnabled() || w->isWindow() ||
                    !(w->focusPolicy() & Qt::TabFocus))
                    continue;
                w->setFocus();
                QTest::keyClick(w, Qt::Key_F1, Qt::ShiftModifier);
                QTest::keyClick(w, Qt::Key_F1);
                ++presses;
                QVERIFY2(run.platform.openedDocuments.size() == presses,
                         qPrintable(w->objectName()));
            }
        }
        QVERIFY(presses > 40);
        QVERIFY(run.messages.shown().isEmpty());
    }

    void theKeyboardGoesFromEachPageToTheButtons_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("Triggers") << 0 << "quicksetNormal"
                                  << "useExternalTrigger";
        QTest::newRow("Time Lapse") << 1 << "timeLapseOff"
                                    << "viewSchedule";
        QTest::newRow("Images") << 2 << "label"
                                << "printBorder";
        QTest::newRow("Cellular") << 3 << "useCellular"
                                  << "carrierList";
        QTest::newRow("Other") << 4 << "loopRecording"
                               << "useKeyBolt";
    }
    void theKeyboardGoesFromEachPageToTheButtons()
    {
        QFETCH(int, tab);
        QFETCH(QString, first);
        QFETCH(QString, last);
        SheetRun run;
        CameraSettings values = factorySettings();
        values.SetCellularOff(false);
        QVERIFY(run.writeLocal(values));
        QVERIFY(run.open());
        QVERIFY(run.sheet->setCurrentIndex(tab));
        QTabBar *bar = run.sheet->tabWidget()->tabBar();
        QCOMPARE(tabChain(bar, 1), QStringList{first});
        const QStringList buttons = {"okButton", "cancelButton", "changeDateTime",
                                     "useFactorySettings", "qt_tabwidget_tabbar"};
        QCOMPARE(tabChain(run.find(last), 5), buttons);
        QCOMPARE(tabChain(bar, 5, true), (QStringList{"useFactorySettings", "changeDateTime",
                                                      "cancelButton", "okButton", last}));
    }

    void readOnlyLeavesCancelTheOneButtonOnTheWay()
    {
        SheetRun run;
        run.app.readOnly = true;
        QVERIFY(run.open());
        QVERIFY(run.sheet->setCurrentIndex(2));
        QCOMPARE(tabChain(run.find(QStringLiteral("printBorder")), 2),
                 (QStringList{"cancelButton", "qt_tabwidget_tabbar"}));
        QCOMPARE(tabChain(run.sheet->tabWidget()->tabBar(), 1), QStringList{"cancelButton"});
    }

    // Alt+D and Alt+F press "Change Date/Time..." and "Use Factory" from anywhere; each asks
    // first. Alt and a tab's letter shows that tab.
    void theSheetsButtonsAndTabsHaveAccessKeys()
    {
        SheetRun run;
        QVERIFY(run.open());
        run.sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.sheet.get()));
        QWidget *field = run.find<QWidget>("quicksetNormal");
        field->setFocus();
        run.messages.expect(111, MessageAnswer::No);
        QTest::keyClick(field, Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(run.messages.shown().size(), 1);
        run.messages.expect(110, MessageAnswer::No);
        QTest::keyClick(field, Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(run.messages.shown().size(), 2);
        const QList<QPair<Qt::Key, int>> tabs = {
            {Qt::Key_L, 1}, {Qt::Key_I, 2}, {Qt::Key_C, 3}, {Qt::Key_R, 4}, {Qt::Key_T, 0}};
        for (const auto &[key, tab] : tabs) {
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
            QCOMPARE(run.sheet->currentIndex(), tab);
        }
        QCOMPARE(run.messages.shown().size(), 2);
        QVERIFY(run.sheet->isVisible());
    }

    void readOnlyRunsWriteNothing()
    {
        SheetRun run;
        run.app.readOnly = true;
        QVERIFY(run.writeLocal(earlierRun()));
        QVERIFY(run.open());
        QCOMPARE(run.sheet->windowTitle(),
                 QStringLiteral("Velomar - Professional Settings (read only)"));
        auto checkButtons = [&run] {
            QVERIFY(!run.button(PropertySheet::OkButton)->isEnabled());
            QVERIFY(!run.sheet->changeDateTimeButton()->isEnabled());
            QVERIFY(!run.sheet->useFactoryButton()->isEnabled());
            QVERIFY(run.button(PropertySheet::CancelButton)->isEnabled());
        };
        checkButtons();
        for (int tab : {1, 2, 3, 4, 0}) {
            QVERIFY(run.sheet->setCurrentIndex(tab));
            checkButtons();
        }
        // A change, the close box, Yes: the sheet closes and nothing is written.
        run.settings.SetLabel("CHANGED");
        run.messages.expect(115, MessageAnswer::Yes);
        run.sheet->close();
        QVERIFY(!run.sheet->isVisible());
        QVERIFY(!run.sheet->Save());
        QCOMPARE(readBytes(run.localPath), settingsFileBytes(earlierRun()));
        QVERIFY(!QFile::exists(run.cardPath));
        QVERIFY(!QFile::exists(QStringLiteral("carriers2.dat")));
    }

    void aFullLocalMediumKeepsTheSheetOpenAndWritesNothingElse()
    {
        // The first local copy: no old file whose space the new one could take.
        SheetRun run;
        TmpfsMount medium;
        if (!medium.mounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + medium.error()));
        run.localPath = medium.filePath(QStringLiteral("Kestra.cfg"));
        QVERIFY(medium.fill());
        QVERIFY(run.open());
        run.messages.expect(QStringLiteral("Destination disk drive is full."));
        run.clickButton(PropertySheet::OkButton);

        QCOMPARE(run.messages.shownMessage().icon, MessageIcon::Stop);
        QVERIFY(run.sheet->isVisible());
        QVERIFY(!QFile::exists(run.cardPath));
        QVERIFY(!QFile::exists(QStringLiteral("carriers2.dat")));
        QCOMPARE(QDir(medium.path()).entryList(QDir::Files), QStringList{"filler"});
    }

    // A card full of pictures still takes the new settings in the space of its old file.
    void okOnAFullCardReplacesItsSettings()
    {
        SheetRun run;
        TmpfsMount card;
        if (!card.mounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + card.error()));
        run.cardPath = card.filePath(QStringLiteral("Kestra.cfg"));
        QVERIFY(writeBytes(run.cardPath, settingsFileBytes(factorySettings())));
        QVERIFY(card.fill());
        QVERIFY(run.writeLocal(earlierRun()));
        QVERIFY(run.open());
        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);

        QVERIFY(!run.sheet->isVisible());
        QCOMPARE(readBytes(run.cardPath), settingsFileBytes(withoutSwitchOnTime(earlierRun())));
        QCOMPARE(QDir(card.path()).entryList(QDir::Files), (QStringList{"filler", "Kestra.cfg"}));
    }

    void aFullCardKeepsTheRecordAsItWasSoOkCanBePressedAgain()
    {
        SheetRun run;
        TmpfsMount card;
        if (!card.mounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + card.error()));
        run.cardPath = card.filePath(QStringLiteral("Kestra.cfg"));
        QVERIFY(run.writeLocal(earlierRun()));
        QVERIFY(card.fill());
        QVERIFY(run.open());
        run.messages.expect(QStringLiteral("Destination disk drive is full."));
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(run.sheet->isVisible());
        QCOMPARE(run.settings.core, earlierRun().core); // switch-on time not lost

        // Room again on the card: OK now goes through.
        QVERIFY(QFile::remove(card.filePath(QStringLiteral("filler"))));
        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(!run.sheet->isVisible());
        QVERIFY(QFile::exists(run.cardPath));
    }
};

QTEST_MAIN(TestKestraSheet)
#include "tst_kestra_sheet.moc"
