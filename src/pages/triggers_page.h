#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"
#include "settings/trigger_values.h"

#include <QList>

class CNumberEdit;
class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The "Triggers" tab of the main settings sheet: which triggers are armed, the BurstClip
// burst, the quiet period and the one-click quickset presets. Opens the internal trigger
// settings and the trigger schedule.
class CKTPageTriggers : public PropertyPage
{
    Q_OBJECT

public:
    CKTPageTriggers(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);

protected:
    void initializePage() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;

    // Opens the trigger schedule sheet once the page has saved; the schedule sheet fills it in.
    virtual void openTriggerSchedule();

private:
    void buildControls();
    QGroupBox *buildQuicksetGroup();
    QGroupBox *buildBurstGroup();
    QGroupBox *buildQuietPeriodGroup();
    QGroupBox *buildOptionsGroup();
    QGroupBox *buildScheduleGroup();
    void connectHandlers();
    // The fields in the order both directions move them; false after a failed save.
    bool transfer(DataExchange &dx);
    // Enables what the quickset `preset` leaves to the user.
    void applyEnablingRule(std::uint16_t preset);
    void applyReadOnly();

    void onPresetClicked(std::uint16_t preset);
    void onAdvancedQuicksetClicked();
    void onTriggerBoxClicked(QCheckBox *box, int &value);
    void onInternalTriggerSettings();
    void onViewSchedule();

    CameraSettings &settings;
    AppState &app;

    // Values between the record and the controls.
    TriggerValues values;
    int externalTrigger = 0;
    int internalTrigger = 0;
    int pacingIndex = -1;
    int quicksetIndex = -1;

    QList<QAbstractButton *> quicksetRadios; // Normal, Aggressive, Conservative, Advanced
    QList<QAbstractButton *> pacingRadios;   // as fast as possible, waiting
    CNumberEdit *picturesEdit = nullptr;
    CNumberEdit *secondsEdit = nullptr;
    CNumberEdit *quietPeriodEdit = nullptr;
    QCheckBox *internalTriggerBox = nullptr;
    QCheckBox *externalTriggerBox = nullptr;
    QPushButton *advancedButton = nullptr;
    QPushButton *viewScheduleButton = nullptr;
    QLabel *picturesLabel = nullptr;
    QLabel *picturesUnitLabel = nullptr;
    QLabel *secondsUnitLabel = nullptr;
    QLabel *quietPeriodLabel = nullptr;
    QLabel *quietPeriodUnitLabel = nullptr;
    QLabel *scheduleLabel = nullptr;
};
