#include "schedule/schedule_dual_page.h"

#include "framework/accessibility.h"
#include "framework/keyboard_access.h"
#include "schedule/schedule_ctrl.h"
#include "schedule/schedule_grid_group.h"
#include "settings/day_schedule.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

namespace {

struct DayName
{
    const char *name; // object names: name + "Schedule1" / "Schedule2"
    const char *text;
};

constexpr DayName kDayNames[CPageScheduleDual::kDays] = {
    {"sunday", QT_TR_NOOP("Sunday")},     {"monday", QT_TR_NOOP("Monday")},
    {"tuesday", QT_TR_NOOP("Tuesday")},   {"wednesday", QT_TR_NOOP("Wednesday")},
    {"thursday", QT_TR_NOOP("Thursday")}, {"friday", QT_TR_NOOP("Friday")},
    {"saturday", QT_TR_NOOP("Saturday")},
};

} // namespace

CPageScheduleDual::CPageScheduleDual(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("&Dual Schedule (Security Enabled Models Only)"), parent), settings(settings),
      app(app)
{
    setObjectName(QStringLiteral("scheduleDualPage"));
}

void CPageScheduleDual::initializePage()
{
    buildControls();
    PropertyPage::initializePage();
    applyReadOnly();
}

void CPageScheduleDual::buildControls()
{
    // Created top to bottom, left to right: that is also the tab order.
    auto *assignBox = new QGroupBox(tr("&Assign Daily Schedule"), this);
    assignBox->setObjectName(QStringLiteral("assignGroup"));
    auto *caption1 = new QLabel(tr("Schedule 1"), assignBox);
    caption1->setObjectName(QStringLiteral("schedule1Caption"));
    auto *caption2 = new QLabel(tr("Schedule 2"), assignBox);
    caption2->setObjectName(QStringLiteral("schedule2Caption"));
    columnCaptions = {caption1, caption2};

    auto *rows = new QGridLayout(assignBox);
    // Columns: day buttons with their text on the left, their indicators right-aligned; a
    // spacer that centres "Schedule 1" over those indicators; the second buttons, centred
    // under "Schedule 2". No spacing between them, so the widths below are exact.
    rows->setHorizontalSpacing(0);
    rows->setVerticalSpacing(fontMetrics().height());
    rows->addWidget(caption1, 0, 0, 1, 2, Qt::AlignRight | Qt::AlignBottom);
    rows->addWidget(caption2, 0, 2, Qt::AlignHCenter | Qt::AlignBottom);
    for (int d = 0; d < kDays; ++d) {
        const QString dayText = tr(kDayNames[d].text);
        auto *first = new QRadioButton(dayText, assignBox);
        first->setObjectName(QLatin1String(kDayNames[d].name) + QStringLiteral("Schedule1"));
        first->setLayoutDirection(Qt::RightToLeft);
        auto *second = new QRadioButton(assignBox);
        second->setObjectName(QLatin1String(kDayNames[d].name) + QStringLiteral("Schedule2"));
        second->setAccessibleName(dayText + QStringLiteral(", ") + caption2->text());
        // Each day's pair is a radio group of its own.
        auto *pair = new QButtonGroup(assignBox);
        pair->addButton(first, 0);
        pair->addButton(second, 1);
        tabStopAtCheckedRadio({first, second});
        dayButtons[d] = {first, second};
        // Absolute: a right-to-left button would otherwise read "right" as its left.
        rows->addWidget(first, d + 1, 0, Qt::AlignAbsolute | Qt::AlignRight);
        rows->addWidget(second, d + 1, 2, Qt::AlignHCenter);
    }
    const int indicatorWidth =
        style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, dayButtons[0][0]);
    const int gap = style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, this);
    rows->setColumnMinimumWidth(1,
                                std::max(0, (caption1->sizeHint().width() - indicatorWidth) / 2));
    rows->setColumnMinimumWidth(2, caption2->sizeHint().width() + 2 * std::max(gap, 0));
    rows->setRowStretch(kDays + 1, 1);

    const schedule_page::GridGroup group1 = schedule_page::makeGridGroup(
        tr("Set Schedule &1"), QStringLiteral("schedule1"), this, false);
    const schedule_page::GridGroup group2 = schedule_page::makeGridGroup(
        tr("Set Schedule &2"), QStringLiteral("schedule2"), this, false);
    grid1 = group1.grid;
    grid2 = group2.grid;
    allButtons = {group1.allOn, group1.allOff, group2.allOn, group2.allOff};
    // The pairs repeat their texts: a screen reader says which schedule each one sets.
    for (const auto &[group, caption] :
         {std::pair{group1, caption1}, std::pair{group2, caption2}}) {
        for (QPushButton *button : {group.allOn, group.allOff})
            setAccessibleLabel(button, withoutAccessKey(button->text()) + QStringLiteral(", ") +
                                           caption->text());
    }

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(assignBox);
    layout->addWidget(group1.box, 1);
    layout->addWidget(group2.box, 1);
}

void CPageScheduleDual::applyReadOnly()
{
    if (!app.readOnly)
        return;
    for (const QList<QAbstractButton *> &pair : dayButtons) {
        for (QAbstractButton *button : pair)
            button->setEnabled(false);
    }
    for (QPushButton *button : allButtons)
        button->setEnabled(false);
    for (QLabel *caption : columnCaptions)
        caption->setEnabled(false);
    grid1->setReadOnly(true);
    grid2->setReadOnly(true);
}

DayChoices CPageScheduleDual::shownDayChoices() const
{
    DayChoices choices{};
    for (int d = 0; d < kDays; ++d)
        choices[d] = dayButtons[d][1]->isChecked();
    return choices;
}

void CPageScheduleDual::load(DataExchange &dx)
{
    for (int d = 0; d < kDays; ++d)
        dayChoices[d] = settings.TriggerDayUsesSchedule2(d + 1) ? 1 : 0;
    transfer(dx);
    if (!grid1 || !grid2)
        return;
    for (std::uint16_t minute : schedule_page::slotMinutes()) {
        grid1->SetSlot(minute, settings.DualTriggerSlot(minute, 0) ? 1 : 0);
        grid2->SetSlot(minute, settings.DualTriggerSlot(minute, 1) ? 1 : 0);
    }
}

void CPageScheduleDual::transfer(DataExchange &dx)
{
    for (int d = 0; d < kDays; ++d)
        dx.radio(dayButtons[d], dayChoices[d]);
}

bool CPageScheduleDual::save(DataExchange &dx)
{
    transfer(dx);
    if (!grid1 || !grid2)
        return true;
    for (std::uint16_t minute : schedule_page::slotMinutes()) {
        settings.SetDualTriggerSlot(minute, grid1->GetSlot(minute) != 0, 0);
        settings.SetDualTriggerSlot(minute, grid2->GetSlot(minute) != 0, 1);
    }
    // Only the trigger days' bits; the time-lapse days and the reserved bits stay as loaded.
    for (int d = 0; d < kDays; ++d)
        settings.SetTriggerDayUsesSchedule2(d + 1, dayChoices[d] == 1);
    return true;
}

bool CPageScheduleDual::validatePage()
{
    // Judged on what the page shows, day buttons and grids together, not on the record.
    if (!grid1 || !grid2 ||
        !DualScheduleValid(schedule_page::gridSchedule(*grid1), schedule_page::gridSchedule(*grid2),
                           shownDayChoices())) {
        schedule_page::showNoPeriodOnMessage(this);
        return false;
    }
    return saveControls();
}
