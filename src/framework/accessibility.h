#pragma once

#include <QString>

class QWidget;

// `text` as a screen reader should say it: the access-key markers gone, "&&" one '&'.
QString withoutAccessKey(const QString &text);

// Names `control` for assistive technology where no label of its own names it, or where
// several controls share one label. A drop-down list is named on Linux only through a label
// that has it as buddy (its own name is its current entry), so a list gets a hidden label
// holding the name as well.
void setAccessibleLabel(QWidget *control, const QString &name);

// Check boxes and radio buttons as assistive technology sees them, but with a Toggle action
// that clicks them as a person does. Qt's own toggles them quietly, and the windows, which act
// on clicks, would not follow (a quickset chosen that way would leave its controls disabled).
// Installed by every framework window when it is made.
void clickOnAccessibleToggle();
