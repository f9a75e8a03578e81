// Every message of the string table as a person meets it: the real message box on the screen,
// reached the way the program reaches it, answered with Escape.

#include "gui_run.h"
#include "gui_test.h"
#include "modal_script.h"
#include "pages/date_time_dialog.h"
#include "pages/time_lapse_page.h"
#include "pages/triggers_page.h"
#include "schedule/schedule_sheet.h"
#include "sheet_run.h"

#include <QMessageBox>
#include <QTest>

#include <functional>
#include <optional>

namespace {

// The desktop's message boxes, with what each answered.
class DesktopBoxes : public MessageService
{
public:
    MessageAnswer show(QWidget *parent, const Message &message) override
    {
        const MessageAnswer answer = desktop.show(parent, message);
        answers.append(answer);
        return answer;
    }

    QList<MessageAnswer> answers;

private:
    QtMessageService desktop;
    // Over the fixture's scripted double while it lives.
    ScopedMessageService installation{*this};
};

// What the person saw of a message box, and what Escape answered.
struct BoxSeen
{
    QString text;
    QString caption;
    Qt::TextFormat textFormat = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    std::optional<MessageAnswer> escape;
};

// Runs `action` with the desktop's message boxes; the one box that opens is looked at and
// answered with Escape. A box that never opens, or a second one, fails the test.
BoxSeen escapeTheBox(const std::function<void()> &action)
{
    BoxSeen seen;
    DesktopBoxes boxes;
    ModalScript person;
    person.then([&seen](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QVERIFY2(box, dialog->metaObject()->className());
        seen.text = box->text();
        seen.caption = box->windowTitle();
        seen.textFormat = box->textFormat();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->standardButton(box->defaultButton());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    action();
    if (!boxes.answers.isEmpty())
        seen.escape = boxes.answers.first();
    return seen;
}

// A local copy without pictures: neither trigger nor the time lapse on.
CameraSettings withoutPictures()
{
    CameraSettings s = testfiles::factorySettings();
    s.SetInternalTrigger(false);
    return s;
}

// Brings the program to message `id` the way a person does, and answers it with Escape.
// False when the window that shows it did not come up.
bool meetMessage(int id, BoxSeen &seen)
{
    if (id == 116) { // a short time lapse while the internal trigger is armed
        PageInSheet<CKTPageTimeLapse> page;
        if (!page.open())
            return false;
        page.click(QStringLiteral("timeLapseSeconds"));
        if (!page.choose(QStringLiteral("secondsList"), QStringLiteral("4")))
            return false;
        seen = escapeTheBox([&] { page.leave(); });
        return true;
    }
    if (id == 117 || id == 123 || id == 126) {
        PageInSheet<CKTPageTriggers> page;
        page.settings.SetStoredQuickset(QuicksetAdvanced);
        if (id == 117) { // a trigger clicked against a 3-second time lapse
            page.settings.SetInternalTrigger(false);
            page.settings.SetTimeLapseOn(true);
            page.settings.core.timeLapseInterval = MakeInterval(IntervalUnit::Seconds, 3);
        } else if (id == 123) { // a preset over a trigger schedule with an off period
            page.settings.SetDaySlot(ScheduleKind::Trigger, 600, false);
        } else { // more burst pictures than a 30-second time lapse holds
            page.settings.SetTimeLapseOn(true);
            page.settings.SetTimeLapseBurst(true);
            page.settings.core.timeLapseInterval = MakeInterval(IntervalUnit::Seconds, 30);
        }
        if (!page.open())
            return false;
        if (id == 126)
            page.type(QStringLiteral("picturesPerTrigger"), QStringLiteral("7"));
        seen = escapeTheBox([&] {
            if (id == 117)
                page.click(QStringLiteral("useInternalTrigger"));
            else if (id == 123)
                page.click(QStringLiteral("quicksetNormal"));
            else
                page.leave();
        });
        return true;
    }
    if (id == 118) { // OK in the date dialog
        DialogRun<CDateTimeDlg> date;
        if (!date.show(std::make_unique<CDateTimeDlg>(date.settings)))
            return false;
        seen = escapeTheBox([&] { date.click(QStringLiteral("okButton")); });
        return true;
    }
    if (id == 121) { // OK on the time-lapse schedule, all off after a factory reset
        DialogRun<CScheduleSheet> schedule;
        if (!schedule.show(std::make_unique<CScheduleSheet>(stringText(125), nullptr, true, 0,
                                                            schedule.settings, schedule.app)))
            return false;
        seen = escapeTheBox([&] { schedule.click(QStringLiteral("okButton")); });
        return true;
    }

    // The rest come from the main sheet.
    SheetRun run;
    if (id == 108) { // a local copy whose header is short
        if (!writeBytes(run.localPath, QByteArray()))
            return false;
        CKestraSheet sheet(run.settings, run.app);
        sheet.SetPaths(run.localPath, run.cardPath);
        seen = escapeTheBox([&] { sheet.exec(); });
        return true;
    }
    if (id == 119 || id == 120) { // OK on settings that take no pictures
        run.platform.shift = run.platform.ctrl = id == 119;
        if (!run.writeLocal(withoutPictures()))
            return false;
    }
    if (id == 109) // a card whose folder has gone
        run.cardPath = run.folder.filePath(QStringLiteral("missing/Kestra.cfg"));
    if (!run.open())
        return false;
    seen = escapeTheBox([&] {
        switch (id) {
        case 110:
            run.clickButton(run.sheet->useFactoryButton());
            break;
        case 111:
            run.clickButton(run.sheet->changeDateTimeButton());
            break;
        case 115: // the close box after a change
            run.settings.SetLabel("CHANGED");
            run.sheet->close();
            break;
        default: // 109, 114, 119, 120
            run.clickButton(PropertySheet::OkButton);
            break;
        }
    });
    return true;
}

} // namespace

Q_DECLARE_METATYPE(MessageAnswer)

class TestMessageBoxes : public GuiTest
{
    Q_OBJECT

private slots:
    // Caption, icon, buttons, the default button and what Escape answers, for every message
    // of the string table. A question never takes its risky answer on Escape: 115 does not
    // save, 110 does not reset, and the factory and date questions default to No.
    void everyMessageAsThePersonSeesIt_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QMessageBox::StandardButtons>("buttons");
        QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
        QTest::addColumn<MessageAnswer>("escape");
        const QString product = QStringLiteral("Velomar - Professional Settings");
        const QString information = QStringLiteral("Information");
        const QString program = QStringLiteral("velomar-settings");
        const QMessageBox::StandardButtons ok = QMessageBox::Ok;
        const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
        const auto notice = [&](int id, const QString &caption, QMessageBox::Icon icon) {
            QTest::addRow("%d", id)
                << id << caption << icon << ok << QMessageBox::Ok << MessageAnswer::Ok;
        };
        const auto question = [&](int id, const QString &caption, QMessageBox::Icon icon,
                                  QMessageBox::StandardButton defaultButton) {
            QTest::addRow("%d", id)
                << id << caption << icon << yesNo << defaultButton << MessageAnswer::No;
        };
        notice(108, product, QMessageBox::Critical);
        notice(109, product, QMessageBox::Critical);
        question(110, information, QMessageBox::Question, QMessageBox::No);
        question(111, information, QMessageBox::Question, QMessageBox::No);
        notice(114, information, QMessageBox::Information);
        question(115, information, QMessageBox::Question, QMessageBox::Yes);
        question(116, program, QMessageBox::Information, QMessageBox::Yes);
        notice(117, program, QMessageBox::Information);
        question(118, program, QMessageBox::Information, QMessageBox::Yes);
        question(119, program, QMessageBox::Information, QMessageBox::Yes);
        notice(120, program, QMessageBox::Information);
        notice(121, program, QMessageBox::Information);
        question(123, information, QMessageBox::Question, QMessageBox::Yes);
        question(126, program, QMessageBox::Information, QMessageBox::Yes);
    }
    void everyMessageAsThePersonSeesIt()
    {
        QFETCH(int, id);
        QFETCH(QString, caption);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QMessageBox::StandardButtons, buttons);
        QFETCH(QMessageBox::StandardButton, defaultButton);
        QFETCH(MessageAnswer, escape);
        BoxSeen seen;
        QVERIFY(meetMessage(id, seen));
        // 118 names the moment the dialog shows: the computer's clock.
        const QString text = stringText(id).replace(QLatin1String("%s"),
                                                    QStringLiteral("9:05 AM, January 05, 2015"));
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.caption, caption);
        QCOMPARE(seen.icon, icon);
        QCOMPARE(seen.buttons, buttons);
        QCOMPARE(seen.defaultButton, defaultButton);
        QVERIFY2(seen.escape, "the box was not answered");
        QCOMPARE(*seen.escape, escape);
    }

    // Labels, paths and the system's words go into messages as they come; what looks like
    // markup is shown as typed, line breaks still break.
    void messagesAreShownAsTyped()
    {
        const QString text = QStringLiteral("The card <b>BIG</b> (/dev/sdb1) could not be "
                                            "mounted.\n\nError mounting /dev/sdb1");
        const BoxSeen seen =
            escapeTheBox([&] { showMessage(nullptr, text, programName(), MessageIcon::Stop); });
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.textFormat, Qt::PlainText);
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "tst_message_boxes.moc"
