#pragma once

#include "framework/exchange_dialog.h"
#include "settings/camera_settings.h"
#include "settings/trigger_values.h"

class CNumberEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// "Internal Trigger Settings": the motion sensor's sensitivity on five steps and, for the
// models that read it, how many sensor pulses within how many seconds make a trigger.
// Edits the record directly, and only when OK's save succeeds.
class CInternalTriggerDlg : public ExchangeDialog
{
    Q_OBJECT

public:
    explicit CInternalTriggerDlg(CameraSettings &settings, QWidget *parent = nullptr);

    // Set by the caller before the dialog is shown: look, but change nothing.
    void setReadOnly(bool readOnly) { this->readOnly = readOnly; }

protected:
    void initializeDialog() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;

private:
    void buildControls();
    // The fields in the order both directions move them; false after a failed save.
    bool transfer(DataExchange &dx);
    void applyReadOnly();

    CameraSettings &settings;

    // Values between the record and the controls.
    InternalTriggerValues values;
    bool readOnly = false;

    QLabel *lowLabel = nullptr;
    QSlider *sensitivitySlider = nullptr;
    QLabel *highLabel = nullptr;
    QLabel *requireLabel = nullptr;
    QLineEdit *pulsesEdit = nullptr;
    QLabel *pulsesWithinLabel = nullptr;
    CNumberEdit *secondsEdit = nullptr;
    QLabel *secondsLabel = nullptr;
    QPushButton *okButton = nullptr;
};
