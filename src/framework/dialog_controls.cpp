#include "framework/dialog_controls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

template <class Control>
Control *makeNamed(const QString &text, QAnyStringView name, QWidget *parent)
{
    auto *control = new Control(text, parent);
    control->setObjectName(name);
    return control;
}

} // namespace

QLabel *makeLabel(const QString &text, QAnyStringView name, QWidget *parent)
{
    return makeNamed<QLabel>(text, name, parent);
}

QRadioButton *makeRadio(const QString &text, QAnyStringView name, QWidget *parent)
{
    return makeNamed<QRadioButton>(text, name, parent);
}

QCheckBox *makeCheckBox(const QString &text, QAnyStringView name, QWidget *parent)
{
    return makeNamed<QCheckBox>(text, name, parent);
}

void fitDigits(QLineEdit *edit, int digits)
{
    const QFontMetrics metrics(edit->font());
    edit->setFixedWidth(metrics.horizontalAdvance(QString(digits + 2, QLatin1Char('0'))) +
                        metrics.averageCharWidth() + 8);
}

OkCancelRow makeOkCancelRow(QDialog *dialog)
{
    auto *ok = new QPushButton(QCoreApplication::translate("ExchangeDialog", "OK"), dialog);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QCoreApplication::translate("ExchangeDialog", "Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto *layout = new QHBoxLayout;
    layout->addStretch(1);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    return {ok, cancel, layout};
}
