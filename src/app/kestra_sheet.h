#pragma once

#include "cards/card_selection.h"
#include "framework/app_state.h"
#include "framework/property_sheet.h"
#include "settings/camera_settings.h"
#include "settings/named_setting_labels.h"
#include "settings/replaced_copies.h"

#include <QString>

class CKTPageTriggers;
class CKTPageTimeLapse;
class CKTPageImages;
class CKTPageCellular;
class CKTPageKeybolt;
class SettingsFileMessages;
class NoticeBand;

namespace platform {
class VolumeSource;
}

inline constexpr const char *kUserGuideFileName = "Professional Settings User Guide.pdf";

// The main settings sheet: five tabs over the one settings record. It loads the local copy
// when it opens and, on OK, writes the local copy, carriers2.dat and the card's copy.
class CKestraSheet : public PropertySheet
{
    Q_OBJECT

public:
    CKestraSheet(CameraSettings &settings, AppState &app, QWidget *parent = nullptr);
    ~CKestraSheet() override;

    // Empty arguments fall back to "Kestra.cfg" and no card.
    void SetPaths(const QString &local, const QString &card);
    QString localPath() const { return localSettingsPath; }
    QString cardPath() const { return cardSettingsPath; }
    // The card that cardPath() lies on, as start-up found it. Just before the card's copy is
    // written, under the card's lock, `volumes` must still show that card at its place; once
    // written, a card the editor mounted is unmounted, so that it can be pulled out at once.
    // Without it, cardPath() is written as it is: a folder its caller vouches for.
    void SetCard(platform::VolumeSource &volumes, const ChosenCard &card);
    bool dateTimeSet() const { return dateTimeWasSet; }
    bool noPicturesOverride() const { return picturesOverride; }

    // Writes both copies and carriers2.dat; true when both copies were written. Throws
    // MediumError, with the record as it was, when the medium fails.
    bool Save();

    QPushButton *changeDateTimeButton() const { return dateTimeButton; }
    QPushButton *useFactoryButton() const { return factoryButton; }
    // Above the tabs while the card holds other settings than the local copy.
    NoticeBand *cardNotice() const { return cardBand; }

protected:
    void initializeDialog() override;
    void tryAccept() override;
    void closeRequested() override;
    void currentPageChanged() override;
    void contextHelpRequested() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // "Change Date/Time...": asks, then sets the switch-on moment in its dialog.
    void changeDateTime();
    // "Use Factory": asks, then puts the factory settings on every built page.
    void useFactorySettings();
    void openUserGuide();
    void applyReadOnlyButtons();
    // Compares the card's settings file with the local copy just loaded, and offers the card's
    // settings in the band when they differ or cannot be read.
    void offerCardSettings();
    void useCardSettings();
    void showCardDifferences();
    QString cardName() const;
    bool writeCardCopy(SettingsFileMessages &messages);
    // Keeps what the card's file holds before other bytes replace it; a copy that cannot be
    // kept is said once a run and stops nothing.
    void keepReplacedCardFile(const std::filesystem::path &path);

    CameraSettings &settings;
    AppState &app;
    CKTPageCellular *cellularPage = nullptr;
    QString localSettingsPath = QStringLiteral("Kestra.cfg");
    QString cardSettingsPath;
    platform::VolumeSource *cardVolumes = nullptr;
    ChosenCard card;
    QPushButton *dateTimeButton = nullptr;
    QPushButton *factoryButton = nullptr;
    NoticeBand *cardBand = nullptr;
    CameraSettings cardSettings;
    std::vector<SettingDifference> cardDifferences;
    ReplacedCopies replacedCopies;
    bool replacedCopyFailureSaid = false;
    bool dateTimeWasSet = false;
    bool picturesOverride = false;
};
