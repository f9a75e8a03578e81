#include "accessibility_listener.h"
#include "app/kestra_sheet.h"
#include "cellular/cellular_page.h"
#include "gui_test.h"
#include "sheet_run.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kErrorTitle =
    QStringLiteral("ERROR MESSAGES (Optional) - Text messaging rates may apply");
const QString kPlainTitle = QStringLiteral("Destination Phone Numbers");

QString tooLong(int limit)
{
    return QStringLiteral("Please enter no more than %1 characters.").arg(limit);
}

// A check box or radio button takes clicks on its mark and its text only.
void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The rectangle of `w` in the page's coordinates, and its exclusive bottom edge.
QRect onPage(QWidget *w, QWidget *page)
{
    return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
}
int bottomEdge(const QRect &r)
{
    return r.y() + r.height();
}

// The Cellular page first in a sheet, with its carrier files in the run's work folder.
struct Fixture : PageInSheet<CKTPageCellular>
{
    [[nodiscard]] bool open()
    {
        const bool opened = PageInSheet::open();
        settle();
        return opened;
    }

    QComboBox *carrierList() const { return find<QComboBox>(QStringLiteral("carrierList")); }
    QGroupBox *phoneGroup() const { return find<QGroupBox>(QStringLiteral("phoneGroup")); }
    QGroupBox *emailGroup() const { return find<QGroupBox>(QStringLiteral("emailGroup")); }
    QCheckBox *useCellular() const { return find<QCheckBox>(QStringLiteral("useCellular")); }
    QCheckBox *dailyStatus() const { return find<QCheckBox>(QStringLiteral("sendDailyStatus")); }
    QLineEdit *phone(int row, Here here = {}) const
    {
        return find<QLineEdit>(QStringLiteral("phoneNumber%1").arg(row), here);
    }
    QLineEdit *email(int row, Here here = {}) const
    {
        return find<QLineEdit>(QStringLiteral("email%1").arg(row), here);
    }
    QRadioButton *radio(const QString &name, Here here = {}) const
    {
        return find<QRadioButton>(name, here);
    }

    // Picks the carrier at `position` of the list.
    void pickCarrier(int position)
    {
        carrierList()->setCurrentIndex(position);
        settle();
    }
    int shownPhoneRows() const
    {
        int rows = 0;
        for (int i = 1; i <= 4; ++i)
            rows += phone(i)->isVisibleTo(page) ? 1 : 0;
        return rows;
    }
    int shownEmailRows() const
    {
        int rows = 0;
        for (int j = 1; j <= 2; ++j)
            rows += email(j)->isVisibleTo(page) ? 1 : 0;
        return rows;
    }
    QRect rect(QWidget *w) const { return onPage(w, page); }
};

const QByteArray kShapes = "Four and two;2;4;1;0\n"       // 0
                           "Two after one;1;2;0;1\n"      // 1
                           "No mail;0;3;1;1\n"            // 2
                           "No phone;2;0;0;0\n"           // 3
                           "Mail hidden first;0;2;0;0\n"; // 4


// Four numbers and two addresses, cellular on.
void storeEveryDestination(CameraSettings &settings)
{
    settings.SetCellularOff(false);
    for (int i = 0; i < 4; ++i)
        settings.cellular.phoneNumbers[i] = PackPhoneNumber(std::to_string(1000 + i), false);
    settings.cellular.email1 = PackEmailAddress("one@x.org", false);
    settings.cellular.email2 = PackEmailAddress("two@x.org", true);
}

// The card written by OK after the Cellular tab was opened with `remembered` as the last
// carrier and the carriers at `positions` were chosen in turn.
QByteArray cardAfterChoosing(const QList<int> &positions, bool cellularOn, int remembered,
                             CameraSettings *card = nullptr)
{
    SheetRun run;
    CameraSettings local = factorySettings();
    storeEveryDestination(local);
    local.SetCellularOff(!cellularOn);
    if (!run.writeLocal(local) || !run.folder.write("carriers.dat", kShapes) ||
        !run.folder.write("carriers2.dat", QByteArray::number(remembered) + '\0') || !run.open() ||
        !run.sheet->setCurrentIndex(3))
        return {};
    for (const int position : positions) {
        run.find<QComboBox>("carrierList")->setCurrentIndex(position);
        settle();
    }
    run.messages.expect(114);
    run.clickButton(PropertySheet::OkButton);
    if (card && !run.read(run.cardPath, *card))
        return {};
    return readBytes(run.cardPath);
}
} // namespace

class TestCellularPage : public GuiTest
{
    Q_OBJECT

private slots:
    // ---- options and enabling ---------------------------------------------------------------

    void cellularOffDisablesAllButTheBoxUntilTicked()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        QVERIFY(f.folder.write("carriers2.dat", QByteArray("0\0", 2)));
        f.settings.SetCellularOff(true);
        f.settings.cellular.phoneNumbers[0] = PackPhoneNumber("555-1234", false);
        f.settings.cellular.email1 = PackEmailAddress("owner@example.org", true);
        QVERIFY(f.open());

        const QList<QWidget *> dependent{f.dailyStatus(),
                                         f.carrierList(),
                                         f.phone(1),
                                         f.phone(4),
                                         f.email(1),
                                         f.email(2),
                                         f.radio("emailTo1"),
                                         f.radio("emailBcc2"),
                                         f.radio("phoneBcc3"),
                                         f.find<QLabel>("phoneHint"),
                                         f.find<QLabel>("phoneExample")};
        QVERIFY(!f.useCellular()->isChecked());
        QVERIFY(f.useCellular()->isEnabled());
        for (QWidget *w : dependent)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));

        click(f.useCellular());
        for (QWidget *w : dependent)
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QCOMPARE(f.phone(1)->text(), QStringLiteral("555-1234"));
        QCOMPARE(f.email(1)->text(), QStringLiteral("owner@example.org"));
        QVERIFY(f.radio("emailBcc1")->isChecked());
        // The click is written to the record at once.
        QVERIFY(!f.settings.CellularOff());
    }

    void optionBoxesShowTheInverseOfTheStoredBits_data()
    {
        QTest::addColumn<bool>("cellularOff");
        QTest::addColumn<bool>("dailyStatusOff");
        QTest::newRow("both off") << true << true;
        QTest::newRow("cellular off only") << true << false;
        QTest::newRow("daily status off only") << false << true;
        QTest::newRow("neither") << false << false;
    }
    void optionBoxesShowTheInverseOfTheStoredBits()
    {
        QFETCH(bool, cellularOff);
        QFETCH(bool, dailyStatusOff);
        Fixture f;
        f.settings.SetCellularOff(cellularOff);
        f.settings.SetDailyStatusOff(dailyStatusOff);
        f.settings.cellular.cellFlags |= 0x0005; // the Other page's bits stay as they are
        QVERIFY(f.open());
        QCOMPARE(f.useCellular()->isChecked(), !cellularOff);
        QCOMPARE(f.dailyStatus()->isChecked(), !dailyStatusOff);

        if (!cellularOff)
            click(f.dailyStatus());
        click(f.useCellular());
        QVERIFY(f.sheet->setCurrentIndex(1));
        QCOMPARE(f.settings.CellularOff(), !cellularOff);
        QCOMPARE(f.settings.DailyStatusOff(), cellularOff ? dailyStatusOff : !dailyStatusOff);
        QCOMPARE(f.settings.cellular.cellFlags & 0x0005, 0x0005);
    }

    void readOnlyDisablesEveryEditingControl()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        QVERIFY(f.folder.write("carriers2.dat", "0"));
        f.app.readOnly = true;
        QVERIFY(f.open());
        QCOMPARE(f.carrierList()->currentIndex(), 0);
        QVERIFY(f.phoneGroup()->isVisible());
        for (QWidget *w : f.page->findChildren<QWidget *>()) {
            const bool editing = qobject_cast<QAbstractButton *>(w) ||
                                 qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w);
            if (editing)
                QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        }
        QVERIFY(!f.find<QLabel>("phoneHint")->isEnabled());
        // Coming back to the page does not enable anything either.
        QVERIFY(f.sheet->setCurrentIndex(1));
        QVERIFY(f.sheet->setCurrentIndex(0));
        QVERIFY(!f.useCellular()->isEnabled());
        QVERIFY(!f.phone(1)->isEnabled());
    }

    // ---- destinations and their kinds -------------------------------------------------------

    void storedKindsSurviveAndNewNumbersAreTo()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        f.settings.cellular.phoneNumbers[1] = PackPhoneNumber("1-555-0101", true);
        f.settings.cellular.phoneNumbers[3] = PackPhoneNumber("44 20 7946", false);
        f.settings.cellular.email2 = PackEmailAddress("ops@example.net", true);
        QVERIFY(f.open());
        f.pickCarrier(0); // four phone rows, two e-mail rows

        QCOMPARE(f.phone(2)->text(), QStringLiteral("1-555-0101"));
        QVERIFY(f.radio("phoneBcc2")->isChecked());
        QVERIFY(!f.radio("phoneBcc2")->isVisibleTo(f.page)); // the pair is never shown
        QVERIFY(f.radio("phoneTo4")->isChecked());
        QVERIFY(f.radio("emailBcc2")->isChecked());
        QVERIFY(f.radio("emailTo2")->isVisibleTo(f.page));

        QTest::keyClicks(f.phone(3), "0800 123");
        QTest::keyClicks(f.email(1), "me@example.com");
        click(f.radio("emailBcc1"));
        QVERIFY(f.sheet->setCurrentIndex(1));

        const CellularSection &c = f.settings.cellular;
        QCOMPARE(PhoneNumberKind(c.phoneNumbers[0]), int(DestinationNone));
        QCOMPARE(PhoneNumberKind(c.phoneNumbers[1]), int(DestinationBcc));
        QCOMPARE(UnpackPhoneNumber(c.phoneNumbers[1]).text, std::string("1-555-0101"));
        QCOMPARE(PhoneNumberKind(c.phoneNumbers[2]), int(DestinationTo));
        QCOMPARE(UnpackPhoneNumber(c.phoneNumbers[2]).text, std::string("0800 123"));
        QCOMPARE(PhoneNumberKind(c.phoneNumbers[3]), int(DestinationTo));
        QCOMPARE(EmailAddressKind(c.email1), int(DestinationBcc));
        QCOMPARE(UnpackEmailAddress(c.email1).text, std::string("me@example.com"));
        QCOMPARE(EmailAddressKind(c.email2), int(DestinationBcc));
    }

    void hiddenRowsCarryTheirValuesUntilACarrierIsChosen()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        f.settings.cellular.phoneNumbers[3] = PackPhoneNumber("123", true);
        f.settings.cellular.email2 = PackEmailAddress("a@b.c", false);
        const CellularSection before = f.settings.cellular;
        QVERIFY(f.open());
        QVERIFY(!f.phoneGroup()->isVisible());
        QVERIFY(!f.emailGroup()->isVisible());
        QCOMPARE(f.carrierList()->currentIndex(), -1);
        QVERIFY(f.sheet->setCurrentIndex(1));
        QVERIFY(f.settings.cellular == before);
        QCOMPARE(f.app.carrierIndex, -1);
    }

    // Browsing the list hides rows without emptying them; OK stores what the last carrier
    // offers, as choosing it straight away would, and with cellular off keeps every row.
    void browsingCarriersStoresWhatTheLastOneOffers_data()
    {
        QTest::addColumn<QList<int>>("browsed");
        QTest::addColumn<bool>("cellularOn");
        QTest::newRow("fewer rows, then all again") << QList<int>{0, 1, 0} << true;
        QTest::newRow("no phones, then four") << QList<int>{3, 0} << true;
        QTest::newRow("down the whole list") << QList<int>{0, 1, 2, 3, 4} << true;
        QTest::newRow("up the whole list") << QList<int>{4, 3, 2, 1, 0} << true;
        QTest::newRow("no mail, then one address") << QList<int>{2, 1} << true;
        QTest::newRow("remembered carrier, cellular off") << QList<int>{} << false;
    }
    void browsingCarriersStoresWhatTheLastOneOffers()
    {
        QFETCH(QList<int>, browsed);
        QFETCH(bool, cellularOn);
        const int remembered = 1; // two phone rows, one address
        const int last = browsed.isEmpty() ? remembered : browsed.back();
        CameraSettings card;
        const QByteArray browsedCard = cardAfterChoosing(browsed, cellularOn, remembered, &card);
        QCOMPARE(browsedCard.size(), 234);
        QCOMPARE(browsedCard, cardAfterChoosing({last}, cellularOn, remembered));

        // The rows the last carrier offers still hold the stored values.
        const std::optional<CarrierEntry> carrier =
            ParseCarrierLine(kShapes.split('\n').value(last).toStdString());
        QVERIFY(carrier);
        const int phones = cellularOn ? carrier->PhoneRowCount() : 4;
        const int emails = cellularOn ? carrier->EmailRowCount() : 2;
        for (int i = 0; i < 4; ++i)
            QCOMPARE(UnpackPhoneNumber(card.cellular.phoneNumbers[i]).text,
                     i < phones ? std::to_string(1000 + i) : std::string());
        QCOMPARE(UnpackEmailAddress(card.cellular.email2).text,
                 emails == 2 ? std::string("two@x.org") : std::string());
    }

    // Opening the tab with a remembered carrier that hides rows changes nothing.
    void openingTheTabKeepsTheHiddenRowsInTheRecord()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        QVERIFY(f.folder.write("carriers2.dat", QByteArray("3\0", 2))); // no phone rows
        storeEveryDestination(f.settings);
        const CellularSection before = f.settings.cellular;
        QVERIFY(f.open());
        QCOMPARE(f.shownPhoneRows(), 0);
        QVERIFY(f.sheet->setCurrentIndex(1));
        QVERIFY(f.settings.cellular == before);
    }

    // ---- carrier shapes ---------------------------------------------------------------------

    void carrierShapesThePage_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("emailRows");
        QTest::addColumn<int>("phoneRows");
        QTest::addColumn<bool>("emailFirst");
        QTest::addColumn<QString>("title");
        QTest::newRow("name alone") << QByteArray("X") << 2 << 4 << false << kPlainTitle;
        QTest::newRow("X;1 as X alone") << QByteArray("X;1") << 2 << 4 << false << kPlainTitle;
        QTest::newRow("X;0;2;1;1") << QByteArray("X;0;2;1;1") << 0 << 2 << false << kErrorTitle;
        QTest::newRow("X;2;4;0;0;Y") << QByteArray("X;2;4;0;0;Y") << 2 << 4 << true << kPlainTitle;
        QTest::newRow("one e-mail, one phone, e-mail first")
            << QByteArray("X;1;1;0;1") << 1 << 1 << true << kErrorTitle;
        QTest::newRow("three phones") << QByteArray("X;1;3;1;0") << 1 << 3 << false << kPlainTitle;
        QTest::newRow("no phones") << QByteArray("X;1;0;1;1") << 1 << 0 << false << kErrorTitle;
    }
    void carrierShapesThePage()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, emailRows);
        QFETCH(int, phoneRows);
        QFETCH(bool, emailFirst);
        QFETCH(QString, title);
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", "Before\n" + line));
        QVERIFY(f.open());
        f.pickCarrier(1);
        QCOMPARE(f.app.carrierIndex, 1);
        QCOMPARE(f.shownEmailRows(), emailRows);
        QCOMPARE(f.shownPhoneRows(), phoneRows);
        QCOMPARE(f.emailGroup()->isVisible(), emailRows > 0);
        QCOMPARE(f.phoneGroup()->isVisible(), phoneRows > 0);
        QCOMPARE(f.find<QLabel>("phoneHint")->isVisible(), phoneRows > 0);
        QCOMPARE(f.find<QLabel>("phoneExample")->isVisible(), phoneRows > 0);
        QCOMPARE(f.radio("emailTo2")->isVisibleTo(f.page), emailRows == 2);
        QCOMPARE(f.phoneGroup()->title(), title);
        QCOMPARE(f.rect(f.emailGroup()).top() < f.rect(f.phoneGroup()).top(), emailFirst);
        // A screen reader tells the rows apart by group and row, under the title shown now.
        QCOMPARE(accessibleName(f.phone(2)), title + QStringLiteral(", number 2"));
        QCOMPARE(accessibleName(f.email(2)),
                 QStringLiteral("Destination Email Addresses, address 2"));
        QCOMPARE(accessibleName(f.radio("emailBcc2")), QStringLiteral("BCC, address 2"));

        // The keyboard goes from the carrier list into the first group shown.
        QWidget *next = f.carrierList()->nextInFocusChain();
        while (!next->isVisible() || next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        QWidget *expected = emailRows == 0 || (!emailFirst && phoneRows > 0)
                                ? static_cast<QWidget *>(f.phone(1))
                                : f.email(1);
        QCOMPARE(next, expected);
    }

    void missingCarrierFileOffersOneItemWithEveryRow()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers2.dat", "0"));
        QVERIFY(f.open());
        QCOMPARE(f.carrierList()->count(), 1);
        QCOMPARE(f.carrierList()->itemText(0), QStringLiteral("No Carriers File Found"));
        QCOMPARE(f.carrierList()->currentIndex(), -1); // carriers2.dat is not read then
        QVERIFY(!f.phoneGroup()->isVisible());
        f.pickCarrier(0);
        QCOMPARE(f.app.carrierIndex, 0);
        QCOMPARE(f.shownPhoneRows(), 4);
        QCOMPARE(f.shownEmailRows(), 2);
        QCOMPARE(f.phoneGroup()->title(), kPlainTitle);
        QVERIFY(f.rect(f.phoneGroup()).top() < f.rect(f.emailGroup()).top());
    }

    void emptyCarrierFileOffersNothing()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", "\n\n"));
        QVERIFY(f.folder.write("carriers2.dat", "0"));
        QVERIFY(f.open());
        QCOMPARE(f.carrierList()->count(), 0);
        QVERIFY(!f.phoneGroup()->isVisible());
        QVERIFY(!f.emailGroup()->isVisible());
        QCOMPARE(f.app.carrierIndex, -1);
    }

    void listHoldsTheFirstFiftyCarriersInFileOrder()
    {
        Fixture f;
        QByteArray text;
        for (int i = 59; i >= 0; --i)
            text += "Carrier " + QByteArray::number(i) + (i == 30 ? "\n\n" : ";1;2;0;1\n");
        text.replace("Carrier 40", "T\xe9l\xe9 40");
        QVERIFY(f.folder.write("carriers.dat", text));
        QVERIFY(f.open());
        QCOMPARE(f.carrierList()->count(), 50);
        QCOMPARE(f.carrierList()->itemText(0), QStringLiteral("Carrier 59"));
        QCOMPARE(f.carrierList()->itemText(19), QStringLiteral("T\u00e9l\u00e9 40"));
        QCOMPARE(f.carrierList()->itemText(29), QStringLiteral("Carrier 30"));
        QCOMPARE(f.carrierList()->itemText(30), QStringLiteral("Carrier 29")); // blank skipped
        QCOMPARE(f.carrierList()->itemText(49), QStringLiteral("Carrier 10"));
        f.pickCarrier(29);
        QCOMPARE(f.shownPhoneRows(), 4); // its row: the name alone
        f.pickCarrier(30);
        QCOMPARE(f.shownPhoneRows(), 2);
    }

    void lastChoicePreselectsACarrier_data()
    {
        QTest::addColumn<QByteArray>("lastChoice"); // empty: no file
        QTest::addColumn<int>("selected");
        QTest::newRow("5 and a zero byte") << QByteArray("5\0", 2) << 5;
        QTest::newRow("12") << QByteArray("12") << 12;
        QTest::newRow("beyond the list") << QByteArray("13") << -1;
        QTest::newRow("no file") << QByteArray() << -1;
    }
    void lastChoicePreselectsACarrier()
    {
        QFETCH(QByteArray, lastChoice);
        QFETCH(int, selected);
        Fixture f;
        QByteArray text;
        for (int i = 0; i < 13; ++i)
            text += "C" + QByteArray::number(i) + (i == 12 ? ";1;1;0;1\n" : ";2;3;1;0\n");
        QVERIFY(f.folder.write("carriers.dat", text));
        if (!lastChoice.isEmpty())
            QVERIFY(f.folder.write("carriers2.dat", lastChoice));
        QVERIFY(f.open());
        QCOMPARE(f.carrierList()->currentIndex(), selected);
        QCOMPARE(f.app.carrierIndex, selected);
        QCOMPARE(f.phoneGroup()->isVisible(), selected >= 0);
        if (selected >= 0) {
            QCOMPARE(f.shownPhoneRows(), selected == 12 ? 1 : 3);
            QCOMPARE(f.phoneGroup()->title(), selected == 12 ? kErrorTitle : kPlainTitle);
        }
    }

    // ---- placement --------------------------------------------------------------------------

    void groupsStackBelowTheCarrierList_data()
    {
        QTest::addColumn<int>("carrier");
        QTest::newRow("phone first, four and two") << 0;
        QTest::newRow("e-mail first, one and two") << 1;
        QTest::newRow("no e-mail, phone first") << 2;
        QTest::newRow("no phone, e-mail first") << 3;
    }
    void groupsStackBelowTheCarrierList()
    {
        QFETCH(int, carrier);
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        QVERIFY(f.open());
        f.pickCarrier(carrier);
        const bool emailFirst = f.rect(f.emailGroup()).top() < f.rect(f.phoneGroup()).top();
        QGroupBox *first = emailFirst ? f.emailGroup() : f.phoneGroup();
        QGroupBox *second = emailFirst ? f.phoneGroup() : f.emailGroup();
        QCOMPARE(f.rect(first).top(), bottomEdge(f.rect(f.carrierList())) + 10);
        QCOMPARE(f.rect(second).top(), bottomEdge(f.rect(first)) + 10);

        if (f.phoneGroup()->isVisible()) {
            const QRect group = f.rect(f.phoneGroup());
            QCOMPARE(f.rect(f.find<QLabel>("phoneHint")).top(), group.top() + 20);
            const int last = f.shownPhoneRows();
            QCOMPARE(bottomEdge(group), bottomEdge(f.rect(f.phone(last))) + 10);
        }
        if (f.emailGroup()->isVisible()) {
            const QRect group = f.rect(f.emailGroup());
            QCOMPARE(f.rect(f.email(1)).top(), group.top() + 20);
            const int last = f.shownEmailRows();
            QCOMPARE(bottomEdge(group), bottomEdge(f.rect(f.email(last))) + 10);
        }
    }

    void hiddenFirstGroupKeepsItsLastPlace_data()
    {
        QTest::addColumn<QByteArray>("before"); // the carrier chosen first, empty for none
        QTest::addColumn<int>("keptRows");      // e-mail rows the hidden group still spans
        QTest::newRow("never shown: the whole group") << QByteArray() << 2;
        QTest::newRow("after one row") << QByteArray("A;1;4;0;0") << 1;
        QTest::newRow("after two rows") << QByteArray("A;2;4;0;0") << 2;
    }
    void hiddenFirstGroupKeepsItsLastPlace()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, keptRows);
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", "Reference;" + QByteArray::number(keptRows) +
                                                   ";4;0;0\nMail hidden first;0;2;0;0\n" + before));
        QVERIFY(f.open());
        f.pickCarrier(0);
        const int keptHeight = f.rect(f.emailGroup()).height();
        if (before.isEmpty()) {
            // A page that never showed its e-mail group.
            f.sheet.reset();
            QVERIFY(f.open());
        } else {
            f.pickCarrier(2);
        }
        f.pickCarrier(1);

        QVERIFY(!f.emailGroup()->isVisible());
        const QRect hidden = f.rect(f.emailGroup());
        QCOMPARE(hidden.top(), bottomEdge(f.rect(f.carrierList())) + 10);
        QCOMPARE(hidden.height(), keptHeight);
        QCOMPARE(f.rect(f.phoneGroup()).top(), bottomEdge(hidden) + 10);
        QCOMPARE(f.shownPhoneRows(), 2);
    }

    void firstRowClearsATallerTitle()
    {
        struct FontRestorer
        {
            QFont saved = QApplication::font();
            ~FontRestorer() { QApplication::setFont(saved); }
        } restorer;
        QFont large = restorer.saved;
        large.setPointSize(large.pointSize() * 3);
        QApplication::setFont(large);
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        QVERIFY(f.open());
        f.pickCarrier(0);
        for (QGroupBox *group : {f.phoneGroup(), f.emailGroup()}) {
            QWidget *firstRow = group == f.phoneGroup()
                                    ? static_cast<QWidget *>(f.find<QLabel>("phoneHint"))
                                    : f.email(1);
            QWidget *lastRow = group == f.phoneGroup() ? f.phone(4) : f.email(2);
            const QMargins frame = group->contentsMargins();
            QVERIFY2(frame.top() > 20, "the title should be taller than the usual offset");
            QCOMPARE(f.rect(firstRow).top() - f.rect(group).top(), frame.top());
            QCOMPARE(bottomEdge(f.rect(group)) - bottomEdge(f.rect(lastRow)),
                     qMax(10, frame.bottom()));
        }
    }

    // ---- typing and length checks -----------------------------------------------------------

    void fieldsRefuseForbiddenCharacters_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("beeps");
        QTest::newRow("phone: digits, blank, dash") << "phone"
                                                    << "1-555 0"
                                                    << "1-555 0" << 0;
        QTest::newRow("phone: letters") << "phone"
                                        << "5a5Zk"
                                        << "55" << 3;
        QTest::newRow("phone: punctuation") << "phone"
                                            << "(555).+#/_*"
                                            << "555" << 8;
        QTest::newRow("e-mail: address characters") << "email"
                                                    << "a.b_c+d@e-f.org"
                                                    << "a.b_c+d@e-f.org" << 0;
        QTest::newRow("e-mail: comma") << "email"
                                       << "a,b"
                                       << "ab" << 1;
        QTest::newRow("e-mail: the eleven") << "email"
                                            << "x()[]\\;:\",<>y"
                                            << "xy" << 11;
        // The camera keeps seven bits of an address character and four-bit digit codes:
        // nothing beyond ASCII can be stored, so none of it can be typed.
        QTest::newRow("phone: digits of another script")
            << "phone" << QStringLiteral("5\u0663\u06F55") << "55" << 2;
        QTest::newRow("e-mail: accented letters")
            << "email" << QStringLiteral("caf\u00E9@\u00FCber.de") << "caf@ber.de" << 2;
    }
    void fieldsRefuseForbiddenCharacters()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, beeps);
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        QVERIFY(f.open());
        f.pickCarrier(0);
        for (int row = 1; row <= 2; ++row) {
            QLineEdit *edit = field == "phone" ? f.phone(row * 2) : f.email(row);
            const int before = f.platform.beeps;
            // One key event a character, as a keyboard of any layout sends them.
            for (const QChar c : typed)
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
            QCOMPARE(edit->text(), shown);
            QCOMPARE(f.platform.beeps - before, beeps);
        }
    }

    void storedTextIsFilteredOnLoad()
    {
        // A file can hold an address with a character the field refuses.
        Fixture f;
        f.settings.cellular.email1 = PackEmailAddress("a<b>@c", false);
        QVERIFY(f.open());
        QCOMPARE(f.email(1)->text(), QStringLiteral("ab@c"));
    }

    void overLongTextKeepsThePage_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("limit"); // 0: fits
        QTest::newRow("phone 1 of 16") << "phoneNumber1" << 16 << 15;
        QTest::newRow("phone 4 of 16") << "phoneNumber4" << 16 << 15;
        QTest::newRow("phone of 15 fits") << "phoneNumber2" << 15 << 0;
        QTest::newRow("e-mail 2 of 37") << "email2" << 37 << 36;
        QTest::newRow("e-mail of 36 fits") << "email1" << 36 << 0;
    }
    void overLongTextKeepsThePage()
    {
        QFETCH(QString, field);
        QFETCH(int, length);
        QFETCH(int, limit);
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        QVERIFY(f.open());
        f.pickCarrier(0);
        const CellularSection before = f.settings.cellular;
        auto *edit = f.find<QLineEdit>(field);
        const QString text = field.startsWith("phone") ? QString(length, QLatin1Char('7'))
                                                       : QString(length, QLatin1Char('m'));
        QTest::keyClicks(edit, text);
        QCOMPARE(edit->text(), text); // the fields themselves take any length

        if (limit == 0) {
            QVERIFY(f.sheet->setCurrentIndex(1));
            QVERIFY(!(f.settings.cellular == before));
            return;
        }
        f.messages.expect(tooLong(limit));
        QVERIFY(!f.sheet->setCurrentIndex(1));
        const Message &shown = f.messages.shownMessage(-1);
        QCOMPARE(shown.icon, MessageIcon::Exclamation);
        QCOMPARE(shown.caption, programName());
        QCOMPARE(f.sheet->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), f.carrierList());
        QVERIFY(f.settings.cellular == before);
        QCOMPARE(edit->text(), text);
    }

    void eMailLengthIsCheckedBeforePhones()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        QVERIFY(f.open());
        f.pickCarrier(0);
        QTest::keyClicks(f.phone(1), QString(16, QLatin1Char('1')));
        QTest::keyClicks(f.email(2), QString(37, QLatin1Char('x')));
        f.messages.expect(tooLong(36));
        QVERIFY(!f.sheet->setCurrentIndex(1));
    }

    void overLongTextUndoesTheUseCellularClick()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        f.settings.cellular.phoneNumbers[0] = PackPhoneNumber("42", false);
        QVERIFY(f.open());
        f.pickCarrier(0);
        QTest::keyClicks(f.phone(1), QString(15, QLatin1Char('9')));
        f.messages.expect(tooLong(15));
        click(f.useCellular());
        QVERIFY(f.useCellular()->isChecked());
        QVERIFY(!f.settings.CellularOff());
        QCOMPARE(f.phone(1)->text(), QStringLiteral("42"));
    }

    void overLongTextOnCarrierChangeStillAppliesTheCarrier()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        f.settings.cellular.email1 = PackEmailAddress("kept@x.org", false);
        QVERIFY(f.open());
        f.pickCarrier(0);
        QTest::keyClicks(f.email(1), QString(30, QLatin1Char('z')));
        f.messages.expect(tooLong(36));
        f.pickCarrier(2); // no e-mail group: the stored address is kept, not the typed one
        QCOMPARE(f.carrierList()->currentIndex(), 2);
        QCOMPARE(f.app.carrierIndex, 2);
        QVERIFY(!f.emailGroup()->isVisible());
        QCOMPARE(f.shownPhoneRows(), 3);
        QCOMPARE(f.email(1)->text(), QStringLiteral("kept@x.org"));
        QCOMPARE(UnpackEmailAddress(f.settings.cellular.email1).text, std::string("kept@x.org"));
    }

    // ---- the whole run ----------------------------------------------------------------------

    void choosingACarrierAndSavingWritesTheCardAndTheLastChoice()
    {
        SheetRun run;
        QVERIFY(run.folder.write("carriers.dat", kShapes));
        QVERIFY(run.open());
        QVERIFY(run.sheet->setCurrentIndex(3));
        run.find<QComboBox>("carrierList")->setCurrentIndex(1); // "Two after one": e-mail first
        QTest::keyClicks(run.find<QLineEdit>("phoneNumber1"), "1-555-555-1212");
        QTest::keyClicks(run.find<QLineEdit>("email1"), "abc");

        run.messages.expect(114);
        run.clickButton(PropertySheet::OkButton);
        QVERIFY(!run.sheet->isVisible());

        const QByteArray card = readBytes(run.cardPath);
        QCOMPARE(card.size(), 234);
        const int cellular = 128;
        QCOMPARE(card.mid(cellular + 10, 8).toHex(), QByteArray("216c666c662c2303"));
        QCOMPARE(card.mid(cellular + 18, 24), QByteArray(24, '\0'));
        QCOMPARE(card.mid(cellular + 42, 16).toHex(), QByteArray("00e000e00000000000000060"
                                                                 "00a00000"));
        QCOMPARE(card.mid(cellular + 58, 16).toHex(), QByteArray("0000000000000000000000000000"
                                                                 "0100"));
        QCOMPARE(card.mid(cellular + 74, 32), QByteArray(32, '\0'));
        QCOMPARE(readBytes(run.localPath).mid(cellular), card.mid(cellular));
        QCOMPARE(run.folder.read("carriers2.dat"), QByteArray("1\0", 2));
    }

    // Alt and a letter: the carrier list, the first phone row, the first address.
    void accessKeysLeadToTheFields()
    {
        Fixture f;
        QVERIFY(f.folder.write("carriers.dat", kShapes));
        f.settings.SetCellularOff(false);
        QVERIFY(f.open());
        QVERIFY(QTest::qWaitForWindowActive(f.sheet.get()));
        QTest::keyClick(f.useCellular(), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.carrierList());
        QTest::keyClick(f.carrierList(), Qt::Key_Down);
        settle();
        QCOMPARE(f.app.carrierIndex, 0);
        QCOMPARE(f.shownPhoneRows(), 4);
        QTest::keyClick(f.carrierList(), Qt::Key_M, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.phone(1));
        QTest::keyClicks(f.phone(1), QStringLiteral("555-0100"));
        QTest::keyClick(f.phone(1), Qt::Key_E, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.email(1));
        QTest::keyClicks(f.email(1), QStringLiteral("a@b.c"));
        QVERIFY(f.sheet->setCurrentIndex(1));
        QCOMPARE(UnpackPhoneNumber(f.settings.cellular.phoneNumbers[0]).text, "555-0100");
        QCOMPARE(UnpackEmailAddress(f.settings.cellular.email1).text, "a@b.c");
    }
};

QTEST_MAIN(TestCellularPage)
#include "tst_cellular_page.moc"
