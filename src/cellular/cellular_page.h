#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"
#include "settings/carriers.h"

#include <QString>

#include <array>

class CCharFilterEdit;
class DestinationGroupBox;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QVBoxLayout;

// The "Cellular" tab of the main settings sheet: cellular use, the daily status picture and
// the destination phone numbers and e-mail addresses, shaped by the carrier chosen from
// carriers.dat.
class CKTPageCellular : public PropertyPage
{
    Q_OBJECT

public:
    CKTPageCellular(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);
    ~CKTPageCellular() override;

    // The carrier rows read when the page was built, by list position.
    const CarrierTable &carrierTable() const { return carriers; }

protected:
    void OnInitDialog() override;
    bool exchange(Direction direction) override;

private:
    void buildControls();
    void readCarrierList();
    // Save, then load: the load puts the record's values back after a failed save.
    void refresh();
    void applyEnabling();
    void OnCarrierChange();
    void ApplyEmailRows(const CarrierEntry &carrier);
    void ApplyPhoneRows(const CarrierEntry &carrier);
    void stackGroups(bool emailFirst);
    void nameDestinationRows();
    bool lengthsFit();
    static QString errorMessagesTitle();

    CameraSettings &settings;
    AppState &app;
    CarrierTable carriers;

    // Values between the record and the controls.
    std::array<QString, 2> emailText;
    int useCellular = 0;
    int sendDailyStatus = 0;
    std::array<int, 4> phoneKind{-1, -1, -1, -1};
    std::array<QString, 4> phoneText;
    std::array<int, 2> emailKind{-1, -1};
    int carrierSel = -1;

    // While the page itself changes the carrier list, its selection signal is not the user's.
    bool settingCarrierList = false;

    QCheckBox *useCellularBox = nullptr;
    QCheckBox *dailyStatusBox = nullptr;
    QComboBox *carrierList = nullptr;
    QVBoxLayout *destinations = nullptr;
    DestinationGroupBox *phoneGroup = nullptr;
    QLabel *phoneHint = nullptr;
    QLabel *phoneExample = nullptr;
    std::array<CCharFilterEdit *, 4> phoneEdits{};
    // Never shown: each pair carries its number's stored kind (To, BCC) through load and save.
    std::array<std::array<QRadioButton *, 2>, 4> phoneRadios{};
    DestinationGroupBox *emailGroup = nullptr;
    std::array<CCharFilterEdit *, 2> emailEdits{};
    std::array<std::array<QRadioButton *, 2>, 2> emailRadios{};
};
