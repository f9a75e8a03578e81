#include "framework/accessible_names.h"

#include <QComboBox>
#include <QLabel>

QString withoutAccessKey(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && ++i == text.size())
            break;
        out += text[i];
    }
    return out;
}

void setAccessibleLabel(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
    auto *list = qobject_cast<QComboBox *>(control);
    if (!list || !list->parentWidget())
        return;
    const QString labelName = list->objectName() + QStringLiteral("AccessibleLabel");
    auto *label = list->parentWidget()->findChild<QLabel *>(labelName, Qt::FindDirectChildrenOnly);
    if (!label) {
        // Plain text without an access key: the hidden label must not take a shortcut.
        label = new QLabel(list->parentWidget());
        label->setObjectName(labelName);
        label->setTextFormat(Qt::PlainText);
        label->hide();
        label->setBuddy(list);
    }
    label->setText(name);
}
