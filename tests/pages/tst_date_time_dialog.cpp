#include "gui_run.h"
#include "gui_test.h"
#include "pages/date_time_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const QString kRangeMessage = QStringLiteral("Please enter an integer between %1 and %2.");

QString switchOnQuestion(const QString &when)
{
    return stringText(118).replace(QLatin1String("%s"), when);
}

// The dialog over a record that holds no switch-on time unless a test stores one, with the
// computer's clock under the test's control.
struct DateRun : DialogRun<CDateTimeDlg>
{
    void storeLoad(int year, int month, int day, int hour, int minute)
    {
        settings.SetLoadDate(month, day, year - 2000);
        settings.SetLoadTime(hour, minute, 0);
    }

    [[nodiscard]] bool open() { return show(std::make_unique<CDateTimeDlg>(settings)); }

    QLineEdit *edit(const QString &name, Here here = {}) const
    {
        return find<QLineEdit>(name, here);
    }
    QComboBox *list(const QString &name, Here here = {}) const
    {
        return find<QComboBox>(name, here);
    }
    void pressOk() const { click(QStringLiteral("okButton")); }

    // What the dialog shows: "9:05 AM" and "January 5, 2015" in its own fields.
    QString shownTime() const
    {
        return edit("hour")->text() + QLatin1Char(':') + edit("minute")->text() + QLatin1Char(' ') +
               list("amPm")->currentText();
    }
    QString shownDate() const
    {
        return list("month")->currentText() + QLatin1Char(' ') + list("day")->currentText() +
               QStringLiteral(", ") + list("year")->currentText();
    }
};

} // namespace

class TestDateTimeDialog : public GuiTest
{
    Q_OBJECT

private slots:
    void opensOn_data()
    {
        QTest::addColumn<QDateTime>("stored"); // invalid: nothing stored
        QTest::addColumn<QDateTime>("clock");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");

        const QDateTime none;
        const QDateTime clock(QDate(2015, 1, 5), QTime(9, 5));
        QTest::newRow("nothing stored: the clock, morning") << none << clock << "9:5 AM"
                                                            << "January 5, 2015";
        QTest::newRow("nothing stored: the clock, evening")
            << none << QDateTime(QDate(2024, 2, 29), QTime(23, 59)) << "11:59 PM"
            << "February 29, 2024";
        QTest::newRow("nothing stored: the clock at midnight")
            << none << QDateTime(QDate(2099, 12, 31), QTime(0, 0)) << "12:0 AM"
            << "December 31, 2099";
        QTest::newRow("nothing stored: a clock before 2000 selects no year")
            << none << QDateTime(QDate(1999, 12, 31), QTime(13, 0)) << "1:0 PM"
            << "December 31, ";
        QTest::newRow("nothing stored: a clock after 2099 selects no year")
            << none << QDateTime(QDate(2100, 3, 1), QTime(12, 0)) << "12:0 PM"
            << "March 1, ";
        QTest::newRow("stored 00:00")
            << QDateTime(QDate(2014, 7, 4), QTime(0, 0)) << clock << "12:0 AM"
            << "July 4, 2014";
        QTest::newRow("stored 12:30")
            << QDateTime(QDate(2014, 7, 4), QTime(12, 30)) << clock << "12:30 PM"
            << "July 4, 2014";
        QTest::newRow("stored 23:59")
            << QDateTime(QDate(2000, 1, 1), QTime(23, 59)) << clock << "11:59 PM"
            << "January 1, 2000";
        QTest::newRow("stored 11:00")
            << QDateTime(QDate(2038, 1, 19), QTime(11, 0)) << clock << "11:0 AM"
            << "January 19, 2038";
    }
    void opensOn()
    {
        QFETCH(QDateTime, stored);
        QFETCH(QDateTime, clock);
        QFETCH(QString, time);
        QFETCH(QString, date);
        DateRun run;
        run.platform.now = clock;
        if (stored.isValid())
            run.storeLoad(stored.date().year(), stored.date().month(), stored.date().day(),
                          stored.time().hour(), stored.time().minute());
        QVERIFY(run.open());
        QCOMPARE(run.shownTime(), time);
        QCOMPARE(run.shownDate(), date);
        const QDate shown = stored.isValid() ? stored.date() : clock.date();
        QCOMPARE(run.list("day")->count(), shown.daysInMonth());
        QCOMPARE(run.list("year")->count(), 100);
        QCOMPARE(run.list("year")->itemText(99), QStringLiteral("2099"));
        // VELOMAR_GRAB=file.png saves what a person sees, for a look at the layout.
        if (qEnvironmentVariableIsSet("VELOMAR_GRAB"))
            run.dialog->grab().save(qEnvironmentVariable("VELOMAR_GRAB"));
        // Opening changes nothing in the record.
        if (!stored.isValid()) {
            QCOMPARE(run.settings.core.loadTime, std::uint16_t(0));
            QCOMPARE(run.settings.core.loadDate, std::uint16_t(0));
        }
    }

    void okStoresTheChosenMoment_data()
    {
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("minute");
        QTest::addColumn<QString>("amPm");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("when");
        QTest::addColumn<std::uint16_t>("loadTime");
        QTest::addColumn<std::uint16_t>("loadDate");

        QTest::newRow("12 AM is hour 0")
            << "12"
            << "0"
            << "AM"
            << "July"
            << "4"
            << "2014"
            << "12:00 AM, July 04, 2014" << std::uint16_t(0x0000) << std::uint16_t(0x44E4);
        QTest::newRow("12:30 PM is 0x63C0, seconds 0")
            << "12"
            << "30"
            << "PM"
            << "July"
            << "4"
            << "2014"
            << "12:30 PM, July 04, 2014" << std::uint16_t(0x63C0) << std::uint16_t(0x44E4);
        QTest::newRow("7 PM is hour 19")
            << "7"
            << "15"
            << "PM"
            << "January"
            << "5"
            << "2015"
            << "7:15 PM, January 05, 2015" << std::uint16_t((19 << 11) | (15 << 5))
            << std::uint16_t((35 << 9) | (1 << 5) | 5);
        QTest::newRow("9:05 AM loses only the hour's zero")
            << "9"
            << "5"
            << "AM"
            << "January"
            << "5"
            << "2015"
            << "9:05 AM, January 05, 2015" << std::uint16_t((9 << 11) | (5 << 5))
            << std::uint16_t((35 << 9) | (1 << 5) | 5);
        QTest::newRow("last minute of 2099")
            << "11"
            << "59"
            << "PM"
            << "December"
            << "31"
            << "2099"
            << "11:59 PM, December 31, 2099" << std::uint16_t(0xBF60) << std::uint16_t(0xEF9F);
        QTest::newRow("past the 32-bit time limit")
            << "3"
            << "14"
            << "AM"
            << "January"
            << "19"
            << "2038"
            << "3:14 AM, January 19, 2038" << std::uint16_t((3 << 11) | (14 << 5))
            << std::uint16_t((58 << 9) | (1 << 5) | 19);
        QTest::newRow("29 February 2096")
            << "10"
            << "0"
            << "AM"
            << "February"
            << "29"
            << "2096"
            << "10:00 AM, February 29, 2096" << std::uint16_t(10 << 11)
            << std::uint16_t((116 << 9) | (2 << 5) | 29);
        QTest::newRow("1 January 2000")
            << "1"
            << "1"
            << "AM"
            << "January"
            << "1"
            << "2000"
            << "1:01 AM, January 01, 2000" << std::uint16_t((1 << 11) | (1 << 5))
            << std::uint16_t((20 << 9) | (1 << 5) | 1);
    }
    void okStoresTheChosenMoment()
    {
        QFETCH(QString, hour);
        QFETCH(QString, minute);
        QFETCH(QString, amPm);
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(QString, year);
        QFETCH(QString, when);
        QFETCH(std::uint16_t, loadTime);
        QFETCH(std::uint16_t, loadDate);
        DateRun run;
        QVERIFY(run.open());
        run.type("hour", hour);
        run.type("minute", minute);
        QVERIFY(run.choose("amPm", amPm));
        QVERIFY(run.choose("year", year));
        QVERIFY(run.choose("month", month));
        QVERIFY(run.choose("day", day));

        run.messages.expect(switchOnQuestion(when), MessageAnswer::Yes);
        run.pressOk();
        const Message &question = run.messages.shownMessage(0);
        QCOMPARE(question.caption, programName());
        QCOMPARE(question.icon, MessageIcon::Information);
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QCOMPARE(run.dialog->result(), int(QDialog::Accepted));
        QVERIFY(!run.dialog->isVisible());
        QCOMPARE(run.settings.core.loadTime, loadTime);
        QCOMPARE(run.settings.core.loadDate, loadDate);
    }

    void answeringNoStaysButHasWrittenTheRecord()
    {
        DateRun run;
        QVERIFY(run.open());
        run.type("hour", QStringLiteral("6"));
        run.type("minute", QStringLiteral("45"));
        QVERIFY(run.choose("amPm", QStringLiteral("PM")));
        run.messages.expect(switchOnQuestion(QStringLiteral("6:45 PM, January 05, 2015")),
                            MessageAnswer::No);
        run.pressOk();
        QVERIFY(run.dialog->isVisible());
        QCOMPARE(run.settings.core.loadTime, std::uint16_t((18 << 11) | (45 << 5)));
        QCOMPARE(run.settings.core.loadDate, std::uint16_t((35 << 9) | (1 << 5) | 5));

        // Cancel closes without undoing what the refused OK wrote.
        QTest::mouseClick(run.find<QPushButton>("cancelButton"), Qt::LeftButton);
        QCOMPARE(run.dialog->result(), int(QDialog::Rejected));
        QCOMPARE(run.settings.core.loadTime, std::uint16_t((18 << 11) | (45 << 5)));
    }

    void cancelLeavesTheRecordAlone()
    {
        DateRun run;
        run.storeLoad(2014, 7, 4, 8, 0);
        const CoreSection before = run.settings.core;
        QVERIFY(run.open());
        run.type("hour", QStringLiteral("3"));
        QVERIFY(run.choose("month", QStringLiteral("May")));
        QTest::keyClick(run.dialog.get(), Qt::Key_Escape);
        QCOMPARE(run.dialog->result(), int(QDialog::Rejected));
        QVERIFY(run.settings.core == before);
    }

    void refusedTime_data()
    {
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("minute");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<bool>("exclamation");

        QTest::newRow("minute 60") << "9"
                                   << "60" << kRangeMessage.arg(0).arg(59) << "minute" << true;
        QTest::newRow("hour 13") << "13"
                                 << "5" << kRangeMessage.arg(1).arg(12) << "hour" << true;
        QTest::newRow("empty hour") << ""
                                    << "5"
                                    << "Please enter an integer."
                                    << "hour" << false;
        QTest::newRow("empty minute") << "9"
                                      << ""
                                      << "Please enter an integer."
                                      << "minute" << false;
    }
    void refusedTime()
    {
        QFETCH(QString, hour);
        QFETCH(QString, minute);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        QFETCH(bool, exclamation);
        DateRun run;
        QVERIFY(run.open());
        run.type("hour", hour);
        run.type("minute", minute);
        run.messages.expect(message);
        run.pressOk();
        QCOMPARE(run.messages.shownMessage(0).icon,
                 exclamation ? MessageIcon::Exclamation : MessageIcon::None);
        QVERIFY(run.dialog->isVisible());
        QLineEdit *field = run.edit(focused);
        QVERIFY(field->hasFocus());
        QCOMPARE(field->selectedText(), field->text());
        QCOMPARE(run.settings.core.loadTime, std::uint16_t(0));
        QCOMPARE(run.settings.core.loadDate, std::uint16_t(0));
    }

    void timeFieldsTakeTwoDigitsOnly()
    {
        DateRun run;
        QVERIFY(run.open());
        run.type("hour", QStringLiteral("-1a23"));
        QCOMPARE(run.edit("hour")->text(), QStringLiteral("12"));
        run.type("minute", QStringLiteral("5.5"));
        QCOMPARE(run.edit("minute")->text(), QStringLiteral("55"));
    }

    void aClockOutsideTheYearsNeedsAYearChosen()
    {
        DateRun run;
        run.platform.now = QDateTime(QDate(2101, 6, 15), QTime(14, 20));
        QVERIFY(run.open());
        QCOMPARE(run.list("year")->currentIndex(), -1);

        run.messages.expect(kRangeMessage.arg(2000).arg(2099));
        run.pressOk();
        QCOMPARE(run.messages.owners().last(),
                 run.dialog.get()); // over the dialog, not the desktop
        QVERIFY(run.dialog->isVisible());
        QVERIFY(run.list("year")->hasFocus());
        QCOMPARE(run.settings.core.loadDate, std::uint16_t(0));

        QVERIFY(run.choose("year", QStringLiteral("2030")));
        QCOMPARE(run.list("day")->currentText(), QStringLiteral("15"));
        run.messages.expect(switchOnQuestion(QStringLiteral("2:20 PM, June 15, 2030")),
                            MessageAnswer::Yes);
        run.pressOk();
        QCOMPARE(run.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(run.settings.core.loadDate, std::uint16_t((50 << 9) | (6 << 5) | 15));
    }

    void dayListFollowsMonthAndYear_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("day");
        QTest::addColumn<int>("days");

        QTest::newRow("31 January, then February") << QDate(2015, 1, 31) << "month"
                                                   << "February"
                                                   << "1" << 28;
        QTest::newRow("29 February 2024, then 2023") << QDate(2024, 2, 29) << "year"
                                                     << "2023"
                                                     << "1" << 28;
        QTest::newRow("28 February 2023, then 2024") << QDate(2023, 2, 28) << "year"
                                                     << "2024"
                                                     << "28" << 29;
        QTest::newRow("30 April, then June keeps 30") << QDate(2015, 4, 30) << "month"
                                                      << "June"
                                                      << "30" << 30;
        QTest::newRow("30 April, then May") << QDate(2015, 4, 30) << "month"
                                            << "May"
                                            << "30" << 31;
        QTest::newRow("29 February 2000, then 2004") << QDate(2000, 2, 29) << "year"
                                                     << "2004"
                                                     << "29" << 29;
    }
    void dayListFollowsMonthAndYear()
    {
        QFETCH(QDate, start);
        QFETCH(QString, list);
        QFETCH(QString, entry);
        QFETCH(QString, day);
        QFETCH(int, days);
        DateRun run;
        run.storeLoad(start.year(), start.month(), start.day(), 10, 0);
        QVERIFY(run.open());
        QCOMPARE(run.list("day")->currentText(), QString::number(start.day()));
        QVERIFY(run.choose(list, entry));
        QCOMPARE(run.list("day")->currentText(), day);
        QCOMPARE(run.list("day")->count(), days);
        QCOMPARE(run.list("day")->itemText(days - 1), QString::number(days));
    }

    // 7:30 PM on 1 March 2016 by keys alone: Alt+T and Alt+D to the rows, the arrows in the
    // lists, Enter for OK; Enter with Cancel focused cancels.
    void aSwitchOnTimeIsEnteredWithTheKeyboard()
    {
        DateRun run;
        QVERIFY(run.open());
        QVERIFY(QTest::qWaitForWindowActive(run.dialog.get()));
        QWidget *start = QApplication::focusWidget();
        QVERIFY(start);
        QTest::keyClick(start, Qt::Key_T, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), run.edit("hour"));
        run.edit("hour")->selectAll();
        QTest::keyClicks(run.edit("hour"), QStringLiteral("7"));
        QTest::keyClick(run.edit("hour"), Qt::Key_Tab);
        run.edit("minute")->selectAll();
        QTest::keyClicks(run.edit("minute"), QStringLiteral("30"));
        QTest::keyClick(run.edit("minute"), Qt::Key_Tab);
        QTest::keyClick(run.list("amPm"), Qt::Key_Down);
        QTest::keyClick(run.list("amPm"), Qt::Key_D, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), run.list("month"));
        QTest::keyClick(run.list("month"), Qt::Key_Down);
        QTest::keyClick(run.list("month"), Qt::Key_Down);
        QTest::keyClick(run.list("month"), Qt::Key_Tab);
        QTest::keyClick(run.list("day"), Qt::Key_Home);
        QTest::keyClick(run.list("day"), Qt::Key_Tab);
        QTest::keyClick(run.list("year"), Qt::Key_Down);
        QCOMPARE(run.shownTime(), QStringLiteral("7:30 PM"));
        QCOMPARE(run.shownDate(), QStringLiteral("March 1, 2016"));

        run.messages.expect(switchOnQuestion(QStringLiteral("7:30 PM, March 01, 2016")),
                            MessageAnswer::Yes);
        QTest::keyClick(run.list("year"), Qt::Key_Return);
        QCOMPARE(run.dialog->result(), int(QDialog::Accepted));
        int hour = 0;
        int minute = 0;
        run.settings.GetLoadTime(&hour, &minute, nullptr);
        QCOMPARE(hour, 19);
        QCOMPARE(minute, 30);
    }

    void enterOnAFocusedCancelCancels()
    {
        DateRun run;
        QVERIFY(run.open());
        auto *cancel = run.find<QPushButton>("cancelButton");
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QVERIFY(!run.dialog->isVisible());
        QCOMPARE(run.dialog->result(), int(QDialog::Rejected));
        QVERIFY(run.messages.shown().isEmpty());
        QCOMPARE(int(run.settings.core.loadTime), 0);
    }
};

QTEST_MAIN(TestDateTimeDialog)
#include "tst_date_time_dialog.moc"
