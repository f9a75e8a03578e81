#include "framework/accessibility.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QRadioButton>

namespace {

class CheckableButtonAccessible : public QAccessibleWidget
{
public:
    explicit CheckableButtonAccessible(QAbstractButton *button)
        : QAccessibleWidget(button, qobject_cast<QRadioButton *>(button) ? QAccessible::RadioButton
                                                                         : QAccessible::CheckBox)
    {}

    QString text(QAccessible::Text t) const override
    {
        QString text;
        if (t == QAccessible::Name)
            text = button()->accessibleName().isEmpty() ? withoutAccessKey(button()->text())
                                                        : button()->accessibleName();
        else if (t == QAccessible::Accelerator)
            text = QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
        return text.isEmpty() ? QAccessibleWidget::text(t) : text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        s.pressed = button()->isDown();
        if (auto *box = qobject_cast<QCheckBox *>(button()))
            s.checkStateMixed = box->checkState() == Qt::PartiallyChecked;
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (button()->isEnabled())
            names.prepend(toggleAction());
        return names;
    }

    void doAction(const QString &name) override
    {
        if (name != toggleAction()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        if (button()->isEnabled())
            button()->click();
    }

    QStringList keyBindingsForAction(const QString &name) const override
    {
        if (name == toggleAction())
            return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
        return QAccessibleWidget::keyBindingsForAction(name);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

QAccessibleInterface *checkableButtonFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QCheckBox") || className == QLatin1String("QRadioButton"))
        return new CheckableButtonAccessible(static_cast<QAbstractButton *>(object));
    return nullptr;
}

} // namespace

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

void clickOnAccessibleToggle()
{
    // Qt keeps one entry per factory, however often it is installed.
    QAccessible::installFactory(checkableButtonFactory);
}
