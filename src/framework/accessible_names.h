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
