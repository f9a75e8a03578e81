#include "schedule/schedule_ctrl.h"

#include "accessibility_listener.h"
#include "gui_run.h"
#include "gui_test.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

constexpr int kCellHeight = 20;

// A window holding a line edit (somewhere else for the focus to be) and the grid, with the
// grid's viewport of a chosen size.
struct GridWindow
{
    explicit GridWindow(const LocaleValues &locale = {})
    {
        platform.locale = locale;
        other = new QLineEdit(&window);
        other->setGeometry(0, 0, 80, 24);
        grid = new CScheduleCtrl(&window);
        grid->move(0, 30);
    }

    // Shows the window with the grid's viewport at `viewportSize`; false when it did not
    // become active.
    [[nodiscard]] bool open(QSize viewportSize)
    {
        window.resize(viewportSize.width() + 40, viewportSize.height() + 40);
        if (!showActive(&window))
            return false;
        // The scroll bar takes its share of the width; the height is the one that matters.
        const int frame = 2 * grid->frameWidth();
        grid->resize(viewportSize.width() + frame + grid->verticalScrollBar()->sizeHint().width(),
                     viewportSize.height() + frame);
        QCoreApplication::processEvents();
        return true;
    }

    QWidget *viewport() const { return grid->viewport(); }
    int scroll() const { return grid->verticalScrollBar()->value(); }
    int cellLeft() const { return grid->labelColumnWidth() + 7; }
    // A point well inside cell i, in viewport coordinates.
    QPoint cellPoint(int cell) const
    {
        return {cellLeft() + 30, cell * kCellHeight + 10 - scroll()};
    }
    // A point on the hour scale beside cell i.
    QPoint hourColumnPoint(int cell) const { return {10, cell * kCellHeight + 10 - scroll()}; }

    QList<int> slotValues() const
    {
        QList<int> values;
        for (int minute = 0; minute < 1440; minute += 15)
            values.append(grid->GetSlot(minute));
        return values;
    }

    void click(QPoint pos) const { QTest::mouseClick(viewport(), Qt::LeftButton, {}, pos); }
    void drag(const QList<QPoint> &path) const
    {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, path.first());
        for (qsizetype i = 1; i < path.size(); ++i)
            QTest::mouseMove(viewport(), path[i]);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, path.last());
    }

    // What a person sees in the viewport, at the given device pixel ratio.
    QImage image(qreal dpr = 1.0) const
    {
        QImage picture(viewport()->size() * dpr, QImage::Format_RGB32);
        picture.setDevicePixelRatio(dpr);
        picture.fill(Qt::magenta);
        viewport()->render(&picture);
        return picture;
    }

    FakePlatformServices platform;
    QWidget window;
    QLineEdit *other = nullptr;
    CScheduleCtrl *grid = nullptr;
};

// The colours inside a rectangle given in logical pixels.
QSet<QRgb> coloursIn(const QImage &image, const QRect &logical)
{
    const qreal dpr = image.devicePixelRatio();
    const QRect device(
        QPoint(qRound(logical.left() * dpr), qRound(logical.top() * dpr)),
        QPoint(qRound((logical.right() + 1) * dpr) - 1, qRound((logical.bottom() + 1) * dpr) - 1));
    QSet<QRgb> colours;
    for (int y = device.top(); y <= device.bottom(); ++y) {
        for (int x = device.left(); x <= device.right(); ++x)
            colours.insert(image.pixel(x, y) & 0xFFFFFF);
    }
    return colours;
}

bool hasDarkPixels(const QImage &image, const QRect &logical)
{
    for (QRgb colour : coloursIn(image, logical)) {
        if (qGray(colour) < 100)
            return true;
    }
    return false;
}

class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class ScheduleCtrlTest : public GuiTest
{
    Q_OBJECT

private slots:
    void freshControlIsAllOnWithFocusAtTop();
    void slotsAreAddressedByMinute_data();
    void slotsAreAddressedByMinute();
    void clickTogglesACell();
    void doubleClickTogglesOnce();
    void dragPaintsTheRun_data();
    void dragPaintsTheRun();
    void pressBesideTheCellsChangesNothing_data();
    void pressBesideTheCellsChangesNothing();
    void pressHitsTheCellUnderIt_data();
    void pressHitsTheCellUnderIt();
    void keysMoveFocusAndScroll_data();
    void keysMoveFocusAndScroll();
    void downOnTheLastCellDoesNotRepaint();
    void spaceTogglesTheFocusCell();
    void readOnlyIgnoresEditing();
    void wheelScrollsUnlessShiftOrCtrl_data();
    void wheelScrollsUnlessShiftOrCtrl();
    void hourLabelsFollowTheLocale_data();
    void hourLabelsFollowTheLocale();
    void cellsShowTheirPatterns_data();
    void cellsShowTheirPatterns();
    void scaleIsDrawn_data();
    void scaleIsDrawn();
    void focusRectangleOnlyWithFocus();
    void cellsFillTheWidthAfterResize();
    void linesFollowThePalette();
    void cellsAreReadAsTimesOfTheGridsClock_data();
    void cellsAreReadAsTimesOfTheGridsClock();
    void screenReaderFollowsCellsAndFocus_data();
    void screenReaderFollowsCellsAndFocus();
    void tabbingIntoTheGridReadsItsFocusCell();
    void toggleActionTogglesTheCell_data();
    void toggleActionTogglesTheCell();
};

void ScheduleCtrlTest::freshControlIsAllOnWithFocusAtTop()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    QCOMPARE(w.slotValues(), QList<int>(96, 1));
    QCOMPARE(w.grid->focusCell(), 0);
    QCOMPARE(w.scroll(), 0);
    QCOMPARE(w.grid->verticalScrollBar()->maximum(), 1921 - 343);
    QCOMPARE(w.grid->verticalScrollBar()->pageStep(), 192);
    QCOMPARE(w.grid->verticalScrollBar()->singleStep(), 19);
}

void ScheduleCtrlTest::slotsAreAddressedByMinute_data()
{
    QTest::addColumn<int>("startValue");
    QTest::addColumn<int>("setMinute");
    QTest::addColumn<int>("setValue");
    QTest::addColumn<int>("readMinute");
    QTest::addColumn<int>("expected");

    QTest::newRow("minute 14 reads cell 0") << 0 << 0 << 1 << 14 << 1;
    QTest::newRow("minute 15 reads cell 1") << 0 << 0 << 1 << 15 << 0;
    QTest::newRow("minute 14 sets cell 0") << 0 << 14 << 1 << 0 << 1;
    QTest::newRow("minute 1425 is cell 95") << 0 << 1425 << 1 << 1425 << 1;
    QTest::newRow("minute 1439 is cell 95") << 0 << 1439 << 1 << 1425 << 1;
    QTest::newRow("minute 1440 reads off") << 1 << 0 << 1 << 1440 << 0;
    QTest::newRow("minute 1440 sets nothing") << 1 << 1440 << 0 << 1425 << 1;
    QTest::newRow("negative minute reads off") << 1 << 0 << 1 << -1 << 0;
    QTest::newRow("negative minute sets nothing") << 1 << -1 << 0 << 0 << 1;
    QTest::newRow("nonzero value is on") << 0 << 30 << 2 << 30 << 1;
}

void ScheduleCtrlTest::slotsAreAddressedByMinute()
{
    QFETCH(int, startValue);
    QFETCH(int, setMinute);
    QFETCH(int, setValue);
    QFETCH(int, readMinute);
    QFETCH(int, expected);

    FakePlatformServices platform;
    CScheduleCtrl grid;
    grid.SetAllSlots(startValue);
    grid.SetSlot(setMinute, setValue);
    QCOMPARE(grid.GetSlot(readMinute), expected);
}

void ScheduleCtrlTest::clickTogglesACell()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    w.grid->SetSlot(5 * 15, 0);
    QList<int> expected = w.slotValues();

    w.click(w.cellPoint(5));
    expected[5] = 1;
    QCOMPARE(w.slotValues(), expected);
    QCOMPARE(w.grid->focusCell(), 5);

    w.click(w.cellPoint(5));
    expected[5] = 0;
    QCOMPARE(w.slotValues(), expected);
}

void ScheduleCtrlTest::doubleClickTogglesOnce()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    // A double-click arrives as press, release, double-click, release.
    w.click(w.cellPoint(6));
    QTest::mouseDClick(w.viewport(), Qt::LeftButton, {}, w.cellPoint(6));
    QTest::mouseRelease(w.viewport(), Qt::LeftButton, {}, w.cellPoint(6));
    QCOMPARE(w.grid->GetSlot(6 * 15), 0);
}

void ScheduleCtrlTest::dragPaintsTheRun_data()
{
    QTest::addColumn<QList<int>>("offCells");
    QTest::addColumn<QList<int>>("pathCells"); // -1: over the hour scale on the previous row
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("value");

    QTest::newRow("down from an on cell over mixed cells")
        << QList<int>{7, 9, 10} << QList<int>{5, 8, 12} << 5 << 12 << 0;
    QTest::newRow("up from cell 40 to cell 10")
        << QList<int>{} << QList<int>{40, 25, 10} << 10 << 40 << 0;
    QTest::newRow("down from an off cell turns the run on")
        << QList<int>{20, 22, 23} << QList<int>{20, 25} << 20 << 25 << 1;
    QTest::newRow("up and back down again")
        << QList<int>{} << QList<int>{30, 20, 33} << 30 << 33 << 0;
    QTest::newRow("leaving the cells keeps the last cell hit")
        << QList<int>{} << QList<int>{5, 8, -1} << 5 << 8 << 0;
}

void ScheduleCtrlTest::dragPaintsTheRun()
{
    QFETCH(QList<int>, offCells);
    QFETCH(QList<int>, pathCells);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, value);

    GridWindow w;
    QVERIFY(w.open({300, 1000}));
    for (int cell : offCells)
        w.grid->SetSlot(cell * 15, 0);
    QList<int> expected = w.slotValues();
    for (int i = first; i <= last; ++i)
        expected[i] = value;

    QList<QPoint> path;
    for (qsizetype i = 0; i < pathCells.size(); ++i) {
        path.append(pathCells[i] >= 0 ? w.cellPoint(pathCells[i])
                                      : w.hourColumnPoint(pathCells[i - 1]));
    }
    w.drag(path);
    QCOMPARE(w.slotValues(), expected);
}

void ScheduleCtrlTest::pressBesideTheCellsChangesNothing_data()
{
    // What an earlier stroke leaves behind must not be applied again by a press that hits
    // no cell; each row changes the cells after the stroke so that a replay would show.
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("dragIntoCells");

    QTest::newRow("fresh control") << QString() << false;
    QTest::newRow("after a stroke and Space") << QStringLiteral("stroke, space") << false;
    QTest::newRow("after a stroke and All Off") << QStringLiteral("stroke, all off") << false;
    QTest::newRow("after a click and All On") << QStringLiteral("click, all on") << false;
    QTest::newRow("from the scale into the cells, after a stroke and All Off")
        << QStringLiteral("stroke, all off") << true;
}

void ScheduleCtrlTest::pressBesideTheCellsChangesNothing()
{
    QFETCH(QString, before);
    QFETCH(bool, dragIntoCells);

    GridWindow w;
    QVERIFY(w.open({300, 343}));
    if (before == QLatin1String("stroke, space")) {
        w.drag({w.cellPoint(3), w.cellPoint(6)}); // 3..6 off, focus on 6
        QTest::keyClick(w.grid, Qt::Key_Space);   // 6 on again
    } else if (before == QLatin1String("stroke, all off")) {
        w.grid->SetAllSlots(0);
        w.drag({w.cellPoint(3), w.cellPoint(6)}); // 3..6 on
        w.grid->SetAllSlots(0);
    } else if (before == QLatin1String("click, all on")) {
        w.click(w.cellPoint(4)); // 4 off
        w.grid->SetAllSlots(1);
    }
    const QList<int> expected = w.slotValues();

    if (dragIntoCells)
        w.drag({w.hourColumnPoint(10), w.cellPoint(10), w.cellPoint(12)});
    else
        w.click(w.hourColumnPoint(10));
    QCOMPARE(w.slotValues(), expected);
}

void ScheduleCtrlTest::pressHitsTheCellUnderIt_data()
{
    QTest::addColumn<int>("scroll");
    QTest::addColumn<QPoint>("pos"); // x relative to the first cell column, y in the viewport
    QTest::addColumn<int>("cell");   // -1: no cell

    QTest::newRow("first row") << 0 << QPoint(5, 0) << 0;
    QTest::newRow("row 20 is cell 0's last row") << 0 << QPoint(5, 20) << 0;
    QTest::newRow("row 80 is cell 3") << 0 << QPoint(5, 80) << 3;
    QTest::newRow("row 81 is cell 4") << 0 << QPoint(5, 81) << 4;
    QTest::newRow("first cell column") << 0 << QPoint(0, 50) << 2;
    QTest::newRow("black separator line") << 0 << QPoint(-1, 50) << -1;
    QTest::newRow("scrolled: viewport row 61 is content row 80") << 19 << QPoint(5, 61) << 3;
    QTest::newRow("scrolled: viewport row 62 is cell 4") << 19 << QPoint(5, 62) << 4;
}

void ScheduleCtrlTest::pressHitsTheCellUnderIt()
{
    QFETCH(int, scroll);
    QFETCH(QPoint, pos);
    QFETCH(int, cell);

    GridWindow w;
    QVERIFY(w.open({300, 343}));
    w.grid->verticalScrollBar()->setValue(scroll);
    QList<int> expected = w.slotValues();
    if (cell >= 0)
        expected[cell] = 0;
    w.click(pos + QPoint(w.cellLeft(), 0));
    QCOMPARE(w.slotValues(), expected);
    QCOMPARE(w.grid->focusCell(), std::max(cell, 0));
    QCOMPARE(w.scroll(), scroll);
}

void ScheduleCtrlTest::keysMoveFocusAndScroll_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("scroll");

    // The viewport is 343 pixels high: a page is 17 whole cells.
    const int bottom = 1920 - 343;
    QTest::newRow("page down from the top") << QList<int>{Qt::Key_PageDown} << false << 17 << 17;
    QTest::newRow("two pages down")
        << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown} << false << 34 << 700 - 343;
    QTest::newRow("end") << QList<int>{Qt::Key_End} << false << 95 << bottom;
    QTest::newRow("end then home") << QList<int>{Qt::Key_End, Qt::Key_Home} << false << 0 << 0;
    QTest::newRow("end then page up")
        << QList<int>{Qt::Key_End, Qt::Key_PageUp} << false << 78 << 78 * 20;
    QTest::newRow("end then up stays scrolled")
        << QList<int>{Qt::Key_End, Qt::Key_Up} << false << 94 << bottom;
    QTest::newRow("down within the window does not scroll")
        << QList<int>{Qt::Key_Down, Qt::Key_Down} << false << 2 << 0;
    QTest::newRow("down past the window scrolls one cell")
        << QList<int>(18, Qt::Key_Down) << false << 18 << 380 - 343;
    QTest::newRow("up on the first cell") << QList<int>{Qt::Key_Up} << false << 0 << 0;
    QTest::newRow("page up on the first cell") << QList<int>{Qt::Key_PageUp} << false << 0 << 0;
    QTest::newRow("down on the last cell")
        << QList<int>{Qt::Key_End, Qt::Key_Down} << false << 95 << bottom;
    QTest::newRow("page down near the end clamps")
        << QList<int>{Qt::Key_End, Qt::Key_Up, Qt::Key_PageDown} << false << 95 << bottom;
    QTest::newRow("left and right do nothing")
        << QList<int>{Qt::Key_Down, Qt::Key_Left, Qt::Key_Right} << false << 1 << 0;
    QTest::newRow("read-only page down") << QList<int>{Qt::Key_PageDown} << true << 17 << 17;
    QTest::newRow("read-only end") << QList<int>{Qt::Key_End} << true << 95 << bottom;
    QTest::newRow("read-only end, page up, home")
        << QList<int>{Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home} << true << 0 << 0;
    QTest::newRow("read-only down") << QList<int>{Qt::Key_Down} << true << 1 << 0;
}

void ScheduleCtrlTest::keysMoveFocusAndScroll()
{
    QFETCH(QList<int>, keys);
    QFETCH(bool, readOnly);
    QFETCH(int, focus);
    QFETCH(int, scroll);

    GridWindow w;
    QVERIFY(w.open({300, 343}));
    QCOMPARE(w.viewport()->height(), 343);
    w.grid->setReadOnly(readOnly);
    w.grid->setFocus();
    for (int key : keys)
        QTest::keyClick(w.grid, Qt::Key(key));
    QCOMPARE(w.grid->focusCell(), focus);
    QCOMPARE(w.scroll(), scroll);
    QVERIFY(w.grid->hasFocus());
    QCOMPARE(w.slotValues(), QList<int>(96, 1));
}

void ScheduleCtrlTest::downOnTheLastCellDoesNotRepaint()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    w.grid->setFocus();
    PaintCounter counter(w.viewport());

    QTest::keyClick(w.grid, Qt::Key_End);
    QTRY_VERIFY(counter.paints > 0);
    QCoreApplication::processEvents();

    counter.paints = 0;
    QTest::keyClick(w.grid, Qt::Key_Down);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 0);
    QCOMPARE(w.grid->focusCell(), 95);

    // The counter does see the repaint of a real move.
    QTest::keyClick(w.grid, Qt::Key_Up);
    QTRY_VERIFY(counter.paints > 0);
}

void ScheduleCtrlTest::spaceTogglesTheFocusCell()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    w.grid->setFocus();
    QList<int> expected(96, 1);

    QTest::keyClick(w.grid, Qt::Key_Space);
    expected[0] = 0;
    QCOMPARE(w.slotValues(), expected);

    QTest::keyClick(w.grid, Qt::Key_Down);
    QTest::keyClick(w.grid, Qt::Key_Space);
    expected[1] = 0;
    QCOMPARE(w.slotValues(), expected);

    QTest::keyClick(w.grid, Qt::Key_Space);
    expected[1] = 1;
    QCOMPARE(w.slotValues(), expected);
}

void ScheduleCtrlTest::readOnlyIgnoresEditing()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    w.grid->SetSlot(2 * 15, 0);
    w.grid->setReadOnly(true);
    const QList<int> expected = w.slotValues();
    w.other->setFocus();
    QVERIFY(w.other->hasFocus());

    w.click(w.cellPoint(2));
    w.drag({w.cellPoint(4), w.cellPoint(8)});
    QCOMPARE(w.slotValues(), expected);
    QVERIFY(w.other->hasFocus());
    QCOMPARE(w.grid->focusCell(), 0);

    w.grid->setFocus();
    QTest::keyClick(w.grid, Qt::Key_Space);
    QCOMPARE(w.slotValues(), expected);

    // Editable again, a click both edits and takes the focus.
    w.grid->setReadOnly(false);
    w.other->setFocus();
    w.click(w.cellPoint(2));
    QCOMPARE(w.grid->GetSlot(2 * 15), 1);
    QVERIFY(w.grid->hasFocus());
}

void ScheduleCtrlTest::wheelScrollsUnlessShiftOrCtrl_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("scrolls");

    QTest::newRow("plain wheel") << Qt::KeyboardModifiers() << true;
    QTest::newRow("with shift") << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
    QTest::newRow("with ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
}

void ScheduleCtrlTest::wheelScrollsUnlessShiftOrCtrl()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, scrolls);

    GridWindow w;
    QVERIFY(w.open({300, 343}));
    const QPoint pos = w.cellPoint(3);
    QWheelEvent notch(pos, w.viewport()->mapToGlobal(pos), QPoint(), QPoint(0, -120), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.viewport(), &notch);
    QCOMPARE(w.scroll(), scrolls ? QApplication::wheelScrollLines() * 19 : 0);
}

void ScheduleCtrlTest::hourLabelsFollowTheLocale_data()
{
    QTest::addColumn<bool>("clock24h");
    QTest::addColumn<bool>("leadingZero");
    QTest::addColumn<int>("hour");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("designator");

    QTest::newRow("24h, zero: midnight") << true << true << 0 << "00"
                                         << "";
    QTest::newRow("24h, zero: 7") << true << true << 7 << "07"
                                  << "";
    QTest::newRow("24h, space: 7") << true << false << 7 << " 7"
                                   << "";
    QTest::newRow("24h, space: 23") << true << false << 23 << "23"
                                    << "";
    QTest::newRow("12h, zero: midnight") << false << true << 0 << "12"
                                         << "AM";
    QTest::newRow("12h, zero: 1") << false << true << 1 << "01"
                                  << "AM";
    QTest::newRow("12h, zero: 11") << false << true << 11 << "11"
                                   << "AM";
    QTest::newRow("12h, zero: noon") << false << true << 12 << "12"
                                     << "PM";
    QTest::newRow("12h, zero: 13") << false << true << 13 << "01"
                                   << "PM";
    QTest::newRow("12h, space: 13") << false << false << 13 << " 1"
                                    << "PM";
    QTest::newRow("12h, space: 23") << false << false << 23 << "11"
                                    << "PM";
}

void ScheduleCtrlTest::hourLabelsFollowTheLocale()
{
    QFETCH(bool, clock24h);
    QFETCH(bool, leadingZero);
    QFETCH(int, hour);
    QFETCH(QString, number);
    QFETCH(QString, designator);

    FakePlatformServices platform;
    platform.locale.clock24h = clock24h;
    platform.locale.hourLeadingZero = leadingZero;
    CScheduleCtrl grid;
    QCOMPARE(grid.hourText(hour), number);
    QCOMPARE(grid.designatorText(hour), designator);
    QCOMPARE(grid.labelColumnWidth(), clock24h ? 60 : 76);

    // The locale is read once, when the control is made.
    platform.locale.clock24h = !clock24h;
    QCOMPARE(grid.hourText(hour), number);

    platform.locale.clock24h = false;
    platform.locale.amDesignator = QStringLiteral("a.m.");
    platform.locale.pmDesignator = QStringLiteral("p");
    CScheduleCtrl longDesignators;
    QCOMPARE(longDesignators.designatorText(0), QStringLiteral("a."));
    QCOMPARE(longDesignators.designatorText(12), QStringLiteral("p"));
}

void ScheduleCtrlTest::cellsShowTheirPatterns_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("100%") << 1.0;
    QTest::newRow("200%") << 2.0;
}

void ScheduleCtrlTest::cellsShowTheirPatterns()
{
    QFETCH(qreal, dpr);

    GridWindow w;
    QVERIFY(w.open({400, 343}));
    w.grid->SetSlot(3 * 15, 0);
    w.grid->SetSlot(9 * 15, 0);
    // A stroke from cell 8 (on) over cell 9 (off) to cell 10, held down while we look.
    QTest::mousePress(w.viewport(), Qt::LeftButton, {}, w.cellPoint(8));
    QTest::mouseMove(w.viewport(), w.cellPoint(10));
    w.other->setFocus(); // keep the focus rectangle out of the picture
    const QImage picture = w.image(dpr);
    QTest::mouseRelease(w.viewport(), Qt::LeftButton, {}, w.cellPoint(10));

    const QSet<QRgb> on{0xFFFF00, 0xFFFFFF};
    const QSet<QRgb> off{0xC0C0C0, 0x808080};
    const QSet<QRgb> stroke{0x808080, 0xFFFFFF};
    const int right = w.viewport()->width() - 1;
    // The interior beside the caption: before its indent, and at the far right.
    const auto interior = [&](int cell) {
        const int top = cell * kCellHeight + 1;
        return coloursIn(picture,
                         QRect(QPoint(w.cellLeft(), top), QPoint(w.cellLeft() + 9, top + 18)))
            .unite(coloursIn(picture, QRect(QPoint(right - 60, top), QPoint(right, top + 18))));
    };
    QCOMPARE(interior(0), on);
    QCOMPARE(interior(3), off);
    QCOMPARE(interior(7), on);
    QCOMPARE(interior(8), stroke);
    QCOMPARE(interior(9), stroke);
    QCOMPARE(interior(10), stroke);
    QCOMPARE(interior(11), on);
    QCOMPARE(interior(16), on);
    // The captions are drawn: dark pixels where the text goes.
    for (int cell : {0, 3, 9})
        QVERIFY2(hasDarkPixels(picture, QRect(w.cellLeft() + 10, cell * kCellHeight + 2, 60, 17)),
                 qPrintable(QStringLiteral("no caption in cell %1").arg(cell)));

    // After the release the run took the stroke value: the pressed cell was on.
    QCOMPARE(w.grid->GetSlot(8 * 15), 0);
    QCOMPARE(w.grid->GetSlot(10 * 15), 0);
    const QImage after = w.image(dpr);
    QCOMPARE(coloursIn(after, QRect(w.cellLeft(), 9 * kCellHeight + 1, 10, 19)), off);
}

void ScheduleCtrlTest::scaleIsDrawn_data()
{
    QTest::addColumn<bool>("clock24h");
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("24-hour clock") << true << 1.0;
    QTest::newRow("12-hour clock") << false << 1.0;
    QTest::newRow("12-hour clock at 200%") << false << 2.0;
}

void ScheduleCtrlTest::scaleIsDrawn()
{
    QFETCH(bool, clock24h);
    QFETCH(qreal, dpr);

    LocaleValues locale;
    locale.clock24h = clock24h;
    locale.hourLeadingZero = false;
    GridWindow w(locale);
    QVERIFY(w.open({400, 343}));
    const QImage picture = w.image(dpr);
    const int width = w.grid->labelColumnWidth();
    const QRgb shadow = w.grid->palette().color(QPalette::Dark).rgb() & 0xFFFFFF;
    const int rows = 340;

    // The white strip is bounded by a shadow line on the left and a black line on the right.
    QCOMPARE(coloursIn(picture, QRect(width, 0, 1, rows)), QSet<QRgb>{shadow});
    QCOMPARE(coloursIn(picture, QRect(width + 1, 0, 5, rows)), QSet<QRgb>{0xFFFFFF});
    QCOMPARE(coloursIn(picture, QRect(width + 6, 0, 1, rows)), QSet<QRgb>{0x000000});
    // Left of the hour lines the scale is plain white.
    QCOMPARE(coloursIn(picture, QRect(0, 0, 4, rows)), QSet<QRgb>{0xFFFFFF});
    // Hour lines (between hours, not above hour 0) and quarter ticks.
    const int tickLeft = clock24h ? 37 : 55;
    QCOMPARE(coloursIn(picture, QRect(5, 80, width - 10, 1)), QSet<QRgb>{shadow});
    QCOMPARE(coloursIn(picture, QRect(tickLeft, 20, width - 5 - tickLeft, 1)), QSet<QRgb>{shadow});
    QVERIFY(!coloursIn(picture, QRect(5, 0, tickLeft - 5, 1)).contains(shadow));

    // Every visible hour has its number, and a 12-hour clock its designator.
    for (int hour = 0; hour < 4; ++hour) {
        const int top = hour * 80;
        QVERIFY2(hasDarkPixels(picture, QRect(0, top + 2, clock24h ? 34 : 33, 78)),
                 qPrintable(QStringLiteral("hour %1 has no number").arg(hour)));
        if (!clock24h)
            QVERIFY(hasDarkPixels(picture, QRect(34, top + 2, 20, 66)));
    }
    // Midnight reads "12" on a 12-hour clock and " 0" on a 24-hour one: "12" is wider.
    const QRect leftHalf(0, 2, 16, 60);
    QCOMPARE(hasDarkPixels(picture, leftHalf), !clock24h);
}

void ScheduleCtrlTest::focusRectangleOnlyWithFocus()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    const QRect focusTop(w.cellLeft() + 5, 1, 100, 1); // cell 0's second row, inside the cell
    w.other->setFocus();
    QCOMPARE(coloursIn(w.image(), focusTop), (QSet<QRgb>{0xFFFF00, 0xFFFFFF}));

    w.grid->setFocus();
    QVERIFY(coloursIn(w.image(), focusTop).contains(0x000000));

    QTest::keyClick(w.grid, Qt::Key_Down);
    QCOMPARE(coloursIn(w.image(), focusTop), (QSet<QRgb>{0xFFFF00, 0xFFFFFF}));
    QVERIFY(coloursIn(w.image(), focusTop.translated(0, kCellHeight)).contains(0x000000));
}

void ScheduleCtrlTest::cellsFillTheWidthAfterResize()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    (void)w.image();
    w.grid->resize(w.grid->width() + 150, w.grid->height());
    QCoreApplication::processEvents();
    const int right = w.viewport()->width() - 1;
    QCOMPARE(coloursIn(w.image(), QRect(QPoint(right - 200, 1), QPoint(right, 19))),
             (QSet<QRgb>{0xFFFF00, 0xFFFFFF}));
    // The wider cells are hit all the way to the right edge.
    w.click(QPoint(right, 50));
    QCOMPARE(w.grid->GetSlot(2 * 15), 0);
}

void ScheduleCtrlTest::linesFollowThePalette()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    (void)w.image();
    QPalette palette = w.grid->palette();
    palette.setColor(QPalette::Dark, QColor(0xFF0000));
    w.grid->setPalette(palette);
    const QImage picture = w.image();
    const int width = w.grid->labelColumnWidth();
    QCOMPARE(coloursIn(picture, QRect(width, 0, 1, 300)), QSet<QRgb>{0xFF0000});
    QCOMPARE(coloursIn(picture, QRect(width + 7, 20, 200, 1)), QSet<QRgb>{0xFF0000});
}

void ScheduleCtrlTest::cellsAreReadAsTimesOfTheGridsClock_data()
{
    QTest::addColumn<bool>("clock24h");
    QTest::addColumn<bool>("leadingZero");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("name");

    QTest::newRow("24-hour, midnight") << true << true << 0 << "00:00";
    QTest::newRow("24-hour, 6:15") << true << true << 25 << "06:15";
    QTest::newRow("24-hour without a zero, 6:15") << true << false << 25 << "6:15";
    QTest::newRow("24-hour, last quarter") << true << true << 95 << "23:45";
    QTest::newRow("12-hour, midnight") << false << false << 0 << "12:00 AM";
    QTest::newRow("12-hour, 6:15") << false << false << 25 << "6:15 AM";
    QTest::newRow("12-hour, noon") << false << false << 48 << "12:00 PM";
    QTest::newRow("12-hour, 1:15 PM") << false << false << 53 << "1:15 PM";
    QTest::newRow("12-hour with a zero, 6:15") << false << true << 25 << "06:15 AM";
}

void ScheduleCtrlTest::cellsAreReadAsTimesOfTheGridsClock()
{
    QFETCH(bool, clock24h);
    QFETCH(bool, leadingZero);
    QFETCH(int, cell);
    QFETCH(QString, name);

    LocaleValues locale;
    locale.clock24h = clock24h;
    locale.hourLeadingZero = leadingZero;
    GridWindow w(locale);
    QVERIFY(w.open({300, 343}));
    w.grid->SetSlot(cell * 15, 0);

    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(w.grid);
    QCOMPARE(table->role(), QAccessible::Table);
    QVERIFY(table->tableInterface());
    QCOMPARE(table->tableInterface()->rowCount(), 96);
    QCOMPARE(table->tableInterface()->columnCount(), 1);
    QCOMPARE(table->childCount(), 96);

    QAccessibleInterface *item = table->tableInterface()->cellAt(cell, 0);
    QVERIFY(item);
    QCOMPARE(item, table->child(cell));
    QCOMPARE(table->indexOfChild(item), cell);
    QCOMPARE(item->role(), QAccessible::Cell);
    QCOMPARE(item->text(QAccessible::Name), name);
    QCOMPARE(item->tableCellInterface()->rowIndex(), cell);
    QVERIFY(item->state().checkable);
    QVERIFY(!item->state().checked);
    QCOMPARE(item->text(QAccessible::Description), QStringLiteral("Camera off"));
    QCOMPARE(table->child((cell + 1) % 96)->text(QAccessible::Description),
             QStringLiteral("Camera on"));
    // Where a screen reader points, the cell is, while it is in view.
    const QPoint centre = item->rect().center();
    const bool inView = w.viewport()->rect().contains(w.cellPoint(cell));
    QCOMPARE(table->childAt(centre.x(), centre.y()), inView ? item : nullptr);
    QCOMPARE(item->state().offscreen, !inView);
}

void ScheduleCtrlTest::screenReaderFollowsCellsAndFocus_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<int>>("arguments");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QList<int>>("offCells");
    QTest::addColumn<int>("focus");
    QTest::addColumn<QList<int>>("stateEvents");
    QTest::addColumn<QList<int>>("focusEvents");

    const QList<int> none;
    QList<int> all;
    for (int i = 0; i < 96; ++i)
        all << i;
    const int space = Qt::Key_Space;
    const int down = Qt::Key_Down;
    const int end = Qt::Key_End;

    QTest::newRow("click a cell") << "click" << QList<int>{3} << false << QList<int>{3} << 3
                                  << QList<int>{3} << QList<int>{3};
    QTest::newRow("click the focus cell")
        << "click" << QList<int>{0} << false << QList<int>{0} << 0 << QList<int>{0} << none;
    QTest::newRow("drag a run") << "drag" << QList<int>{2, 3, 4, 5} << false
                                << QList<int>{2, 3, 4, 5} << 5 << QList<int>{2, 3, 4, 5}
                                << QList<int>{2, 3, 4, 5};
    QTest::newRow("Space") << "keys" << QList<int>{space} << false << QList<int>{0} << 0
                           << QList<int>{0} << none;
    QTest::newRow("Down, Space") << "keys" << QList<int>{down, space} << false << QList<int>{1} << 1
                                 << QList<int>{1} << QList<int>{1};
    QTest::newRow("End") << "keys" << QList<int>{end} << false << none << 95 << none
                         << QList<int>{95};
    QTest::newRow("Down on the last cell")
        << "keys" << QList<int>{end, down} << false << none << 95 << none << QList<int>{95};
    QTest::newRow("Page Down") << "keys" << QList<int>{Qt::Key_PageDown} << false << none << 17
                               << none << QList<int>{17};
    QTest::newRow("End, Home") << "keys" << QList<int>{end, Qt::Key_Home} << false << none << 0
                               << none << QList<int>{95, 0};
    QTest::newRow("All Off") << "all" << QList<int>{0} << false << all << 0 << all << none;
    QTest::newRow("All On over all on")
        << "all" << QList<int>{1} << false << none << 0 << none << none;
    QTest::newRow("a load") << "load" << QList<int>{6 * 60 + 15, 0} << false << QList<int>{25} << 0
                            << QList<int>{25} << none;
    QTest::newRow("read-only Space")
        << "keys" << QList<int>{space} << true << none << 0 << none << none;
    QTest::newRow("read-only Down")
        << "keys" << QList<int>{down} << true << none << 1 << none << QList<int>{1};
}

void ScheduleCtrlTest::screenReaderFollowsCellsAndFocus()
{
    QFETCH(QString, action);
    QFETCH(QList<int>, arguments);
    QFETCH(bool, readOnly);
    QFETCH(QList<int>, offCells);
    QFETCH(int, focus);
    QFETCH(QList<int>, stateEvents);
    QFETCH(QList<int>, focusEvents);

    GridWindow w;
    QVERIFY(w.open({300, 343}));
    w.grid->setReadOnly(readOnly);
    w.grid->setFocus();
    AccessibilityListener reader;

    if (action == QLatin1String("click")) {
        w.click(w.cellPoint(arguments.first()));
    } else if (action == QLatin1String("drag")) {
        QList<QPoint> path;
        for (int cell : arguments)
            path << w.cellPoint(cell);
        w.drag(path);
    } else if (action == QLatin1String("keys")) {
        for (int key : arguments)
            QTest::keyClick(w.grid, Qt::Key(key));
    } else if (action == QLatin1String("all")) {
        w.grid->SetAllSlots(arguments.first());
    } else {
        w.grid->SetSlot(arguments[0], arguments[1]);
    }

    QAccessible::State checked;
    checked.checked = true;
    QCOMPARE(reader.children(w.grid, QAccessible::StateChanged, checked), stateEvents);
    QCOMPARE(reader.children(w.grid, QAccessible::Focus), focusEvents);
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(w.grid);
    for (int i = 0; i < 96; ++i) {
        const QAccessible::State state = table->child(i)->state();
        QVERIFY2(state.checked == !offCells.contains(i), qPrintable(QString::number(i)));
        QVERIFY2(state.focused == (i == focus), qPrintable(QString::number(i)));
    }
    QCOMPARE(table->focusChild(), table->child(focus));
}

// Reaching the grid with Tab, a screen reader hears the grid and then, last, its focus cell.
void ScheduleCtrlTest::tabbingIntoTheGridReadsItsFocusCell()
{
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    w.grid->setFocus();
    QTest::keyClick(w.grid, Qt::Key_Down);
    QTest::keyClick(w.grid, Qt::Key_Down);
    w.other->setFocus();
    AccessibilityListener reader;

    QTest::keyClick(w.other, Qt::Key_Tab);
    QVERIFY(w.grid->hasFocus());
    QCoreApplication::processEvents();
    QList<std::pair<QObject *, int>> focusEvents;
    for (const AccessibilityListener::Event &e : reader.events()) {
        if (e.type == QAccessible::Focus)
            focusEvents.append({e.object, e.child});
    }
    QVERIFY(!focusEvents.isEmpty());
    QCOMPARE(focusEvents.last(), std::make_pair(static_cast<QObject *>(w.grid), 2));
    QVERIFY(QAccessible::queryAccessibleInterface(w.grid)->child(2)->state().focused);
}

void ScheduleCtrlTest::toggleActionTogglesTheCell_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("editable") << false;
    QTest::newRow("read-only") << true;
}

// A screen reader's Toggle on a cell out of view switches it as a click would, makes it the
// focus cell and scrolls it into view, and leaves the keyboard focus where it was.
void ScheduleCtrlTest::toggleActionTogglesTheCell()
{
    QFETCH(bool, readOnly);
    GridWindow w;
    QVERIFY(w.open({300, 343}));
    w.grid->setReadOnly(readOnly);
    w.other->setFocus();

    QAccessibleInterface *cell = QAccessible::queryAccessibleInterface(w.grid)->child(40);
    QVERIFY(cell->state().offscreen);
    QAccessibleActionInterface *actions = cell->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()),
             !readOnly);
    actions->doAction(QAccessibleActionInterface::toggleAction());

    QList<int> expected(96, 1);
    if (!readOnly)
        expected[40] = 0;
    QCOMPARE(w.slotValues(), expected);
    QCOMPARE(cell->state().checked, readOnly);
    QCOMPARE(w.grid->focusCell(), readOnly ? 0 : 40);
    QCOMPARE(cell->state().offscreen, readOnly);
    QVERIFY(w.other->hasFocus());
}

QTEST_MAIN(ScheduleCtrlTest)
#include "tst_schedule_ctrl.moc"
