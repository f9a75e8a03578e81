#include "fake_platform.h"
#include "framework/keyboard_access.h"
#include "framework/property_sheet.h"
#include "gui_test.h"
#include "scripted_messages.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A page holding one number that must lie in 1..99, and a log of what the sheet asked.
class NumberPage : public PropertyPage
{
public:
    NumberPage(const QString &caption, int &value, QStringList &log)
        : PropertyPage(caption), value(value), log(log)
    {}

    QLineEdit *edit = nullptr;

protected:
    void initializePage() override
    {
        log << caption() + ":init";
        edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("number"));
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(edit);
        PropertyPage::initializePage();
    }
    void load(DataExchange &dx) override
    {
        log << caption() + ":load";
        dx.text(edit, value);
    }
    bool save(DataExchange &dx) override
    {
        log << caption() + ":save";
        int v = value;
        if (!dx.text(edit, v))
            return false;
        if (const rules::Check refusal = rules::CheckInteger(v, {1, 99}, 0))
            return dx.refuse(edit, *refusal);
        value = v;
        return true;
    }
    void acceptPage() override { log << caption() + ":ok"; }

private:
    int &value;
    QStringList &log;
};

struct Fixture
{
    explicit Fixture(int pages = 3)
    {
        values.resize(pages, 5);
        sheet = new PropertySheet(QStringLiteral("Sheet"));
        for (int i = 0; i < pages; ++i) {
            auto *page = new NumberPage(QStringLiteral("P%1").arg(i), values[i], log);
            this->pages.append(page);
            sheet->addPage(page);
        }
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
    }
    ~Fixture() { delete sheet; }

    PropertySheet *sheet;
    QList<NumberPage *> pages;
    std::vector<int> values;
    QStringList log;
    FakePlatformServices platform;
    ScriptedMessages messages;
};

const QString kRange = QStringLiteral("Please enter an integer between 1 and 99.");

} // namespace

class TestPropertySheet : public GuiTest
{
    Q_OBJECT

private slots:
    void onlyTheFirstPageIsBuiltWhenTheSheetOpens()
    {
        Fixture f;
        QCOMPARE(f.log, QStringList({"P0:init", "P0:load"}));
        QVERIFY(f.pages[0]->isCreated());
        QVERIFY(!f.pages[1]->isCreated());
        QCOMPARE(f.pages[0]->edit->text(), QStringLiteral("5"));
    }

    void aPageLoadsOnEveryLaterActivationAndSavesWhenLeft()
    {
        Fixture f;
        f.log.clear();
        QVERIFY(f.sheet->setCurrentIndex(1));
        QCOMPARE(f.log, QStringList({"P0:save", "P1:init", "P1:load"}));
        f.log.clear();
        QVERIFY(f.sheet->setCurrentIndex(0));
        QCOMPARE(f.log, QStringList({"P1:save", "P0:load"}));
    }

    void aFailedSaveKeepsThePage_data()
    {
        QTest::addColumn<QString>("route");
        QTest::newRow("mouse on the tab") << "mouse";
        QTest::newRow("Ctrl+Tab") << "ctrl-tab";
        QTest::newRow("Ctrl+Shift+Tab") << "ctrl-shift-tab";
        QTest::newRow("Ctrl+PgDn") << "ctrl-pgdn";
        QTest::newRow("Ctrl+PgUp") << "ctrl-pgup";
        QTest::newRow("arrow key on the tab bar") << "tabbar-key";
        QTest::newRow("program") << "program";
    }
    void aFailedSaveKeepsThePage()
    {
        QFETCH(QString, route);
        Fixture f;
        f.pages[0]->edit->setText(QStringLiteral("0"));
        f.messages.expect(kRange);
        QTabBar *bar = f.sheet->tabWidget()->tabBar();
        if (route == "mouse") {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
        } else if (route == "ctrl-tab") {
            QTest::keyClick(f.pages[0]->edit, Qt::Key_Tab, Qt::ControlModifier);
        } else if (route == "ctrl-shift-tab") {
            QTest::keyClick(f.pages[0]->edit, Qt::Key_Backtab,
                            Qt::ControlModifier | Qt::ShiftModifier);
        } else if (route == "ctrl-pgdn") {
            QTest::keyClick(f.pages[0]->edit, Qt::Key_PageDown, Qt::ControlModifier);
        } else if (route == "ctrl-pgup") {
            QTest::keyClick(f.pages[0]->edit, Qt::Key_PageUp, Qt::ControlModifier);
        } else if (route == "tabbar-key") {
            bar->setFocus();
            QTest::keyClick(bar, Qt::Key_Right);
        } else {
            QVERIFY(!f.sheet->setCurrentIndex(1));
        }
        QCOMPARE(f.sheet->currentIndex(), 0);
        QCOMPARE(f.sheet->tabWidget()->currentIndex(), 0);
        QCOMPARE(bar->currentIndex(), 0);
        QVERIFY(!f.pages[1]->isCreated());
        QVERIFY(!f.pages[2]->isCreated());
        // The failing field has the focus with its text selected.
        QCOMPARE(QApplication::focusWidget(), f.pages[0]->edit);
        QCOMPARE(f.pages[0]->edit->selectedText(), QStringLiteral("0"));
        QCOMPARE(f.values[0], 5);
    }

    void keyboardSwitchingWrapsAround()
    {
        Fixture f;
        QTest::keyClick(f.pages[0]->edit, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(f.sheet->currentIndex(), 2);
        QTest::keyClick(f.pages[2]->edit, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f.sheet->currentIndex(), 0);
    }

    void okSavesTheActivePageThenClosesAccepted()
    {
        Fixture f;
        f.sheet->setCurrentIndex(1);
        f.pages[1]->edit->setText(QStringLiteral("42"));
        f.log.clear();
        QTest::mouseClick(f.sheet->button(PropertySheet::OkButton), Qt::LeftButton);
        QCOMPARE(f.values[1], 42);
        QCOMPARE(f.log, QStringList({"P1:save", "P0:ok", "P1:ok"}));
        QCOMPARE(f.sheet->result(), int(QDialog::Accepted));
        QVERIFY(!f.sheet->isVisible());
    }

    void okWithAFailingPageStaysOpen()
    {
        Fixture f;
        f.pages[0]->edit->setText(QStringLiteral("x"));
        f.messages.expect(QStringLiteral("Please enter an integer."));
        QTest::mouseClick(f.sheet->button(PropertySheet::OkButton), Qt::LeftButton);
        QVERIFY(f.sheet->isVisible());
        QCOMPARE(f.messages.shownMessage().icon, MessageIcon::None);
    }

    void escapeAndTheCloseBoxCancelWithoutSaving()
    {
        for (bool escape : {true, false}) {
            Fixture f;
            f.pages[0]->edit->setText(QStringLiteral("0")); // would fail a save
            if (escape)
                QTest::keyClick(f.pages[0]->edit, Qt::Key_Escape);
            else
                f.sheet->close();
            QVERIFY(!f.sheet->isVisible());
            QCOMPARE(f.sheet->result(), int(QDialog::Rejected));
            QCOMPARE(f.values[0], 5);
        }
    }

    // A page's controls are made after the buttons, when its tab is first shown; the
    // keyboard still goes from the tab bar through the page to the buttons along the bottom.
    void tabGoesThroughThePageBeforeTheButtons()
    {
        Fixture f;
        QTabBar *bar = f.sheet->tabWidget()->tabBar();
        const auto chainFrom = [](QWidget *start, int steps) {
            start->setFocus();
            QList<QWidget *> chain;
            for (int i = 0; i < steps; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                chain << QApplication::focusWidget();
            }
            return chain;
        };
        QPushButton *ok = f.sheet->button(PropertySheet::OkButton);
        QPushButton *cancel = f.sheet->button(PropertySheet::CancelButton);
        QCOMPARE(chainFrom(bar, 4), QList<QWidget *>({f.pages[0]->edit, ok, cancel, bar}));
        QVERIFY(f.sheet->setCurrentIndex(2));
        QCOMPARE(chainFrom(bar, 4), QList<QWidget *>({f.pages[2]->edit, ok, cancel, bar}));
        QVERIFY(f.sheet->setCurrentIndex(1));
        QCOMPARE(chainFrom(bar, 4), QList<QWidget *>({f.pages[1]->edit, ok, cancel, bar}));
    }

    void opensWithRoomForTheDesignedPageSize()
    {
        int value = 5;
        QStringList log;
        PropertySheet sheet(QStringLiteral("Sheet"));
        sheet.addPage(new NumberPage(QStringLiteral("P"), value, log));
        sheet.setPageDesignSize(QSize(200, 150));
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        const QSize designed = dialogUnitsToPixels(QSize(200, 150), sheet.fontMetrics());
        QVERIFY(sheet.page(0)->width() >= designed.width());
        QVERIFY(sheet.page(0)->height() >= designed.height());
        // Not much more: the rest of the sheet is its tab bar, frame and buttons.
        QVERIFY(sheet.width() < designed.width() + sheet.sizeHint().width());
    }

    void endingDuringInitialisationNeverShowsTheSheet()
    {
        class EndingSheet : public PropertySheet
        {
        public:
            EndingSheet() : PropertySheet(QStringLiteral("x")) {}
            int initCalls = 0;

        protected:
            void initializeDialog() override
            {
                ++initCalls;
                done(Rejected);
            }
        };
        EndingSheet sheet;
        int dummy = 0;
        QStringList log;
        sheet.addPage(new NumberPage(QStringLiteral("P"), dummy, log));
        QCOMPARE(sheet.exec(), int(QDialog::Rejected));
        QCOMPARE(sheet.initCalls, 1);
        QVERIFY(log.isEmpty());
        QVERIFY(!sheet.isVisible());
    }
};

QTEST_MAIN(TestPropertySheet)
#include "tst_property_sheet.moc"
