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
    OnInitDialog();
}

bool PropertyPage::UpdateData(bool saveAndValidate)
{
    return exchange(saveAndValidate ? Direction::Save : Direction::Load);
}

bool PropertyPage::exchange(Direction direction)
{
    return DataExchange::run(
        direction, [this](DataExchange &dx) { load(dx); },
        [this](DataExchange &dx) { return save(dx); });
}

bool PropertyPage::OnSetActive()
{
    if (firstActivation)
        firstActivation = false;
    else
        UpdateData(false);
    return true;
}

bool PropertyPage::OnKillActive()
{
    return UpdateData(true);
}

void PropertyPage::OnInitDialog()
{
    UpdateData(false);
}

PropertySheet *PropertyPage::sheet() const
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *s = qobject_cast<PropertySheet *>(w))
            return s;
    }
    return nullptr;
}
