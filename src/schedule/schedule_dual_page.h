#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"

#include <QList>

#include <array>

class CScheduleCtrl;
class QAbstractButton;
class QLabel;
class QPushButton;

// The dual trigger schedule tab: two day schedules in two grids and, for each weekday, which
// of them applies. The page refuses to be left while no schedule that some day uses has a
// quarter hour on.
class CPageScheduleDual : public PropertyPage
{
    Q_OBJECT

public:
    static constexpr int kDays = 7; // Sunday..Saturday

    CPageScheduleDual(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);

    bool validatePage() override;

protected:
    void initializePage() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;

private:
    void buildControls();
    // The day buttons, in the order both directions move them.
    void transfer(DataExchange &dx);
    void applyReadOnly();
    // The days as the buttons show them: true = Schedule 2.
    DayChoices shownDayChoices() const;

    CameraSettings &settings;
    AppState &app;

    // Per day, Sunday first: 0 = Schedule 1, 1 = Schedule 2.
    std::array<int, kDays> dayChoices{};
    // Per day, the pair of buttons under "Schedule 1" and "Schedule 2".
    std::array<QList<QAbstractButton *>, kDays> dayButtons;
    QList<QLabel *> columnCaptions;
    // Live as long as the page's window; none before the page is first shown.
    CScheduleCtrl *grid1 = nullptr;
    CScheduleCtrl *grid2 = nullptr;
    QList<QPushButton *> allButtons; // All On/Off of schedule 1, then of schedule 2
};
