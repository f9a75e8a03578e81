#include "pages/triggers_page.h"

#include "controls/number_edit.h"
#include "framework/dialog_controls.h"
#include "framework/keyboard_access.h"
#include "framework/message_service.h"
#include "pages/internal_trigger_dialog.h"
#include "resources/string_table.h"
#include "schedule/schedule_sheet.h"
#include "settings/time_lapse_values.h"
#include "settings/trigger_values.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Quickset radio index (Normal, Aggressive, Conservative, Advanced) and preset number.
constexpr int kAdvancedIndex = 3;

int radioIndexOfPreset(std::uint16_t preset)
{
    return preset >= QuicksetNormal && preset <= QuicksetConservative ? preset - 1 : kAdvancedIndex;
}

// The order matters: a whole-digit count turns the sign on again.
void configureField(CNumberEdit *edit, rules::NumberField field)
{
    edit->SetMaxWholeDigits(field.wholeDigits);
    edit->SetMaxDecimalPlaces(field.decimalPlaces);
    edit->AllowNegative(false);
}

CNumberEdit *makeNumberEdit(const char *name, QWidget *parent)
{
    // Every number field starts out wide and is narrowed once the page has loaded.
    auto *edit = new CNumberEdit(9, 4, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

CKTPageTriggers::CKTPageTriggers(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("&Triggers"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("triggersPage"));
}

void CKTPageTriggers::initializePage()
{
    buildControls();
    PropertyPage::initializePage();

    // Configured after the first load, which the fields then filter: an interval of 1.5 s
    // arrives as "1.5" and is shown as "1".
    configureField(picturesEdit, TriggerValues::kPicturesPerTriggerField);
    configureField(secondsEdit, TriggerValues::kPictureIntervalField);
    configureField(quietPeriodEdit, TriggerValues::kQuietPeriodField);

    applyReadOnly();
}

void CKTPageTriggers::buildControls()
{
    // Created top to bottom, left to right: the keyboard's tab order follows.
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildQuicksetGroup());
    layout->addWidget(buildBurstGroup());
    layout->addWidget(buildQuietPeriodGroup());
    layout->addWidget(buildOptionsGroup());
    layout->addWidget(buildScheduleGroup());
    layout->addStretch(1);

    fitDigits(picturesEdit, TriggerValues::kPicturesPerTriggerField.wholeDigits);
    fitDigits(secondsEdit, TriggerValues::kPictureIntervalField.wholeDigits);
    fitDigits(quietPeriodEdit, TriggerValues::kQuietPeriodField.wholeDigits);

    tabStopAtCheckedRadio(quicksetRadios);
    tabStopAtCheckedRadio(pacingRadios);
    connectHandlers();
}

QGroupBox *CKTPageTriggers::buildQuicksetGroup()
{
    auto *quicksetBox = new QGroupBox(tr("Quickset"), this);
    quicksetBox->setObjectName(QStringLiteral("quicksetGroup"));
    const struct
    {
        const char *text;
        const char *name;
    } presets[] = {
        {QT_TR_NOOP("&Normal"), "quicksetNormal"},
        {QT_TR_NOOP("A&ggressive"), "quicksetAggressive"},
        {QT_TR_NOOP("C&onservative"), "quicksetConservative"},
        {QT_TR_NOOP("&Advanced"), "quicksetAdvanced"},
    };
    auto *quicksetLayout = new QHBoxLayout(quicksetBox);
    for (const auto &preset : presets) {
        auto *radio = makeRadio(tr(preset.text), preset.name, quicksetBox);
        quicksetLayout->addWidget(radio);
        quicksetRadios.append(radio);
    }
    quicksetLayout->addStretch(1);
    return quicksetBox;
}

QGroupBox *CKTPageTriggers::buildBurstGroup()
{
    auto *burstBox = new QGroupBox(tr("BurstClip"), this);
    burstBox->setObjectName(QStringLiteral("burstClipGroup"));
    picturesLabel = makeLabel(tr("When triggered take"), "picturesLabel", burstBox);
    picturesEdit = makeNumberEdit("picturesPerTrigger", burstBox);
    picturesUnitLabel = makeLabel(tr("&pictures"), "picturesUnitLabel", burstBox);
    // The field is named by the words on both sides; the access key is on "pictures".
    picturesLabel->setBuddy(picturesEdit);
    picturesUnitLabel->setBuddy(picturesEdit);
    auto *fastRadio =
        makeRadio(tr("as fast as possible (i.e. &SwiftShot)"), "fastSequence", burstBox);
    auto *waitingRadio = makeRadio(tr("&waiting"), "waitBetweenPictures", burstBox);
    pacingRadios = {fastRadio, waitingRadio};
    secondsEdit = makeNumberEdit("pictureInterval", burstBox);
    secondsUnitLabel = makeLabel(tr("seconds &between pictures"), "pictureIntervalLabel", burstBox);
    secondsUnitLabel->setBuddy(secondsEdit);
    auto *burstLayout = new QGridLayout(burstBox);
    burstLayout->addWidget(picturesLabel, 0, 0);
    burstLayout->addWidget(picturesEdit, 0, 1);
    burstLayout->addWidget(picturesUnitLabel, 0, 2);
    burstLayout->addWidget(fastRadio, 1, 0, 1, 3);
    burstLayout->addWidget(waitingRadio, 2, 0);
    burstLayout->addWidget(secondsEdit, 2, 1);
    burstLayout->addWidget(secondsUnitLabel, 2, 2);
    burstLayout->setColumnStretch(3, 1);
    return burstBox;
}

QGroupBox *CKTPageTriggers::buildQuietPeriodGroup()
{
    // "Wait " has no letter to spare: the group's title takes the field's access key.
    auto *quietBox = new QGroupBox(tr("&Quiet Period"), this);
    quietBox->setObjectName(QStringLiteral("quietPeriodGroup"));
    quietPeriodLabel = makeLabel(tr("Wait "), "quietPeriodLabel", quietBox);
    quietPeriodEdit = makeNumberEdit("quietPeriod", quietBox);
    quietPeriodUnitLabel =
        makeLabel(tr("seconds between triggers"), "quietPeriodUnitLabel", quietBox);
    quietPeriodLabel->setBuddy(quietPeriodEdit);
    auto *quietLayout = new QHBoxLayout(quietBox);
    quietLayout->addWidget(quietPeriodLabel);
    quietLayout->addWidget(quietPeriodEdit);
    quietLayout->addWidget(quietPeriodUnitLabel);
    quietLayout->addStretch(1);
    return quietBox;
}

QGroupBox *CKTPageTriggers::buildOptionsGroup()
{
    auto *optionsBox = new QGroupBox(tr("Options"), this);
    optionsBox->setObjectName(QStringLiteral("optionsGroup"));
    internalTriggerBox =
        makeCheckBox(tr("Use the internal &motion trigger"), "useInternalTrigger", optionsBox);
    advancedButton = new QPushButton(tr("Advanc&ed..."), optionsBox);
    advancedButton->setObjectName(QStringLiteral("internalTriggerSettings"));
    externalTriggerBox =
        makeCheckBox(tr("Use the e&xternal trigger"), "useExternalTrigger", optionsBox);
    auto *optionsLayout = new QGridLayout(optionsBox);
    optionsLayout->addWidget(internalTriggerBox, 0, 0);
    optionsLayout->addWidget(advancedButton, 0, 1);
    optionsLayout->addWidget(externalTriggerBox, 1, 0);
    optionsLayout->setColumnStretch(0, 1);
    return optionsBox;
}

QGroupBox *CKTPageTriggers::buildScheduleGroup()
{
    auto *scheduleBox = new QGroupBox(tr("Schedule"), this);
    scheduleBox->setObjectName(QStringLiteral("scheduleGroup"));
    scheduleLabel =
        makeLabel(tr("Restrict triggers based on the time of day:"), "scheduleLabel", scheduleBox);
    viewScheduleButton = new QPushButton(tr("&View Schedule..."), scheduleBox);
    viewScheduleButton->setObjectName(QStringLiteral("viewTriggerSchedule"));
    auto *scheduleLayout = new QHBoxLayout(scheduleBox);
    scheduleLayout->addWidget(scheduleLabel, 1);
    scheduleLayout->addWidget(viewScheduleButton);
    return scheduleBox;
}

void CKTPageTriggers::connectHandlers()
{
    // clicked, not toggled: loading the radios and boxes must not run the handlers.
    for (int i = 0; i < kAdvancedIndex; ++i) {
        connect(quicksetRadios[i], &QAbstractButton::clicked, this,
                [this, i] { onPresetClicked(static_cast<std::uint16_t>(i + 1)); });
    }
    connect(quicksetRadios[kAdvancedIndex], &QAbstractButton::clicked, this,
            &CKTPageTriggers::onAdvancedQuicksetClicked);
    connect(internalTriggerBox, &QAbstractButton::clicked, this,
            [this] { onTriggerBoxClicked(internalTriggerBox, internalTrigger); });
    connect(externalTriggerBox, &QAbstractButton::clicked, this,
            [this] { onTriggerBoxClicked(externalTriggerBox, externalTrigger); });
    connect(advancedButton, &QAbstractButton::clicked, this,
            &CKTPageTriggers::onInternalTriggerSettings);
    connect(viewScheduleButton, &QAbstractButton::clicked, this, &CKTPageTriggers::onViewSchedule);
}

void CKTPageTriggers::load(DataExchange &dx)
{
    externalTrigger = settings.ExternalTrigger() ? 1 : 0;
    internalTrigger = settings.InternalTrigger() ? 1 : 0;
    values = TriggerValues::fromRecord(settings);
    pacingIndex = settings.FastSequence() ? 0 : 1;
    if (TimeLapseValues::rulesOutTriggers(settings)) {
        externalTrigger = 0;
        internalTrigger = 0;
    }
    // A stored preset counts only while the record still holds its values.
    std::uint16_t preset = settings.StoredQuickset();
    if (settings.DetectQuickset() != preset)
        preset = QuicksetAdvanced;
    quicksetIndex = radioIndexOfPreset(preset);
    applyEnablingRule(preset);
    transfer(dx);
}

bool CKTPageTriggers::transfer(DataExchange &dx)
{
    dx.text(quietPeriodEdit, values.quietPeriod);
    dx.check(externalTriggerBox, externalTrigger);
    dx.check(internalTriggerBox, internalTrigger);
    dx.text(picturesEdit, values.pictures);
    dx.text(secondsEdit, values.secondsBetweenPictures, secondsEdit->rule().decimalPoint());
    dx.radio(pacingRadios, pacingIndex);
    dx.radio(quicksetRadios, quicksetIndex);
    return dx.ok();
}

bool CKTPageTriggers::save(DataExchange &dx)
{
    if (!transfer(dx))
        return false;
    if (const rules::Check refusal = values.check()) {
        QLineEdit *fields[] = {picturesEdit, secondsEdit, quietPeriodEdit};
        return dx.refuse(fields[refusal->field], *refusal);
    }

    if (TimeLapseValues::rulesOutTriggers(settings)) {
        externalTrigger = 0;
        internalTrigger = 0;
    }
    settings.SetExternalTrigger(externalTrigger != 0);
    settings.SetInternalTrigger(internalTrigger != 0);
    settings.SetFastSequence(pacingIndex == 0);
    values.toRecord(settings);

    if (!settings.TimeLapseBurst() ||
        TriggerValues::burstWithin(values.pictures, settings.core.timeLapseInterval))
        return true;
    if (showMessage(this, stringText(strings::kBurstLimitQuestion), programName(),
                    MessageIcon::Information, MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    settings.SetTimeLapseBurst(false);
    return true;
}

void CKTPageTriggers::applyEnablingRule(std::uint16_t preset)
{
    const bool advanced = preset == QuicksetAdvanced;
    const bool editable = advanced && !app.readOnly;
    for (QWidget *control : std::initializer_list<QWidget *>{
             internalTriggerBox, picturesEdit, pacingRadios[0], pacingRadios[1], secondsEdit,
             secondsUnitLabel, quietPeriodEdit, picturesLabel, picturesUnitLabel, quietPeriodLabel,
             quietPeriodUnitLabel, scheduleLabel})
        control->setEnabled(editable);
    // Looking at the internal trigger settings and the schedule is allowed in read-only runs.
    advancedButton->setEnabled(advanced);
    viewScheduleButton->setEnabled(advanced);
}

void CKTPageTriggers::applyReadOnly()
{
    if (!app.readOnly)
        return;
    for (QAbstractButton *radio : quicksetRadios)
        radio->setEnabled(false);
    for (QWidget *control : std::initializer_list<QWidget *>{
             internalTriggerBox, externalTriggerBox, picturesEdit, secondsEdit, quietPeriodEdit,
             pacingRadios[0], pacingRadios[1], secondsUnitLabel, picturesLabel, picturesUnitLabel,
             quietPeriodLabel, quietPeriodUnitLabel, scheduleLabel})
        control->setEnabled(false);
}

void CKTPageTriggers::onPresetClicked(std::uint16_t preset)
{
    if (!settings.IsTriggerAlwaysArmed() &&
        showMessage(this, stringText(strings::kAlwaysArmedQuestion),
                    stringText(strings::kInformation), MessageIcon::Question,
                    MessageButtons::YesNo) != MessageAnswer::Yes) {
        quicksetRadios[kAdvancedIndex]->setChecked(true);
        quicksetRadios[kAdvancedIndex]->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The values typed so far are kept where the preset does not set them (the external
    // trigger); a save refused by validation does not stop the preset.
    saveControls();
    settings.MakeTriggerAlwaysArmed();
    settings.ApplyQuickset(preset);
    loadControls();
    applyEnablingRule(preset);
}

void CKTPageTriggers::onAdvancedQuicksetClicked()
{
    saveControls();
    settings.SetStoredQuickset(QuicksetAdvanced);
    applyEnablingRule(QuicksetAdvanced);
}

void CKTPageTriggers::onTriggerBoxClicked(QCheckBox *box, int &value)
{
    if (!TimeLapseValues::rulesOutTriggers(settings))
        return;
    showMessage(this, stringText(strings::kTriggersNeedLongerInterval), programName(),
                MessageIcon::Information);
    box->setChecked(false);
    value = 0;
}

void CKTPageTriggers::onInternalTriggerSettings()
{
    CInternalTriggerDlg dialog(settings, this);
    dialog.setReadOnly(app.readOnly);
    dialog.exec();
}

void CKTPageTriggers::onViewSchedule()
{
    if (!saveControls())
        return;
    openTriggerSchedule();
}

// The sheet's pages store the schedules into the record themselves, so its result is not
// needed, and this page keeps its controls as they are.
void CKTPageTriggers::openTriggerSchedule()
{
    CScheduleSheet schedule(stringText(strings::kTriggerScheduleCaption), this, false, 0, settings,
                            app);
    schedule.exec();
}
