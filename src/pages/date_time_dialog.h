#pragma once

#include "framework/exchange_dialog.h"
#include "settings/camera_settings.h"
#include "settings/date_time_values.h"

class CNumberEdit;
class QComboBox;

// "Set Date & Time": the moment at which the user will switch the camera on with the card,
// so that the camera can set its clock from the settings file. Reads and writes loadTime and
// loadDate of the record; years 2000..2099 only.
class CDateTimeDlg : public ExchangeDialog
{
    Q_OBJECT

public:
    CDateTimeDlg(CameraSettings &settings, QWidget *parent = nullptr);

    // "9:05 AM, January 05, 2015": 12-hour time, English month name, two-digit day, with the
    // leading zeros of the whole text removed.
    static QString switchOnText(int year, int month, int day, int hour, int minute);

protected:
    void initializeDialog() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;
    void tryAccept() override;

private:
    void buildControls();
    // The moment stored in the record, or the computer's clock where none is stored.
    void readSwitchOnMoment();
    void showDate();
    // The range checks of what was entered, in their order; false after a failure's message.
    bool inRange(DataExchange &dx, const rules::SwitchOnFields &entered);
    void fillDayList(int year, int month);
    // The list that shows a part of the date.
    QComboBox *dateList(rules::SwitchOnPart part) const;
    // After a month or year change: a list of the wrong length is filled again.
    void refreshDayList();

    CameraSettings &settings;

    // The switch-on moment as the record holds it: the hour 0..23, the year in full. The hour
    // field shows the 12-hour clock; load and save convert.
    int day = 0;
    int hour = 0;
    int minute = 0;
    int month = 0;
    int year = 0;

    CNumberEdit *hourEdit = nullptr;
    CNumberEdit *minuteEdit = nullptr;
    QComboBox *amPmList = nullptr;
    QComboBox *monthList = nullptr;
    QComboBox *dayList = nullptr;
    QComboBox *yearList = nullptr;
};
