#include "schedule/schedule_grid_group.h"

#include "framework/message_service.h"
#include "resources/string_table.h"
#include "schedule/schedule_ctrl.h"
#include "schedule/schedule_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
constexpr int kMinimumCellWidth = 110; // the separator strip and "Camera off"
constexpr int kMinimumHours = 2;
} // namespace

namespace schedule_page {

const std::array<std::uint16_t, DaySchedule::kSlots> &slotMinutes()
{
    static const std::array<std::uint16_t, DaySchedule::kSlots> minutes = [] {
        std::array<std::uint16_t, DaySchedule::kSlots> list{};
        for (int slot = 0; slot < DaySchedule::kSlots; ++slot)
            list[slot] = static_cast<std::uint16_t>(slot * DaySchedule::kMinutesPerSlot);
        return list;
    }();
    return minutes;
}

DaySchedule gridSchedule(const CScheduleCtrl &grid)
{
    DaySchedule schedule;
    for (std::uint16_t minute : slotMinutes())
        schedule.SetOn(minute, grid.GetSlot(minute) != 0);
    return schedule;
}

GridGroup makeGridGroup(const QString &title, const QString &name, QWidget *parent, bool buttonKeys)
{
    GridGroup group;
    group.box = new QGroupBox(title, parent);
    group.box->setObjectName(name + QStringLiteral("Group"));
    group.grid = new CScheduleCtrl(group.box);
    group.grid->setObjectName(name + QStringLiteral("Grid"));
    // However small the sheet is made, a couple of hours stay in view, captions and all.
    const int frame = 2 * group.grid->frameWidth();
    group.grid->setMinimumSize(group.grid->labelColumnWidth() + kMinimumCellWidth +
                                   group.grid->verticalScrollBar()->sizeHint().width() + frame,
                               kMinimumHours * CScheduleCtrl::kHourHeight + frame);
    group.allOn = new QPushButton(
        buttonKeys ? CPageSchedule::tr("All O&n") : CPageSchedule::tr("All On"), group.box);
    group.allOn->setObjectName(name + QStringLiteral("AllOn"));
    group.allOff = new QPushButton(
        buttonKeys ? CPageSchedule::tr("All O&ff") : CPageSchedule::tr("All Off"), group.box);
    group.allOff->setObjectName(name + QStringLiteral("AllOff"));

    // The buttons change only the grid; the record follows when the page stores.
    CScheduleCtrl *grid = group.grid;
    QObject::connect(group.allOn, &QPushButton::clicked, grid, [grid] { grid->SetAllSlots(1); });
    QObject::connect(group.allOff, &QPushButton::clicked, grid, [grid] { grid->SetAllSlots(0); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(group.allOn);
    buttons->addWidget(group.allOff);
    auto *layout = new QVBoxLayout(group.box);
    layout->addWidget(group.grid, 1);
    layout->addLayout(buttons);
    return group;
}

void showNoPeriodOnMessage(QWidget *parent)
{
    showMessage(parent, stringText(strings::kNoPeriodOn), programName(), MessageIcon::Information);
}

} // namespace schedule_page
