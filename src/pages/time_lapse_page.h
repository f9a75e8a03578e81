#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"

#include <QList>

#include <optional>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The "Time Lapse" tab of the main settings sheet: time lapse on or off at an interval from
// fixed lists of hours, minutes or seconds, one picture or a BurstClip burst per shot, and
// the way to the time-lapse schedule.
class CKTPageTimeLapse : public PropertyPage
{
    Q_OBJECT

public:
    CKTPageTimeLapse(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);

    enum IntervalKind
    {
        IntervalOff = 0,
        IntervalHours = 1,
        IntervalMinutes = 2,
        IntervalSeconds = 3,
    };

    // The count a list shows for a stored count: the nearest divisor of a full day (hours) or
    // of sixty (minutes, seconds) at or above it. Counts beyond the list's range (0, or above
    // 24 or 60) are first clamped into 1..24 or 1..60.
    static int roundedCount(IntervalKind kind, int count);

protected:
    void initializePage() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;
    // Opens the time-lapse schedule sheet once the page has saved; the schedule sheet fills it in.
    virtual void openTimeLapseSchedule();

private:
    void buildControls();
    // The radios in the order both directions move them.
    void transfer(DataExchange &dx);
    // The interval of the list of `kind` as stored; none while the list shows nothing usable.
    std::optional<std::uint16_t> chosenInterval(IntervalKind kind) const;
    // A seconds interval below the triggers' shortest asks to turn both triggers off;
    // false when the person declines.
    bool triggersGiveWayToShortInterval(DataExchange &dx);
    void applyReadOnly();

    // Command handlers.
    void onOff();
    void onUnit(IntervalKind kind);
    void onListChanged(IntervalKind kind);
    void onViewSchedule();
    // Burst shots are offered only when the burst fits into the interval.
    void applyShotRule(bool fits);
    // The line under the schedule box, while the radios say on and the schedule in the record
    // has no "Camera on" period.
    void showScheduleWarning();

    QComboBox *listOf(IntervalKind kind) const;
    int &rememberedCount(IntervalKind kind);
    // The number of the list's selected entry, 0 when there is none.
    static int selectedNumber(const QComboBox *list);
    // Selects `index` as the page itself, without running the selection handler.
    void selectEntry(QComboBox *list, int index);

    CameraSettings &settings;
    AppState &app;

    int intervalKind = -1;
    int shotKind = -1;
    // The last count chosen for each unit, kept while the page lives.
    int rememberedHours = 1;
    int rememberedMinutes = 1;
    int rememberedSeconds = 1;
    // While the page itself changes a list's selection.
    bool selectingEntry = false;

    QList<QAbstractButton *> intervalRadios;
    QList<QAbstractButton *> shotRadios;
    QComboBox *hoursList = nullptr;
    QComboBox *minutesList = nullptr;
    QComboBox *secondsList = nullptr;
    QLabel *atIntervalLabel = nullptr;
    QLabel *scheduleLabel = nullptr;
    QPushButton *viewScheduleButton = nullptr;
    QLabel *noCameraOnPeriodLabel = nullptr;
};
