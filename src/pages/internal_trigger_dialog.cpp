#include "pages/internal_trigger_dialog.h"

#include "controls/number_edit.h"
#include "framework/dialog_controls.h"
#include "settings/trigger_values.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

CInternalTriggerDlg::CInternalTriggerDlg(CameraSettings &settings, QWidget *parent)
    : ExchangeDialog(parent), settings(settings)
{
    setObjectName(QStringLiteral("internalTriggerDialog"));
    setWindowTitle(tr("Internal Trigger Settings"));
}

void CInternalTriggerDlg::initializeDialog()
{
    buildControls();
    ExchangeDialog::initializeDialog();
    secondsEdit->SetMaxWholeDigits(InternalTriggerValues::kPulseWindowField.wholeDigits);
    secondsEdit->SetMaxDecimalPlaces(InternalTriggerValues::kPulseWindowField.decimalPlaces);
    secondsEdit->AllowNegative(false);
    applyReadOnly();
}

void CInternalTriggerDlg::buildControls()
{
    // The slider has no label of its own: the group's title takes its access key.
    auto *sensitivityBox = new QGroupBox(tr("&Sensitivity"), this);
    sensitivityBox->setObjectName(QStringLiteral("sensitivityGroup"));
    lowLabel = makeLabel(tr("Low"), "sensitivityLowLabel", sensitivityBox);
    sensitivitySlider = new QSlider(Qt::Horizontal, sensitivityBox);
    sensitivitySlider->setObjectName(QStringLiteral("sensitivity"));
    sensitivitySlider->setTickPosition(QSlider::TicksBelow);
    sensitivitySlider->setTickInterval(1);
    sensitivitySlider->setSingleStep(1);
    sensitivitySlider->setPageStep(1);
    highLabel = makeLabel(tr("High"), "sensitivityHighLabel", sensitivityBox);
    auto *sensitivityLayout = new QHBoxLayout(sensitivityBox);
    sensitivityLayout->addWidget(lowLabel);
    sensitivityLayout->addWidget(sensitivitySlider, 1);
    sensitivityLayout->addWidget(highLabel);

    auto *definitionBox = new QGroupBox(tr("Trigger Definition - Kestra Models Only"), this);
    definitionBox->setObjectName(QStringLiteral("triggerDefinitionGroup"));
    requireLabel = makeLabel(tr("&Require"), "requireLabel", definitionBox);
    pulsesEdit = new QLineEdit(definitionBox);
    pulsesEdit->setObjectName(QStringLiteral("pulseCount"));
    pulsesWithinLabel = makeLabel(tr("pulses &within"), "pulsesWithinLabel", definitionBox);
    // Starts wide like every number field and is narrowed once the dialog has loaded.
    secondsEdit = new CNumberEdit(9, 4, definitionBox);
    secondsEdit->setObjectName(QStringLiteral("pulseWindow"));
    secondsLabel = makeLabel(tr("seconds"), "pulseWindowLabel", definitionBox);
    requireLabel->setBuddy(pulsesEdit);
    pulsesWithinLabel->setBuddy(secondsEdit);
    auto *definitionLayout = new QHBoxLayout(definitionBox);
    definitionLayout->addWidget(requireLabel);
    definitionLayout->addWidget(pulsesEdit);
    definitionLayout->addWidget(pulsesWithinLabel);
    definitionLayout->addWidget(secondsEdit);
    definitionLayout->addWidget(secondsLabel);
    definitionLayout->addStretch(1);
    fitDigits(pulsesEdit, 2);
    fitDigits(secondsEdit, 4);

    const OkCancelRow buttons = makeOkCancelRow(this);
    okButton = buttons.ok;

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sensitivityBox);
    layout->addWidget(definitionBox);
    layout->addStretch(1);
    layout->addLayout(buttons.layout);
}

void CInternalTriggerDlg::load(DataExchange &dx)
{
    values = InternalTriggerValues::fromRecord(settings);
    transfer(dx);
}

bool CInternalTriggerDlg::transfer(DataExchange &dx)
{
    sensitivitySlider->setRange(0, InternalTriggerValues::kSensitivityLastPosition);
    dx.text(pulsesEdit, values.pulses);
    dx.text(secondsEdit, values.pulseWindowSeconds, secondsEdit->rule().decimalPoint());
    dx.slider(sensitivitySlider, values.sensitivityPosition);
    return dx.ok();
}

bool CInternalTriggerDlg::save(DataExchange &dx)
{
    if (!transfer(dx))
        return false;
    if (const rules::Check refusal = values.check()) {
        QLineEdit *field = refusal->field == InternalTriggerValues::PulseWindow
                               ? static_cast<QLineEdit *>(secondsEdit)
                               : pulsesEdit;
        return dx.refuse(field, *refusal);
    }
    values.toRecord(settings);
    return true;
}

void CInternalTriggerDlg::applyReadOnly()
{
    if (!readOnly)
        return;
    setWindowTitle(windowTitle() + tr(" (read only)"));
    for (QWidget *control : std::initializer_list<QWidget *>{
             lowLabel, sensitivitySlider, highLabel, pulsesEdit, secondsEdit, okButton,
             requireLabel, pulsesWithinLabel, secondsLabel})
        control->setEnabled(false);
}
