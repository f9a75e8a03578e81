#include "app/kestra_sheet.h"

#include "cellular/cellular_page.h"
#include "framework/file_paths.h"
#include "framework/keyboard_access.h"
#include "framework/message_service.h"
#include "framework/platform_services.h"
#include "pages/date_time_dialog.h"
#include "pages/images_page.h"
#include "pages/keybolt_page.h"
#include "pages/time_lapse_page.h"
#include "pages/triggers_page.h"
#include "settings/carriers.h"
#include "settings/settings_file.h"

#include <QDir>
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
    : PropertySheet(stringText(kCaption), parent, 0,
                    OkButton | CancelButton | ApplyButton | HelpButton),
      settings(settings), app(app)
{
    setObjectName(QStringLiteral("kestraSheet"));
    AddPage(new CKTPageTriggers(settings, app));
    AddPage(new CKTPageTimeLapse(settings, app));
    AddPage(new CKTPageImages(settings, app));
    AddPage(new CKTPageCellular(settings, app));
    AddPage(new CKTPageKeybolt(settings, app));
    settings.ResetAll();
    setPageDesignSize(kPageDesignSize);
    // Holding Shift and Ctrl while the editor starts allows settings that take no pictures.
    picturesOverride = platformServices().shiftDown() && platformServices().ctrlDown();
}

CKestraSheet::~CKestraSheet() = default;

void CKestraSheet::SetPaths(const QString &local, const QString &card)
{
    localSettingsPath = local.isEmpty() ? QString::fromLatin1(kSettingsFileName) : local;
    cardSettingsPath = card;
}

void CKestraSheet::OnInitDialog()
{
    MessageBoxFileMessages messages;
    bool loaded = false;
    try {
        loaded = ReadSettingsFile(settings, toFilePath(localSettingsPath), messages);
    } catch (const MediumError &error) {
        showFileError(nullptr, error);
    }
    if (!loaded) {
        EndDialog(Rejected);
        return;
    }

    PropertySheet::OnInitDialog();

    if (app.readOnly)
        setWindowTitle(windowTitle() + tr(" (read only)"));
    // The string table keeps its texts plain; the buttons take their access keys here.
    button(ApplyButton)->setText(withAccessKey(stringText(kChangeDateTime), tr("Date")));
    button(HelpButton)->setText(withAccessKey(stringText(kUseFactory), tr("Factory")));
    button(ApplyButton)->setEnabled(true);
    applyReadOnlyButtons();
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
}

void CKestraSheet::applyReadOnlyButtons()
{
    if (!app.readOnly)
        return;
    button(OkButton)->setEnabled(false);
    button(ApplyButton)->setEnabled(false);
    button(HelpButton)->setEnabled(false);
}

void CKestraSheet::OnOK()
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

    try {
        Save();
    } catch (const MediumError &error) {
        // The rest of the save and the closing are abandoned; the user may try again.
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
        cardWritten = WriteSettingsFile(settings, toFilePath(cardSettingsPath), messages);
    } catch (const MediumError &) {
        settings.core.loadTime = loadTime;
        settings.core.loadDate = loadDate;
        throw;
    }
    if (cardWritten)
        showMessage(this, stringText(kSavedNotice), stringText(kInformation),
                    MessageIcon::Information);
    return localWritten && cardWritten;
}

void CKestraSheet::OnClose()
{
    if (!leaveActivePage())
        return;
    if (settings.CoreChanged() || settings.DualScheduleChanged() || settings.CellularChanged()) {
        const MessageAnswer answer =
            showMessage(this, stringText(kSaveChangesQuestion), stringText(kInformation),
                        MessageIcon::Question, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes) {
            OnOK();
            return;
        }
    }
    EndDialog(Rejected);
}

void CKestraSheet::OnApply()
{
    if (showMessage(this, stringText(kDateTimeQuestion), stringText(kInformation),
                    MessageIcon::Question, MessageButtons::YesNo,
                    MessageAnswer::No) != MessageAnswer::Yes)
        return;
    CDateTimeDlg dialog(settings, this);
    if (dialog.DoModal() == QDialog::Accepted)
        dateTimeWasSet = true;
}

void CKestraSheet::OnHelp()
{
    if (showMessage(this, stringText(kFactoryQuestion), stringText(kInformation),
                    MessageIcon::Question, MessageButtons::YesNo,
                    MessageAnswer::No) != MessageAnswer::Yes)
        return;
    settings.ResetAll();
    for (int i = 0; i < GetPageCount(); ++i) {
        if (GetPage(i)->isCreated())
            GetPage(i)->UpdateData(false);
    }
}

void CKestraSheet::OnTabChanged()
{
    applyReadOnlyButtons();
}

void CKestraSheet::OnContextHelp()
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
    platformServices().openDocument(guide.absoluteFilePath());
}
