#include "schedule/schedule_page.h"

#include "schedule/schedule_ctrl.h"
#include "schedule/schedule_grid_group.h"

#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

CPageSchedule::CPageSchedule(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("&Schedule"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("schedulePage"));
}

void CPageSchedule::initializePage()
{
    buildControls();
    PropertyPage::initializePage();
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
    grid->setReadOnly(true);
}

void CPageSchedule::load(DataExchange &)
{
    if (!grid)
        return;
    for (std::uint16_t minute : schedule_page::slotMinutes())
        grid->SetSlot(minute, settings.DaySlot(kind, minute) ? 1 : 0);
}

bool CPageSchedule::save(DataExchange &)
{
    if (!grid)
        return true;
    for (std::uint16_t minute : schedule_page::slotMinutes())
        settings.SetDaySlot(kind, minute, grid->GetSlot(minute) != 0);
    return true;
}

bool CPageSchedule::validatePage()
{
    // Judged on what the grid shows; the record keeps its old schedule until this passes.
    if (!grid || !schedule_page::gridSchedule(*grid).AnyOn()) {
        schedule_page::showNoPeriodOnMessage(this);
        return false;
    }
    return saveControls();
}
