#include "pages/keybolt_page.h"

#include "framework/dialog_controls.h"
#include "framework/keyboard_access.h"
#include "resources/string_table.h"
#include "settings/other_values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CKTPageKeybolt::CKTPageKeybolt(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("Othe&r"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("keyboltPage"));
}

void CKTPageKeybolt::initializePage()
{
    buildControls();
    PropertyPage::initializePage();
    applyReadOnly();
}

void CKTPageKeybolt::buildControls()
{
    loopRecording = makeCheckBox(tr("&Use loop recording (security enabled models only)"),
                                 "loopRecording", this);
    hideLogo =
        makeCheckBox(tr("&Hide VELOMAR logo (security enabled models only)"), "hideLogo", this);
    illuminatorOff = makeCheckBox(tr("Dis&able illuminator"), "illuminatorOff", this);
    startDelayLabel = new QLabel(tr("&Start Delay: When armed"), this);
    startDelayLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    startDelay = new QComboBox(this);
    startDelay->setObjectName(QStringLiteral("startDelay"));
    for (const char *entry : strings::kStartDelays)
        startDelay->addItem(QCoreApplication::translate("StartDelay", entry));
    startDelay->setMaxVisibleItems(static_cast<int>(std::size(strings::kStartDelays)));
    startDelayLabel->setBuddy(startDelay);

    keyBoltText =
        new QLabel(tr("KeyBolt requires you to enter a code when the camera is turned on."), this);
    keyBoltText->setWordWrap(true);
    useKeyBolt = makeCheckBox(tr("Use &KeyBolt"), "useKeyBolt", this);
    for (int i = 0; i < kCodeDigits; ++i) {
        digitLabels[i] = new QLabel(tr("Digit &%1:").arg(i + 1), this);
        digits[i] = new QComboBox(this);
        digits[i]->setObjectName(QStringLiteral("codeDigit%1").arg(i + 1));
        for (int digit = 1; digit <= OtherValues::kCodeDigitEntries; ++digit)
            digits[i]->addItem(QString::number(digit));
        digitLabels[i]->setBuddy(digits[i]);
    }
    // The click alone, not the programmatic ticking of a load.
    connect(useKeyBolt, &QCheckBox::clicked, this, &CKTPageKeybolt::useKeyBoltClicked);

    auto *options = new QGroupBox(tr("Stormline Models Only"), this);
    options->setObjectName(QStringLiteral("optionsGroup"));
    auto *optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(loopRecording);
    optionsLayout->addWidget(hideLogo);
    optionsLayout->addWidget(illuminatorOff);
    auto *delayRow = new QHBoxLayout;
    delayRow->addWidget(startDelayLabel);
    delayRow->addWidget(startDelay, 1);
    optionsLayout->addLayout(delayRow);

    auto *keyBolt = new QGroupBox(tr("KeyBolt"), this);
    keyBolt->setObjectName(QStringLiteral("keyBoltGroup"));
    auto *keyBoltLayout = new QVBoxLayout(keyBolt);
    keyBoltLayout->addWidget(keyBoltText);
    keyBoltLayout->addWidget(useKeyBolt);
    auto *digitGrid = new QGridLayout;
    for (int i = 0; i < kCodeDigits; ++i) {
        digitGrid->addWidget(digitLabels[i], i, 0);
        digitGrid->addWidget(digits[i], i, 1);
    }
    digitGrid->setColumnStretch(2, 1);
    keyBoltLayout->addLayout(digitGrid);

    auto *page = new QVBoxLayout(this);
    page->addWidget(options);
    page->addWidget(keyBolt);
    page->addStretch();

    chainTabOrder({loopRecording, hideLogo, illuminatorOff, startDelay, useKeyBolt, digits[0],
                   digits[1], digits[2], digits[3]});
}

void CKTPageKeybolt::load(DataExchange &dx)
{
    values = OtherValues::fromRecord(settings);

    // The record decides, not the box: a load after a click sees the stored state.
    const bool digitsEnabled = settings.KeyBoltOn() && !app.readOnly;
    for (int i = 0; i < kCodeDigits; ++i) {
        digits[i]->setEnabled(digitsEnabled);
        digitLabels[i]->setEnabled(digitsEnabled);
    }
    transfer(dx);
}

void CKTPageKeybolt::transfer(DataExchange &dx)
{
    dx.check(useKeyBolt, values.keyBolt);
    dx.check(illuminatorOff, values.illuminatorOff);
    dx.check(loopRecording, values.loopRecording);
    dx.check(hideLogo, values.hideLogo);
    for (int i = 0; i < kCodeDigits; ++i)
        dx.comboIndex(digits[i], values.codeDigits[i]);
    // A stored 15 names no entry: nothing is selected, and no selection stores 15 again.
    dx.comboIndex(startDelay, values.startDelay);
}

bool CKTPageKeybolt::save(DataExchange &dx)
{
    transfer(dx);
    values.toRecord(settings);
    return true;
}

void CKTPageKeybolt::useKeyBoltClicked()
{
    saveControls();
    loadControls();
}

void CKTPageKeybolt::applyReadOnly()
{
    if (!app.readOnly)
        return;
    for (QWidget *control :
         std::initializer_list<QWidget *>{loopRecording, hideLogo, illuminatorOff, startDelayLabel,
                                          startDelay, keyBoltText, useKeyBolt})
        control->setEnabled(false);
    for (int i = 0; i < kCodeDigits; ++i) {
        digits[i]->setEnabled(false);
        digitLabels[i]->setEnabled(false);
    }
}
