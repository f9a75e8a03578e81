#include "framework/property_page.h"

#include "framework/accessibility.h"
#include "framework/property_sheet.h"
#include "framework/wheel_focus.h"

PropertyPage::PropertyPage(const QString &caption, QWidget *parent)
    : QWidget(parent), pageCaption(caption)
{
    requireFocusForWheel();
    clickOnAccessibleToggle();
}

void PropertyPage::create()
{
    if (created)
        return;
    created = true;
    initializePage();
}

void PropertyPage::loadControls()
{
    exchange(Direction::Load);
}

bool PropertyPage::saveControls()
{
    return exchange(Direction::Save);
}

bool PropertyPage::exchange(Direction direction)
{
    return DataExchange::run(
        direction, [this](DataExchange &dx) { load(dx); },
        [this](DataExchange &dx) { return save(dx); });
}

bool PropertyPage::activatePage()
{
    if (firstActivation)
        firstActivation = false;
    else
        loadControls();
    return true;
}

bool PropertyPage::validatePage()
{
    return saveControls();
}

void PropertyPage::initializePage()
{
    loadControls();
}

PropertySheet *PropertyPage::sheet() const
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *s = qobject_cast<PropertySheet *>(w))
            return s;
    }
    return nullptr;
}
