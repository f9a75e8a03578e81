#include "schedule/schedule_page.h"

#include "framework/message_service.h"
#include "schedule/schedule_ctrl.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
constexpr int kNoPeriodOnMessage = 121;
constexpr int kMinimumCellWidth = 110; // the separator strip and "Camera off"
constexpr int kMinimumHours = 2;
} // namespace

namespace schedule_page {

DaySchedule gridSchedule(const CScheduleCtrl &grid)
{
    DaySchedule schedule;
    for (int minute = 0; minute < DaySchedule::kMinutesPerDay;
         minute += DaySchedule::kMinutesPerSlot)
        schedule.SetOn(static_cast<std::uint16_t>(minute), grid.GetSlot(minute) != 0);
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
    showMessage(parent, stringText(kNoPeriodOnMessage), programName(), MessageIcon::Information);
}

} // namespace schedule_page

CPageSchedule::CPageSchedule(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("&Schedule"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("schedulePage"));
}

void CPageSchedule::OnInitDialog()
{
    buildControls();
    PropertyPage::OnInitDialog();
    applyReadOnly();
}

void CPageSchedule::buildControls()
{
    const schedule_page::GridGroup group = schedule_page::makeGridGroup(
        tr("Set D&aily Schedule"), QStringLiteral("schedule"), this, true);
    grid = group.grid;
    allOnButton = group.allOn;
    allOffButton = group.allOff;

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group.box);
}

void CPageSchedule::applyReadOnly()
{
    if (!app.readOnly)
        return;
    allOnButton->setEnabled(false);
    allOffButton->setEnabled(false);
    grid->SetReadOnly(true);
}

bool CPageSchedule::exchange(Direction direction)
{
    if (!grid)
        return true;
    for (int minute = 0; minute < DaySchedule::kMinutesPerDay;
         minute += DaySchedule::kMinutesPerSlot) {
        const auto m = static_cast<std::uint16_t>(minute);
        if (direction == Direction::Load)
            grid->SetSlot(minute, settings.DaySlot(kind, m) ? 1 : 0);
        else
            settings.SetDaySlot(kind, m, grid->GetSlot(minute) != 0);
    }
    return true;
}

bool CPageSchedule::OnKillActive()
{
    // Judged on what the grid shows; the record keeps its old schedule until this passes.
    if (!grid || !schedule_page::gridSchedule(*grid).AnyOn()) {
        schedule_page::showNoPeriodOnMessage(this);
        return false;
    }
    return UpdateData(true);
}
