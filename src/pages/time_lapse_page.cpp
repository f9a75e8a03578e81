#include "pages/time_lapse_page.h"

#include "framework/accessibility.h"
#include "framework/dialog_controls.h"
#include "framework/keyboard_access.h"
#include "framework/message_service.h"
#include "resources/string_table.h"
#include "schedule/schedule_sheet.h"
#include "settings/time_lapse_values.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

QComboBox *makeList(QWidget *parent, const char *name, IntervalUnit unit)
{
    const std::span<const int> entries = TimeLapseValues::entries(unit);
    auto *list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    for (int entry : entries)
        list->addItem(QString::number(entry));
    list->setCurrentIndex(-1);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

IntervalUnit unitOf(CKTPageTimeLapse::IntervalKind kind)
{
    return kind == CKTPageTimeLapse::IntervalHours     ? IntervalUnit::Hours
           : kind == CKTPageTimeLapse::IntervalMinutes ? IntervalUnit::Minutes
                                                       : IntervalUnit::Seconds;
}

} // namespace

CKTPageTimeLapse::CKTPageTimeLapse(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("Time &Lapse"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("timeLapsePage"));
}

int CKTPageTimeLapse::roundedCount(IntervalKind kind, int count)
{
    return TimeLapseValues::roundedCount(unitOf(kind), count);
}

void CKTPageTimeLapse::initializePage()
{
    buildControls();
    PropertyPage::initializePage();
    applyReadOnly();
}

void CKTPageTimeLapse::buildControls()
{
    // Created top to bottom, left to right: that is also the tab order.
    auto *intervalBox = new QGroupBox(tr("Time Lapse Interval"), this);
    auto *offRadio = makeRadio(tr("&Off"), "timeLapseOff", intervalBox);
    auto *hoursRadio = makeRadio(tr("&Hours"), "timeLapseHours", intervalBox);
    hoursList = makeList(intervalBox, "hoursList", IntervalUnit::Hours);
    auto *minutesRadio = makeRadio(tr("&Minutes"), "timeLapseMinutes", intervalBox);
    minutesList = makeList(intervalBox, "minutesList", IntervalUnit::Minutes);
    auto *secondsRadio = makeRadio(tr("&Seconds"), "timeLapseSeconds", intervalBox);
    secondsList = makeList(intervalBox, "secondsList", IntervalUnit::Seconds);
    intervalRadios = {offRadio, hoursRadio, minutesRadio, secondsRadio};
    // Each list is named by the radio button beside it.
    setAccessibleLabel(hoursList, withoutAccessKey(hoursRadio->text()));
    setAccessibleLabel(minutesList, withoutAccessKey(minutesRadio->text()));
    setAccessibleLabel(secondsList, withoutAccessKey(secondsRadio->text()));

    auto *intervalGrid = new QGridLayout(intervalBox);
    intervalGrid->addWidget(offRadio, 0, 0);
    intervalGrid->addWidget(hoursRadio, 1, 0);
    intervalGrid->addWidget(hoursList, 1, 1);
    intervalGrid->addWidget(minutesRadio, 2, 0);
    intervalGrid->addWidget(minutesList, 2, 1);
    intervalGrid->addWidget(secondsRadio, 3, 0);
    intervalGrid->addWidget(secondsList, 3, 1);
    intervalGrid->setColumnStretch(2, 1);

    auto *shotBox = new QGroupBox(tr("SwiftShot/Stormline Models Only"), this);
    atIntervalLabel = makeLabel(tr("At the specified interval"), "atIntervalLabel", shotBox);
    auto *onePicture = makeRadio(tr("Take one &picture"), "takeOnePicture", shotBox);
    auto *burst = makeRadio(tr("Take multiple pictures using &BurstClip settings"),
                            "takeMultiplePictures", shotBox);
    shotRadios = {onePicture, burst};
    auto *shotLayout = new QVBoxLayout(shotBox);
    shotLayout->addWidget(atIntervalLabel);
    shotLayout->addWidget(onePicture);
    shotLayout->addWidget(burst);

    auto *scheduleBox = new QGroupBox(tr("Schedule"), this);
    scheduleLabel = makeLabel(tr("Restrict time lapse based on the time of day:"), "scheduleLabel",
                              scheduleBox);
    viewScheduleButton = new QPushButton(tr("&View Schedule..."), scheduleBox);
    viewScheduleButton->setObjectName(QStringLiteral("viewSchedule"));
    auto *scheduleLayout = new QHBoxLayout(scheduleBox);
    scheduleLayout->addWidget(scheduleLabel);
    scheduleLayout->addStretch(1);
    scheduleLayout->addWidget(viewScheduleButton);

    // A plain line, not a question: the camera may be meant to take no time-lapse picture.
    noCameraOnPeriodLabel = makeLabel(tr("No period of the schedule is set to \"Camera on\"."),
                                      "noCameraOnPeriod", this);
    noCameraOnPeriodLabel->setWordWrap(true);
    noCameraOnPeriodLabel->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intervalBox);
    layout->addWidget(shotBox);
    layout->addWidget(scheduleBox);
    layout->addWidget(noCameraOnPeriodLabel);
    layout->addStretch(1);

    tabStopAtCheckedRadio(intervalRadios);
    tabStopAtCheckedRadio(shotRadios);

    // Handlers answer what the person does; the page's own changes run them explicitly.
    connect(offRadio, &QRadioButton::clicked, this, [this] { onOff(); });
    connect(hoursRadio, &QRadioButton::clicked, this, [this] { onUnit(IntervalHours); });
    connect(minutesRadio, &QRadioButton::clicked, this, [this] { onUnit(IntervalMinutes); });
    connect(secondsRadio, &QRadioButton::clicked, this, [this] { onUnit(IntervalSeconds); });
    for (IntervalKind kind : {IntervalHours, IntervalMinutes, IntervalSeconds}) {
        connect(listOf(kind), &QComboBox::currentIndexChanged, this, [this, kind](int index) {
            if (!selectingEntry && index >= 0)
                onListChanged(kind);
        });
    }
    connect(viewScheduleButton, &QPushButton::clicked, this, [this] { onViewSchedule(); });
    // Every change of the radios, by the person or by a load.
    for (QAbstractButton *radio : intervalRadios)
        connect(radio, &QAbstractButton::toggled, this, [this] { showScheduleWarning(); });
}

void CKTPageTimeLapse::applyReadOnly()
{
    if (!app.readOnly)
        return;
    // "View Schedule..." only looks, so it stays usable.
    for (QAbstractButton *radio : intervalRadios + shotRadios)
        radio->setEnabled(false);
    for (QComboBox *list : {hoursList, minutesList, secondsList})
        list->setEnabled(false);
    atIntervalLabel->setEnabled(false);
    scheduleLabel->setEnabled(false);
}

void CKTPageTimeLapse::load(DataExchange &dx)
{
    IntervalUnit unit = IntervalUnit::Minutes;
    int count = 0;
    TimeLapseValues::shownInterval(settings.core.timeLapseInterval, unit, count);
    shotKind = settings.TimeLapseBurst() ? 1 : 0;

    if (!settings.TimeLapseOn()) {
        // The remembered counts are left alone: choosing a unit later offers its last count.
        intervalKind = IntervalOff;
        onOff();
    } else {
        const IntervalKind kind = unit == IntervalUnit::Hours     ? IntervalHours
                                  : unit == IntervalUnit::Minutes ? IntervalMinutes
                                                                  : IntervalSeconds;
        intervalKind = kind;
        rememberedCount(kind) = roundedCount(kind, count);
        onUnit(kind);
    }
    transfer(dx);
    showScheduleWarning();
}

void CKTPageTimeLapse::transfer(DataExchange &dx)
{
    dx.radio(intervalRadios, intervalKind);
    dx.radio(shotRadios, shotKind);
}

bool CKTPageTimeLapse::save(DataExchange &dx)
{
    transfer(dx);
    std::optional<std::uint16_t> interval;
    switch (intervalKind) {
    case IntervalOff:
        interval = TimeLapseValues::offInterval();
        break;
    case IntervalHours:
    case IntervalMinutes:
        interval = chosenInterval(static_cast<IntervalKind>(intervalKind));
        break;
    case IntervalSeconds:
        if (!triggersGiveWayToShortInterval(dx))
            return false;
        interval = chosenInterval(IntervalSeconds);
        break;
    default:
        // No interval radio is checked: nothing sensible to store.
        return false;
    }
    if (!interval)
        return false;

    settings.SetTimeLapseOn(intervalKind != IntervalOff);
    settings.core.timeLapseInterval = *interval;
    settings.SetTimeLapseBurst(shotKind == 1);
    return true;
}

std::optional<std::uint16_t> CKTPageTimeLapse::chosenInterval(IntervalKind kind) const
{
    const int n = selectedNumber(listOf(kind));
    if (n < 1 || n > TimeLapseValues::fullCount(unitOf(kind)))
        return std::nullopt;
    return MakeInterval(unitOf(kind), roundedCount(kind, n));
}

bool CKTPageTimeLapse::triggersGiveWayToShortInterval(DataExchange &dx)
{
    const int n = selectedNumber(secondsList);
    if (n < 1 || !TimeLapseValues::rulesOutTriggers(n) ||
        (!settings.InternalTrigger() && !settings.ExternalTrigger()))
        return true;
    if (showMessage(this, stringText(strings::kShortIntervalQuestion), programName(),
                    MessageIcon::Information, MessageButtons::YesNo) != MessageAnswer::Yes) {
        dx.fail(secondsList);
        return false;
    }
    settings.SetInternalTrigger(false);
    settings.SetExternalTrigger(false);
    return true;
}

void CKTPageTimeLapse::onOff()
{
    // The lists keep their selections, so that a unit chosen again shows them.
    for (QComboBox *list : {hoursList, minutesList, secondsList})
        list->setEnabled(false);
    applyShotRule(false);
}

void CKTPageTimeLapse::onUnit(IntervalKind kind)
{
    QComboBox *own = listOf(kind);
    own->setEnabled(!app.readOnly);
    const int index = own->findText(QString::number(rememberedCount(kind)), Qt::MatchExactly);
    selectEntry(own, index < 0 ? 0 : index);
    for (IntervalKind other : {IntervalHours, IntervalMinutes, IntervalSeconds}) {
        if (other == kind)
            continue;
        listOf(other)->setEnabled(false);
        selectEntry(listOf(other), -1);
    }
    onListChanged(kind);
}

void CKTPageTimeLapse::onListChanged(IntervalKind kind)
{
    // Runs with an entry selected: the handler and onUnit never leave the list empty.
    const int count = selectedNumber(listOf(kind));
    rememberedCount(kind) = count;
    if (kind == IntervalHours) {
        applyShotRule(true);
        return;
    }
    applyShotRule(
        TimeLapseValues::burstFits(unitOf(kind), count, settings.core.picturesPerTrigger));
}

void CKTPageTimeLapse::applyShotRule(bool fits)
{
    if (!fits) {
        shotKind = 0;
        DataExchange(Direction::Load).radio(shotRadios, shotKind);
    }
    const bool enabled = fits && !app.readOnly;
    for (QAbstractButton *radio : shotRadios)
        radio->setEnabled(enabled);
    atIntervalLabel->setEnabled(enabled);
}

void CKTPageTimeLapse::showScheduleWarning()
{
    bool on = false;
    for (IntervalKind kind : {IntervalHours, IntervalMinutes, IntervalSeconds})
        on = on || intervalRadios[kind]->isChecked();
    noCameraOnPeriodLabel->setVisible(
        TimeLapseValues::noCameraOnPeriod(on, settings.core.timeLapseDaySchedule));
}

void CKTPageTimeLapse::onViewSchedule()
{
    // The schedule is edited in the record, so the page's values must be there first.
    if (!saveControls())
        return;
    openTimeLapseSchedule();
    showScheduleWarning();
}

// The sheet's pages store the schedules into the record themselves, so its result is not
// needed, and this page keeps its controls as they are.
void CKTPageTimeLapse::openTimeLapseSchedule()
{
    CScheduleSheet schedule(stringText(strings::kTimeLapseScheduleCaption), this, true, 0, settings,
                            app);
    schedule.exec();
}

QComboBox *CKTPageTimeLapse::listOf(IntervalKind kind) const
{
    switch (kind) {
    case IntervalHours:
        return hoursList;
    case IntervalMinutes:
        return minutesList;
    case IntervalSeconds:
    case IntervalOff:
        break;
    }
    return secondsList;
}

int &CKTPageTimeLapse::rememberedCount(IntervalKind kind)
{
    switch (kind) {
    case IntervalHours:
        return rememberedHours;
    case IntervalMinutes:
        return rememberedMinutes;
    case IntervalSeconds:
    case IntervalOff:
        break;
    }
    return rememberedSeconds;
}

int CKTPageTimeLapse::selectedNumber(const QComboBox *list)
{
    if (list->currentIndex() < 0)
        return 0;
    return list->currentText().toInt();
}

void CKTPageTimeLapse::selectEntry(QComboBox *list, int index)
{
    QScopedValueRollback guard(selectingEntry, true);
    list->setCurrentIndex(index);
}
