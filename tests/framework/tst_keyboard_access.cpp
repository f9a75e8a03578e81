#include "framework/keyboard_access.h"
#include "gui_test.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// A field, a radio group of three, a field: Tab and Shift+Tab cross the group.
struct Form
{
    Form()
    {
        window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(window.get());
        before = new QLineEdit(window.get());
        layout->addWidget(before);
        for (int i = 0; i < 3; ++i) {
            radios.append(new QRadioButton(QStringLiteral("Choice %1").arg(i), window.get()));
            layout->addWidget(radios.last());
        }
        after = new QLineEdit(window.get());
        layout->addWidget(after);
    }

    bool show()
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    QWidget *tabFrom(QWidget *from, bool backwards = false)
    {
        from->setFocus();
        QTest::keyClick(from, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        return QApplication::focusWidget();
    }

    std::unique_ptr<QWidget> window;
    QLineEdit *before = nullptr;
    QList<QAbstractButton *> radios;
    QLineEdit *after = nullptr;
};

} // namespace

class TestKeyboardAccess : public GuiTest
{
    Q_OBJECT

private slots:
    void accessKeyMarksTheFirstOccurrence_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("marked");
        QTest::newRow("a word inside") << "Change Date/Time..."
                                       << "Date"
                                       << "Change &Date/Time...";
        QTest::newRow("the first word") << "Use Factory"
                                        << "Use"
                                        << "&Use Factory";
        QTest::newRow("first of two") << "Time and Time"
                                      << "Time"
                                      << "&Time and Time";
        QTest::newRow("an ampersand of the text stays one") << "Set Date & Time"
                                                            << "Time"
                                                            << "Set Date && &Time";
        QTest::newRow("a key not in a translated text") << "Usine"
                                                        << "Factory"
                                                        << "Usine";
        QTest::newRow("no key") << "R&D"
                                << ""
                                << "R&&D";
    }
    void accessKeyMarksTheFirstOccurrence()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, marked);
        QCOMPARE(withAccessKey(text, key), marked);
    }

    void tabEntersARadioGroupAtItsCheckedRadio()
    {
        Form f;
        tabStopAtCheckedRadio(f.radios);
        f.radios[1]->setChecked(true);
        QVERIFY(f.show());
        QCOMPARE(f.tabFrom(f.before), f.radios[1]);
        QCOMPARE(f.tabFrom(f.radios[1]), f.after);
        QCOMPARE(f.tabFrom(f.after, true), f.radios[1]);
        // The stop follows the choice, however it is made.
        f.radios[2]->setChecked(true);
        QCOMPARE(f.tabFrom(f.before), f.radios[2]);
        QCOMPARE(f.tabFrom(f.after, true), f.radios[2]);
        // The arrow keys move within the group and choose as they go.
        QTest::keyClick(f.radios[2], Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), f.radios[1]);
        QVERIFY(f.radios[1]->isChecked());
        QCOMPARE(f.tabFrom(f.before), f.radios[1]);
    }

    void aGroupWithoutAChoiceIsEnteredAtItsFirstRadio()
    {
        Form f;
        tabStopAtCheckedRadio(f.radios);
        QVERIFY(f.show());
        QCOMPARE(f.tabFrom(f.before), f.radios[0]);
        QCOMPARE(f.tabFrom(f.after, true), f.radios[0]);
    }

    // Every pair in the list, not only the first: Tab follows it where creation said otherwise.
    void tabFollowsAChainedOrder()
    {
        Form f;
        chainTabOrder({f.before, f.after, f.radios[2]});
        QVERIFY(f.show());
        QCOMPARE(f.tabFrom(f.before), f.after);
        QCOMPARE(f.tabFrom(f.after), f.radios[2]);
        QCOMPARE(f.tabFrom(f.radios[2], true), f.after);
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboard_access.moc"
