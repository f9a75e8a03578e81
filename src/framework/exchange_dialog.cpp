#include "framework/exchange_dialog.h"

#include "framework/accessibility.h"
#include "framework/wheel_focus.h"

ExchangeDialog::ExchangeDialog(QWidget *parent) : QDialog(parent)
{
    requireFocusForWheel();
    clickOnAccessibleToggle();
}

int ExchangeDialog::exec()
{
    initialize();
    return QDialog::exec();
}

void ExchangeDialog::done(int result)
{
    QDialog::done(result);
}

void ExchangeDialog::loadControls()
{
    exchange(Direction::Load);
}

bool ExchangeDialog::saveControls()
{
    return exchange(Direction::Save);
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
    tryAccept();
}

void ExchangeDialog::reject()
{
    cancel();
}

void ExchangeDialog::initializeDialog()
{
    loadControls();
}

void ExchangeDialog::tryAccept()
{
    if (saveControls())
        done(Accepted);
}

void ExchangeDialog::cancel()
{
    done(Rejected);
}

void ExchangeDialog::initialize()
{
    if (initialized)
        return;
    initialized = true;
    initializeDialog();
}
