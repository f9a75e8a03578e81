#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"

// The "Other" tab of the main settings sheet.
class CKTPageKeybolt : public PropertyPage
{
    Q_OBJECT

public:
    CKTPageKeybolt(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);

protected:
    bool exchange(Direction direction) override;

private:
    CameraSettings &settings;
    AppState &app;
};
