#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"
#include "settings/images_values.h"

#include <QList>
#include <QString>

class CCharFilterEdit;
class QCheckBox;
class QGridLayout;
class QLabel;
class QRadioButton;
class QSlider;

// The "Images" tab of the main settings sheet: the picture label, the image adjustments, the
// stamp's temperature unit and clock, night exposure, resolution and the print border.
class CKTPageImages : public PropertyPage
{
    Q_OBJECT

public:
    CKTPageImages(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);

protected:
    void initializePage() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;

private:
    // All but the label, which the constructor makes.
    void buildControls();
    QSlider *makeSlider(const char *name, int maximum, int tickInterval);
    QLabel *makeStatic(const QString &text);
    void addSliderRow(QGridLayout *grid, int row, const QString &caption, const QString &low,
                      QSlider *slider, const QString &high);
    void addRadioRow(QGridLayout *grid, int row, const QString &caption, QRadioButton *first,
                     QRadioButton *second);
    void configureControls();
    // The fields in the order both directions move them; false after a failed save.
    bool transfer(DataExchange &dx);
    void applyReadOnly();

    CameraSettings &settings;
    AppState &app;

    // Built with the page, so that its forbidden set is in place before the window exists.
    CCharFilterEdit *label = nullptr;
    QSlider *brightness = nullptr;
    QSlider *contrast = nullptr;
    QSlider *sharpness = nullptr;
    QSlider *saturation = nullptr;
    QSlider *nightShutter = nullptr;
    QSlider *nightIso = nullptr;
    QRadioButton *fahrenheit = nullptr;
    QRadioButton *celsius = nullptr;
    QRadioButton *clock12h = nullptr;
    QRadioButton *clock24h = nullptr;
    QRadioButton *highResolution = nullptr;
    QRadioButton *lowResolution = nullptr;
    QCheckBox *printBorder = nullptr;
    // Every static text, for read-only mode.
    QList<QLabel *> statics;

    // Values between record and controls.
    ImagesValues values;
    // The label as its field shows it.
    QString labelText;
};
