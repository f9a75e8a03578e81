#include "framework/exchange_dialog.h"

#include "framework/accessibility.h"
#include "framework/wheel_focus.h"

ExchangeDialog::ExchangeDialog(QWidget *parent) : QDialog(parent)
{
    requireFocusForWheel();
    clickOnAccessibleToggle();
}

int ExchangeDialog::DoModal()
{
    initialize();
    return exec();
}

void ExchangeDialog::EndDialog(int result)
{
    QDialog::done(result);
}

bool ExchangeDialog::UpdateData(bool saveAndValidate)
{
    return exchange(saveAndValidate ? Direction::Save : Direction::Load);
}

bool ExchangeDialog::exchange(Direction direction)
{
    return DataExchange::run(
        direction, [this](DataExchange &dx) { load(dx); },
        [this](DataExchange &dx) { return save(dx); });
}

void ExchangeDialog::setVisible(bool visible)
{
    if (visible)
        initialize();
    QDialog::setVisible(visible);
}

void ExchangeDialog::accept()
{
    OnOK();
}

void ExchangeDialog::reject()
{
    OnCancel();
}

void ExchangeDialog::OnInitDialog()
{
    UpdateData(false);
}

void ExchangeDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(Accepted);
}

void ExchangeDialog::OnCancel()
{
    EndDialog(Rejected);
}

void ExchangeDialog::initialize()
{
    if (initialized)
        return;
    initialized = true;
    OnInitDialog();
}
