#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"

// The "Triggers" tab of the main settings sheet.
class CKTPageTriggers : public PropertyPage
{
    Q_OBJECT

public:
    CKTPageTriggers(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);

protected:
    bool exchange(Direction direction) override;

private:
    CameraSettings &settings;
    AppState &app;
};
