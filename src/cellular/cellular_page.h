#pragma once

#include "framework/app_state.h"
#include "framework/property_page.h"
#include "settings/camera_settings.h"
#include "settings/carriers.h"
#include "settings/cellular_values.h"

#include <QString>

#include <array>

class CCharFilterEdit;
class DestinationGroupBox;
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

    // Browsing the carrier list hides rows but keeps what they hold, in the fields and in the
    // record, so that going back to a carrier that offers them shows them again. What is
    // finally stored is what the chosen carrier offers: with cellular on, the rows it hides
    // are emptied in the record, as choosing that carrier straight away would leave them. A
    // page never opened, no carrier chosen, or cellular off leaves the record as it is.
    void storeOnlyOfferedRows();

protected:
    void initializePage() override;
    void load(DataExchange &dx) override;
    bool save(DataExchange &dx) override;

private:
    void buildControls();
    void buildPhoneGroup();
    void buildEmailGroup();
    // The fields in the order both directions move them.
    void transfer(DataExchange &dx);
    void applyReadOnly();
    void readCarrierList();
    // Save, then load: the load puts the record's values back after a failed save.
    void refresh();
    void applyEnabling();
    void OnCarrierChange();
    void stackGroups(bool emailFirst);
    void nameDestinationRows();
    static QString errorMessagesTitle();

    CameraSettings &settings;
    AppState &app;
    CarrierTable carriers;

    // Values between the record and the controls; the carrier is the run's, not the record's.
    CellularValues values;
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
    std::array<CCharFilterEdit *, CellularValues::kPhoneRows> phoneEdits{};
    // Never shown: each pair carries its number's stored kind (To, BCC) through load and save.
    std::array<std::array<QRadioButton *, 2>, CellularValues::kPhoneRows> phoneRadios{};
    DestinationGroupBox *emailGroup = nullptr;
    std::array<CCharFilterEdit *, CellularValues::kEmailRows> emailEdits{};
    std::array<std::array<QRadioButton *, 2>, CellularValues::kEmailRows> emailRadios{};
};
