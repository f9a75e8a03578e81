#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"
#include "settings/other_values.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;

// The "Other" tab of the main settings sheet: model-line options, the start delay and the
// KeyBolt code lock.
class CKTPageKeybolt : public PropertyPage
{
    Q_OBJECT

public:
    CKTPageKeybolt(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);

protected:
    void initializePage() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;

private:
    static constexpr int kCodeDigits = OtherValues::kCodeDigits;

    void buildControls();
    // The fields in the order both directions move them.
    void transfer(DataExchange &dx);
    // "Use KeyBolt": store the box, then load again so the digit lists follow it at once.
    void useKeyBoltClicked();
    void applyReadOnly();

    CameraSettings &settings;
    AppState &app;

    QCheckBox *loopRecording = nullptr;
    QCheckBox *hideLogo = nullptr;
    QCheckBox *illuminatorOff = nullptr;
    QLabel *startDelayLabel = nullptr;
    QComboBox *startDelay = nullptr;
    QLabel *keyBoltText = nullptr;
    QCheckBox *useKeyBolt = nullptr;
    std::array<QLabel *, kCodeDigits> digitLabels{};
    std::array<QComboBox *, kCodeDigits> digits{};

    // Values between record and controls.
    OtherValues values;
};
