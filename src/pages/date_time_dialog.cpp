#include "pages/date_time_dialog.h"

#include "controls/number_edit.h"
#include "framework/accessibility.h"
#include "framework/dialog_controls.h"
#include "framework/message_service.h"
#include "framework/platform_services.h"
#include "resources/string_table.h"
#include "settings/date_time_values.h"

#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kFirstYear = rules::kFirstSwitchOnYear;
constexpr int kLastYear = rules::kLastSwitchOnYear;

// The list shows them translated; the switch-on text always uses the English names, as the
// camera's own documentation does.
const char *const kMonthNames[] = {
    QT_TRANSLATE_NOOP("CDateTimeDlg", "January"),   QT_TRANSLATE_NOOP("CDateTimeDlg", "February"),
    QT_TRANSLATE_NOOP("CDateTimeDlg", "March"),     QT_TRANSLATE_NOOP("CDateTimeDlg", "April"),
    QT_TRANSLATE_NOOP("CDateTimeDlg", "May"),       QT_TRANSLATE_NOOP("CDateTimeDlg", "June"),
    QT_TRANSLATE_NOOP("CDateTimeDlg", "July"),      QT_TRANSLATE_NOOP("CDateTimeDlg", "August"),
    QT_TRANSLATE_NOOP("CDateTimeDlg", "September"), QT_TRANSLATE_NOOP("CDateTimeDlg", "October"),
    QT_TRANSLATE_NOOP("CDateTimeDlg", "November"),  QT_TRANSLATE_NOOP("CDateTimeDlg", "December"),
};

} // namespace

CDateTimeDlg::CDateTimeDlg(CameraSettings &settings, QWidget *parent)
    : ExchangeDialog(parent), settings(settings)
{
    setObjectName(QStringLiteral("dateTimeDialog"));
    setWindowTitle(tr("Set Date & Time"));
}

QString CDateTimeDlg::switchOnText(int year, int month, int day, int hour, int minute)
{
    // Built from the numbers rather than by the C library, whose %p and %B follow the locale.
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    const char *monthName = month >= 1 && month <= 12 ? kMonthNames[month - 1] : "";
    QString text = QString::asprintf("%02d:%02d %s, %s %02d, %04d", hour12, minute,
                                     hour < 12 ? "AM" : "PM", monthName, day, year);
    while (text.startsWith(QLatin1Char('0')))
        text.remove(0, 1);
    return text;
}

void CDateTimeDlg::initializeDialog()
{
    buildControls();
    ExchangeDialog::initializeDialog();
    for (CNumberEdit *edit : {hourEdit, minuteEdit}) {
        edit->SetMaxWholeDigits(2);
        edit->SetMaxDecimalPlaces(0);
        edit->AllowNegative(false);
    }
}

void CDateTimeDlg::buildControls()
{
    auto *important = new QLabel(tr("IMPORTANT: Specify the date and time when you plan to turn "
                                    "on the camera to load these settings."),
                                 this);
    important->setWordWrap(true);

    // Created in tab order: time, then date, then the buttons.
    auto *timeLabel = new QLabel(tr("&Time:"), this);
    hourEdit = new CNumberEdit(9, 4, this);
    hourEdit->setObjectName(QStringLiteral("hour"));
    auto *colon = new QLabel(tr(":"), this);
    minuteEdit = new CNumberEdit(9, 4, this);
    minuteEdit->setObjectName(QStringLiteral("minute"));
    const int editWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12;
    for (CNumberEdit *edit : {hourEdit, minuteEdit}) {
        edit->setAlignment(Qt::AlignCenter);
        edit->setFixedWidth(editWidth);
    }
    amPmList = new QComboBox(this);
    amPmList->setObjectName(QStringLiteral("amPm"));
    amPmList->addItems({tr("AM"), tr("PM")});
    timeLabel->setBuddy(hourEdit);

    auto *dateLabel = new QLabel(tr("&Date:"), this);
    monthList = new QComboBox(this);
    monthList->setObjectName(QStringLiteral("month"));
    for (const char *name : kMonthNames)
        monthList->addItem(tr(name));
    dayList = new QComboBox(this);
    dayList->setObjectName(QStringLiteral("day"));
    // Wide enough for "31" whatever the list holds when it is laid out.
    dayList->setMinimumContentsLength(2);
    yearList = new QComboBox(this);
    yearList->setObjectName(QStringLiteral("year"));
    yearList->setMinimumContentsLength(4);
    for (int y = kFirstYear; y <= kLastYear; ++y)
        yearList->addItem(QString::number(y));
    dateLabel->setBuddy(monthList);
    // The first field of each row is named by its label; the others say which part they are.
    setAccessibleLabel(minuteEdit, tr("Time, minutes"));
    setAccessibleLabel(amPmList, tr("Time, AM or PM"));
    setAccessibleLabel(dayList, tr("Date, day"));
    setAccessibleLabel(yearList, tr("Date, year"));

    const OkCancelRow buttons = makeOkCancelRow(this);

    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(hourEdit);
    timeRow->addWidget(colon);
    timeRow->addWidget(minuteEdit);
    timeRow->addWidget(amPmList);
    timeRow->addStretch(1);
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(monthList);
    dateRow->addWidget(dayList);
    dateRow->addWidget(yearList);
    dateRow->addStretch(1);
    auto *fields = new QGridLayout;
    fields->addWidget(timeLabel, 0, 0);
    fields->addLayout(timeRow, 0, 1);
    fields->addWidget(dateLabel, 1, 0);
    fields->addLayout(dateRow, 1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(important);
    layout->addLayout(fields);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    important->setMinimumWidth(important->fontMetrics().averageCharWidth() * 56);

    connect(monthList, &QComboBox::currentIndexChanged, this, [this] { refreshDayList(); });
    connect(yearList, &QComboBox::currentIndexChanged, this, [this] { refreshDayList(); });
}

void CDateTimeDlg::load(DataExchange &dx)
{
    readSwitchOnMoment();
    showDate();
    amPmList->setCurrentIndex(hour > 11 ? 1 : 0);
    // The field shows the hour on a 12-hour clock; an hour the record cannot mean stays as it is.
    int clockHour = hour;
    if (clockHour == 0)
        clockHour = 12;
    else if (clockHour >= 13 && clockHour <= 23)
        clockHour -= 12;
    dx.text(hourEdit, clockHour);
    dx.text(minuteEdit, minute);
}

void CDateTimeDlg::readSwitchOnMoment()
{
    int storedMonth = 0;
    int storedDay = 0;
    int storedYear = 0;
    int storedHour = 0;
    int storedMinute = 0;
    settings.GetLoadDate(&storedMonth, &storedDay, &storedYear);
    settings.GetLoadTime(&storedHour, &storedMinute, nullptr);
    if (storedYear || storedMonth || storedDay || storedHour || storedMinute) {
        year = storedYear + kFirstYear;
        month = storedMonth;
        day = storedDay;
        hour = storedHour;
        minute = storedMinute;
        return;
    }
    // Nothing set yet: start from the computer's clock.
    const QDateTime now = platformServices().currentLocalDateTime();
    year = now.date().year();
    month = now.date().month();
    day = now.date().day();
    hour = now.time().hour();
    minute = now.time().minute();
}

void CDateTimeDlg::showDate()
{
    // A clock outside the list's years leaves no year chosen.
    int yearIndex = -1;
    const QString yearText = QString::number(year);
    for (int i = 0; i < yearList->count(); ++i) {
        if (yearList->itemText(i).startsWith(yearText)) {
            yearIndex = i;
            break;
        }
    }
    yearList->setCurrentIndex(yearIndex);
    monthList->setCurrentIndex(month - 1);
    fillDayList(year, month);
    dayList->setCurrentIndex(day - 1);
}

bool CDateTimeDlg::save(DataExchange &dx)
{
    rules::SwitchOnFields entered{};
    if (!dx.text(hourEdit, entered.hour) || !dx.text(minuteEdit, entered.minute))
        return false;
    entered.month = monthList->currentIndex() + 1;
    entered.day = dayList->currentIndex() + 1;
    entered.year = yearList->currentIndex() + kFirstYear;
    if (!inRange(dx, entered))
        return false;

    hour = rules::Hour24(entered.hour, amPmList->currentIndex() == 1);
    minute = entered.minute;
    month = entered.month;
    day = entered.day;
    year = entered.year;
    settings.SetLoadTime(hour, minute, 0);
    settings.SetLoadDate(month, day, year - kFirstYear);
    return true;
}

bool CDateTimeDlg::inRange(DataExchange &dx, const rules::SwitchOnFields &entered)
{
    // The date checks fail only when a list has nothing selected.
    const rules::Check refusal = SwitchOnValues::check(entered, rules::HourClock::TwelveHour);
    if (!refusal)
        return true;
    const auto part = static_cast<rules::SwitchOnPart>(refusal->field);
    QWidget *field = part == rules::SwitchOnPart::Hour     ? static_cast<QWidget *>(hourEdit)
                     : part == rules::SwitchOnPart::Minute ? static_cast<QWidget *>(minuteEdit)
                                                           : dateList(part);
    return dx.refuse(field, *refusal);
}

void CDateTimeDlg::tryAccept()
{
    if (!saveControls())
        return;
    QString question = stringText(strings::kSwitchOnQuestion);
    question.replace(QLatin1String("%s"), switchOnText(year, month, day, hour, minute));
    if (showMessage(this, question, programName(), MessageIcon::Information,
                    MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    if (saveControls())
        done(Accepted);
}

QComboBox *CDateTimeDlg::dateList(rules::SwitchOnPart part) const
{
    return part == rules::SwitchOnPart::Month ? monthList
           : part == rules::SwitchOnPart::Day ? dayList
                                              : yearList;
}

void CDateTimeDlg::fillDayList(int forYear, int forMonth)
{
    dayList->clear();
    const int days = rules::DaysInMonth(forYear, forMonth);
    for (int d = 1; d <= days; ++d)
        dayList->addItem(QString::number(d));
}

void CDateTimeDlg::refreshDayList()
{
    const int days =
        rules::DaysInMonth(yearList->currentIndex() + kFirstYear, monthList->currentIndex() + 1);
    if (dayList->count() == days)
        return;
    const int previous = dayList->currentIndex();
    fillDayList(yearList->currentIndex() + kFirstYear, monthList->currentIndex() + 1);
    dayList->setCurrentIndex(previous >= 0 && previous < days ? previous : 0);
}
