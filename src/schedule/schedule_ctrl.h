#pragma once

#include <QAbstractScrollArea>
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

// One day schedule as a single column of 96 quarter-hour cells, midnight at the top, with an
// hour scale on the left. Cells are painted "Camera on" or "Camera off" with the mouse (click
// toggles, a drag paints a run) or the keyboard (a focus cell moved by the arrow and page keys,
// Space toggles). The control keeps its own copy of the values; the page loads and reads them.
class CScheduleCtrl : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr int kCellCount = 96;
    static constexpr int kCellsPerHour = 4;
    static constexpr int kHourHeight = 80;
    static constexpr int kCellHeight = kHourHeight / kCellsPerHour;
    static constexpr int kMinutesPerCell = 15;
    static constexpr int kContentHeight = 24 * kHourHeight + 1;
    static constexpr int kPageStep = kContentHeight / 10;
    static constexpr int kLineStep = kPageStep / 10;

    explicit CScheduleCtrl(QWidget *parent = nullptr);

    // 1 when the quarter hour holding `minute` is on; 0 for an off cell or a minute outside
    // the day.
    int GetSlot(int minute) const;
    // Sets the quarter hour holding `minute` (nonzero = on); a minute outside the day is
    // ignored. Always repaints.
    void SetSlot(int minute, int value);
    void SetAllSlots(int value);
    // A read-only control ignores the mouse and Space but still moves its focus cell.
    void setReadOnly(bool readOnly);

    bool isReadOnly() const { return readOnly; }
    int focusCell() const { return focus; }
    // Width of the hour scale: wider for a 12-hour clock, which needs room for AM/PM.
    int labelColumnWidth() const;
    // The hour number as drawn for hour 0..23 ("07", " 7", "12", ...).
    QString hourText(int hour) const;
    // The AM/PM designator drawn beside hour 0..23; empty with a 24-hour clock.
    QString designatorText(int hour) const;
    // The cell whose stored hit area holds `pos` (viewport coordinates), or -1.
    int cellAt(QPoint pos) const;

    // What assistive technology reads and does (see schedule_accessible.h).
    bool cellOn(int cell) const { return cells[cell].on != 0; }
    // The start of the cell's quarter hour in the grid's clock: "06:15", "6:15 AM".
    QString cellTimeText(int cell) const;
    // "Camera on" or "Camera off", as the cell's caption reads outside a stroke.
    QString cellCaption(int cell) const;
    // Where cell i lies in viewport coordinates, whether scrolled into view or not.
    QRect cellRect(int cell) const;
    // Toggles a cell as a click on it does, without taking the keyboard focus; nothing in a
    // read-only control.
    void toggleCell(int cell);
    // Moves the focus cell there and scrolls it into view, as the arrow keys do.
    void setFocusCell(int cell) { moveFocusTo(cell); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Cell
    {
        QRect hitArea; // content coordinates; empty until laid out
        int on = 1;
    };

    // Everything of a paint that does not change from one paint to the next is drawn once
    // into pixmaps at the target's pixel ratio, so that a paint is mostly block copies.
    struct CellStrips
    {
        int width = 0;
        qreal dpr = 0;
        QPixmap on;
        QPixmap off;
        QPixmap strokeOn; // stroke pattern with the "Camera on" caption
        QPixmap strokeOff;
    };

    // Sets cells first..last to `value` and tells assistive technology which ones changed.
    void setCells(int first, int last, int value);
    // Tells assistive technology where the focus cell is, while the grid has the focus.
    void announceFocusCell();
    void setFocusCellByPointer(int cell);

    void updateScrollRange();
    void layoutCells(int clientWidth);
    void moveFocusTo(int target);
    bool inShownStroke(int cell) const;
    const QPixmap &cellStrip(int cell) const;
    void ensureFonts();
    void ensureLabelColumn(qreal dpr);
    void ensureCellStrips(int cellWidth, qreal dpr);
    QPixmap makeCellStrip(int cellWidth, qreal dpr, const QBrush &brush,
                          const QString &caption) const;

    QColor shadowColour; // the button-shadow colour of the lines
    QBrush focusBrush;   // dotted, for the focus rectangle
    QBrush offBrush;
    QBrush onBrush;
    QBrush strokeBrush;
    QString offCaption;
    QString onCaption;

    std::optional<QFont> hourFont;
    std::optional<QFont> smallFont;
    QPixmap labelColumn; // the hour scale and the separator strip, whole content height
    qreal labelColumnDpr = 0;
    CellStrips strips;

    std::array<Cell, kCellCount> cells;
    int focus = 0;
    int strokeAnchor = 0;
    int strokeEnd = 0;
    int strokeValue = 0;
    bool strokeActive = false; // a press hit a cell and its release has not come yet
    bool strokeShown = false;
    bool clock24h = true;
    bool leadingZero = true;
    QString amDesignator;
    QString pmDesignator;
    bool readOnly = false;
};
