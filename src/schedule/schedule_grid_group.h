#pragma once

#include "settings/day_schedule.h"

#include <QString>

#include <array>
#include <cstdint>

class CScheduleCtrl;
class QGroupBox;
class QPushButton;
class QWidget;

// What the two schedule pages share.
namespace schedule_page {

// The first minute of every quarter hour of a day, in order: where grids and record meet.
const std::array<std::uint16_t, DaySchedule::kSlots> &slotMinutes();

// The grid's cells as a day schedule, read at the start of each quarter hour.
DaySchedule gridSchedule(const CScheduleCtrl &grid);

// A group box with a grid that fills it and, at the bottom right, the "All On" and "All Off"
// buttons that set every cell of that grid. Created in that order, which is the tab order.
struct GridGroup
{
    QGroupBox *box = nullptr;
    CScheduleCtrl *grid = nullptr;
    QPushButton *allOn = nullptr;
    QPushButton *allOff = nullptr;
};
// Object names: `name` + "Grid", "AllOn", "AllOff". The buttons get access keys only where
// the page has one such pair (`buttonKeys`): two pairs would share theirs.
GridGroup makeGridGroup(const QString &title, const QString &name, QWidget *parent,
                        bool buttonKeys);

// No quarter hour is on where one must be.
void showNoPeriodOnMessage(QWidget *parent);

} // namespace schedule_page
