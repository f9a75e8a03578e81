#include "app/kestra_sheet.h"

#include "app/card_differences_dialog.h"

#include "cellular/cellular_page.h"
#include "framework/file_paths.h"
#include "framework/keyboard_access.h"
#include "framework/message_service.h"
#include "framework/notice_band.h"
#include "framework/platform_services.h"
#include "pages/date_time_dialog.h"
#include "pages/images_page.h"
#include "pages/keybolt_page.h"
#include "pages/time_lapse_page.h"
#include "pages/triggers_page.h"
#include "platform/card_lock.h"
#include "platform/card_volumes.h"
#include "settings/card_scan.h"
#include "settings/carriers.h"
#include "settings/settings_file.h"

#include <QDir>
#include <cstdio>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>

namespace {
constexpr int kCaption = 102;
constexpr int kInformation = 104;
constexpr int kFactoryQuestion = 110;
constexpr int kDateTimeQuestion = 111;
constexpr int kChangeDateTime = 112;
constexpr int kUseFactory = 113;
constexpr int kSavedNotice = 114;
constexpr int kSaveChangesQuestion = 115;
constexpr int kNoPicturesQuestion = 119;
constexpr int kSelectTrigger = 120;

// Room for the largest page, so that the sheet keeps its size from tab to tab: the pages
// were laid out at 250 x 247 dialog units, and Qt's margins and spacing take a little more
// (the Other tab's start delay is the widest row, the Triggers tab the tallest).
constexpr QSize kPageDesignSize(260, 250);
} // namespace

CKestraSheet::CKestraSheet(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertySheet(stringText(kCaption), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("kestraSheet"));
    // The string table keeps its texts plain; the buttons take their access keys here.
    dateTimeButton = addActionButton(withAccessKey(stringText(kChangeDateTime), tr("Date")),
                                     "changeDateTime", [this] { changeDateTime(); });
    factoryButton = addActionButton(withAccessKey(stringText(kUseFactory), tr("Factory")),
                                    "useFactorySettings", [this] { useFactorySettings(); });
    addPage(new CKTPageTriggers(settings, app));
    addPage(new CKTPageTimeLapse(settings, app));
    addPage(new CKTPageImages(settings, app));
    cellularPage = new CKTPageCellular(settings, app);
    addPage(cellularPage);
    addPage(new CKTPageKeybolt(settings, app));
    settings.ResetAll();
    setPageDesignSize(kPageDesignSize);

    cardBand = new NoticeBand(this);
    cardBand->setObjectName(QStringLiteral("cardNotice"));
    cardBand->addButton(tr("&Use the Card's Settings"), "useCardSettings",
                        [this] { useCardSettings(); });
    cardBand->addButton(tr("S&how Differences..."), "showCardDifferences",
                        [this] { showCardDifferences(); }, false);
    cardBand->addButton(tr("&Keep These"), "keepLocalSettings", [] {});
    // Holding Shift and Ctrl while the editor starts allows settings that take no pictures.
    picturesOverride = platformServices().shiftDown() && platformServices().ctrlDown();
}

CKestraSheet::~CKestraSheet() = default;

void CKestraSheet::SetPaths(const QString &local, const QString &card)
{
    localSettingsPath = local.isEmpty() ? QString::fromLatin1(kSettingsFileName) : local;
    cardSettingsPath = card;
}

void CKestraSheet::SetCard(platform::VolumeSource &volumes, const ChosenCard &chosen)
{
    cardVolumes = &volumes;
    card = chosen;
}

void CKestraSheet::initializeDialog()
{
    MessageBoxFileMessages messages;
    bool loaded = false;
    try {
        loaded = ReadSettingsFile(settings, toFilePath(localSettingsPath), messages);
    } catch (const MediumError &error) {
        showFileError(nullptr, error);
    }
    if (!loaded) {
        done(Rejected);
        return;
    }

    PropertySheet::initializeDialog();
    offerCardSettings();

    if (app.readOnly)
        setWindowTitle(windowTitle() + tr(" (read only)"));
    applyReadOnlyButtons();
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
}

void CKestraSheet::applyReadOnlyButtons()
{
    if (!app.readOnly)
        return;
    button(OkButton)->setEnabled(false);
    dateTimeButton->setEnabled(false);
    factoryButton->setEnabled(false);
}

void CKestraSheet::tryAccept()
{
    if (!leaveActivePage())
        return;

    const bool pictures =
        settings.InternalTrigger() || settings.ExternalTrigger() || settings.TimeLapseOn();
    if (!pictures) {
        if (!picturesOverride) {
            showMessage(this, stringText(kSelectTrigger), programName(), MessageIcon::Information);
            return;
        }
        if (showMessage(this, stringText(kNoPicturesQuestion), programName(),
                        MessageIcon::Information, MessageButtons::YesNo) != MessageAnswer::Yes)
            return;
    }

    const CellularSection browsed = settings.cellular;
    cellularPage->storeOnlyOfferedRows();
    try {
        Save();
    } catch (const MediumError &error) {
        // The rest of the save and the closing are abandoned; the user may try again, and may
        // still go back to a carrier that offers the rows browsing hid.
        settings.cellular = browsed;
        showFileError(this, error);
        return;
    }
    closeAccepted();
}

bool CKestraSheet::Save()
{
    if (app.readOnly)
        return false;

    MessageBoxFileMessages messages;
    const bool localWritten = WriteSettingsFile(settings, toFilePath(localSettingsPath), messages);
    WriteLastCarrier(app.carrierIndex);

    // The card copy carries a switch-on date and time only when it was set in this run; the
    // local copy, written above, keeps whatever the record held.
    const std::uint16_t loadTime = settings.core.loadTime;
    const std::uint16_t loadDate = settings.core.loadDate;
    if (!dateTimeWasSet) {
        settings.SetLoadTime(0, 0, 0);
        settings.SetLoadDate(0, 0, 0);
    }
    bool cardWritten = false;
    try {
        cardWritten = writeCardCopy(messages);
    } catch (const MediumError &) {
        settings.core.loadTime = loadTime;
        settings.core.loadDate = loadDate;
        throw;
    }
    if (cardWritten && cardVolumes && card.mountedHere)
        cardVolumes->unmount(card.device.toStdString());
    if (cardWritten)
        showMessage(this, stringText(kSavedNotice), stringText(kInformation),
                    MessageIcon::Information);
    return localWritten && cardWritten;
}

bool CKestraSheet::writeCardCopy(SettingsFileMessages &messages)
{
    const std::filesystem::path path = toFilePath(cardSettingsPath);
    if (!cardVolumes) {
        keepReplacedCardFile(path);
        return WriteSettingsFile(settings, path, messages);
    }
    // Another card in the reader, or none, is a card copy that cannot be created: the settings
    // never go to a card the user did not choose. The lock is given back before an unmount.
    const std::string root = card.root.toStdString();
    const platform::CardLock lock(root);
    if (!lock.held() || !IsSameCard(*cardVolumes, root, card.serial.toStdString())) {
        messages.ShowFileError(kMessageSaveError);
        return false;
    }
    keepReplacedCardFile(path);
    return WriteSettingsFile(settings, path, messages);
}

void CKestraSheet::keepReplacedCardFile(const std::filesystem::path &path)
{
    const std::optional<std::string> problem =
        replacedCopies.keep(path, card.serial.toStdString(), EncodeSettingsFile(settings),
                            platformServices().currentLocalDateTime().toSecsSinceEpoch());
    if (problem && !replacedCopyFailureSaid) {
        replacedCopyFailureSaid = true;
        std::fprintf(stderr, "velomar-settings: %s\n", problem->c_str());
    }
}

void CKestraSheet::closeRequested()
{
    if (!leaveActivePage())
        return;
    if (settings.CoreChanged() || settings.DualScheduleChanged() || settings.CellularChanged()) {
        const MessageAnswer answer =
            showMessage(this, stringText(kSaveChangesQuestion), stringText(kInformation),
                        MessageIcon::Question, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes) {
            tryAccept();
            return;
        }
    }
    done(Rejected);
}

void CKestraSheet::changeDateTime()
{
    if (showMessage(this, stringText(kDateTimeQuestion), stringText(kInformation),
                    MessageIcon::Question, MessageButtons::YesNo,
                    MessageAnswer::No) != MessageAnswer::Yes)
        return;
    CDateTimeDlg dialog(settings, this);
    if (dialog.exec() == QDialog::Accepted)
        dateTimeWasSet = true;
}

void CKestraSheet::useFactorySettings()
{
    if (showMessage(this, stringText(kFactoryQuestion), stringText(kInformation),
                    MessageIcon::Question, MessageButtons::YesNo,
                    MessageAnswer::No) != MessageAnswer::Yes)
        return;
    settings.ResetAll();
    for (int i = 0; i < pageCount(); ++i) {
        if (page(i)->isCreated())
            page(i)->loadControls();
    }
}

QString CKestraSheet::cardName() const
{
    QString root = card.root;
    if (root.isEmpty()) {
        // The folder of the card's VELOMAR folder.
        QDir folder = QFileInfo(cardSettingsPath).absoluteDir();
        if (folder.dirName().compare(QLatin1String(platform::kCardFolderName),
                                     Qt::CaseInsensitive) == 0)
            folder.cdUp();
        root = folder.path();
    }
    const QString name = QFileInfo(root).fileName();
    return QDir::toNativeSeparators(name.isEmpty() ? root : name);
}

void CKestraSheet::offerCardSettings()
{
    if (app.readOnly || cardSettingsPath.isEmpty())
        return;
    const std::filesystem::path path = toFilePath(cardSettingsPath);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return; // a card without a settings file holds nothing to lose

    class Quiet : public SettingsFileMessages
    {
    public:
        void ShowFileError(int) override {}
    } quiet;
    bool read = false;
    try {
        read = ReadSettingsFile(cardSettings, path, quiet);
    } catch (const MediumError &) {
    }
    const QList<QPushButton *> buttons = cardBand->buttons();
    setNoticeBand(cardBand, {buttons.begin(), buttons.end()});
    if (!read) {
        buttons[0]->hide();
        buttons[1]->hide();
        cardBand->showNotice(tr("The settings file on the card %1 cannot be read; OK replaces it "
                                "with these settings.")
                                 .arg(cardName()));
        return;
    }
    cardDifferences = NamedSettingDifferences(settings, cardSettings);
    if (cardDifferences.empty())
        return;
    const int count = static_cast<int>(cardDifferences.size());
    cardBand->showNotice(
        count == 1 ? tr("The card %1 holds other settings than this computer's copy (1 setting "
                        "differs).")
                         .arg(cardName())
                   : tr("The card %1 holds other settings than this computer's copy (%2 settings "
                        "differ).")
                         .arg(cardName(), QString::number(count)));
}

void CKestraSheet::useCardSettings()
{
    // As a load of the sheet, but the snapshots stay the local copy's: closing asks to save.
    settings.core = cardSettings.core;
    settings.dual = cardSettings.dual;
    settings.cellular = cardSettings.cellular;
    for (int i = 0; i < pageCount(); ++i) {
        if (page(i)->isCreated())
            page(i)->loadControls();
    }
}

void CKestraSheet::showCardDifferences()
{
    CardDifferencesDialog dialog(cardDifferences, cardName(), this);
    dialog.exec();
}

void CKestraSheet::currentPageChanged()
{
    applyReadOnlyButtons();
}

void CKestraSheet::contextHelpRequested()
{
    openUserGuide();
}

void CKestraSheet::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && !event->modifiers().testFlag(Qt::ShiftModifier)) {
        openUserGuide();
        return;
    }
    PropertySheet::keyPressEvent(event);
}

void CKestraSheet::openUserGuide()
{
    const QFileInfo guide(QDir::current(), QString::fromLatin1(kUserGuideFileName));
    if (!guide.isFile()) {
        showMessage(this, tr("The help file was not found."), tr("Velomar"),
                    MessageIcon::Information);
        return;
    }
    if (!platformServices().openDocument(guide.absoluteFilePath()))
        showMessage(this,
                    tr("No program on this computer opens PDF files, so the user guide cannot be "
                       "shown. It is the file\n%1")
                        .arg(QDir::toNativeSeparators(guide.absoluteFilePath())),
                    tr("Velomar"), MessageIcon::Information);
}
