#include "framework/accessibility.h"
#include "framework/exchange_dialog.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A framework window with what a screen reader user ticks, chooses and names.
class Form : public ExchangeDialog
{
public:
    Form()
    {
        auto *layout = new QVBoxLayout(this);
        for (QWidget *w : std::initializer_list<QWidget *>{box, first, second, list, field})
            layout->addWidget(w);
        list->addItems({QStringLiteral("1"), QStringLiteral("2")});
    }

    QCheckBox *box = new QCheckBox(QStringLiteral("&Use it"), this);
    QRadioButton *first = new QRadioButton(QStringLiteral("&First"), this);
    QRadioButton *second = new QRadioButton(QStringLiteral("&Second"), this);
    QComboBox *list = new QComboBox(this);
    QLineEdit *field = new QLineEdit(this);

protected:
    void load(DataExchange &) override {}
    bool save(DataExchange &) override { return true; }
};

QAccessibleActionInterface *actions(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->actionInterface();
}

// What a screen reader reads as the name: a drop-down list's comes from its labels on Linux.
QString spokenName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    if (iface->role() != QAccessible::ComboBox)
        return iface->text(QAccessible::Name);
    QStringList labels;
    for (const auto &[label, relation] : iface->relations(QAccessible::Label))
        labels << label->text(QAccessible::Name);
    return labels.join(QLatin1Char('|'));
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    // An assistive tool's Toggle acts as a click: the window hears clicked() and follows.
    void toggleActionClicksAsAPersonDoes_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checkedBefore");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("checkedAfter");
        QTest::newRow("check box ticked") << "box" << true << false << 1 << true;
        QTest::newRow("check box cleared") << "box" << true << true << 1 << false;
        QTest::newRow("radio chosen") << "second" << true << false << 1 << true;
        QTest::newRow("chosen radio stays chosen") << "first" << true << true << 1 << true;
        QTest::newRow("disabled check box") << "box" << false << false << 0 << false;
    }
    void toggleActionClicksAsAPersonDoes()
    {
        QFETCH(QString, button);
        QFETCH(bool, enabled);
        QFETCH(bool, checkedBefore);
        QFETCH(int, clicks);
        QFETCH(bool, checkedAfter);
        Form form;
        QAbstractButton *target = button == QLatin1String("box") ? form.box
                                  : button == QLatin1String("first")
                                      ? static_cast<QAbstractButton *>(form.first)
                                      : form.second;
        target->setChecked(checkedBefore);
        target->setEnabled(enabled);
        QSignalSpy clicked(target, &QAbstractButton::clicked);

        QAccessibleActionInterface *a = actions(target);
        QCOMPARE(a->actionNames().contains(QAccessibleActionInterface::toggleAction()), enabled);
        a->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(clicked.count(), clicks);
        QCOMPARE(target->isChecked(), checkedAfter);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(target);
        QCOMPARE(iface->state().checked, checkedAfter);
        QCOMPARE(iface->text(QAccessible::Name), target->text().remove(QLatin1Char('&')));
    }

    // A name given to a control is what a screen reader reads, also for a drop-down list,
    // whose own name is its entry; naming it again replaces the name.
    void givenNamesAreRead_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("field") << "field" << QStringList{"Time, minutes"} << "Time, minutes";
        QTest::newRow("list") << "list" << QStringList{"Date, day"} << "Date, day";
        QTest::newRow("list named again")
            << "list" << QStringList{"Number 1", "Number 2"} << "Number 2";
    }
    void givenNamesAreRead()
    {
        QFETCH(QString, control);
        QFETCH(QStringList, names);
        QFETCH(QString, spoken);
        Form form;
        QWidget *target =
            control == QLatin1String("list") ? static_cast<QWidget *>(form.list) : form.field;
        for (const QString &name : names)
            setAccessibleLabel(target, name);
        QCOMPARE(spokenName(target), spoken);
        // The entry is still the list's value.
        if (target == form.list)
            QCOMPARE(QAccessible::queryAccessibleInterface(target)->text(QAccessible::Value),
                     QStringLiteral("1"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
