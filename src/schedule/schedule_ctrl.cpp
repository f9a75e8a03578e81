#include "schedule/schedule_ctrl.h"

#include "framework/platform_services.h"
#include "schedule/schedule_accessible.h"

#include <QAccessible>

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QVarLengthArray>
#include <QWheelEvent>

#include <algorithm>

namespace {

// Where the parts of the hour scale sit, in pixels from the left edge. A 12-hour clock needs a
// wider scale for the AM/PM designator; the widths are 3.0 and 3.8 cell heights.
struct ClockLayout
{
    int labelWidth;
    int hourRight; // hour numbers are right-aligned in 0..hourRight
    int designatorLeft;
    int designatorRight;
    int minuteLeft; // minute labels are right-aligned in minuteLeft..minuteRight
    int minuteRight;
    int tickLeft; // quarter-hour ticks, right end exclusive
    int tickRight;
    int hourLineLeft; // hour lines, right end exclusive
    int hourLineRight;
};

constexpr ClockLayout k24HourLayout{60, 34, 0, 0, 34, 55, 37, 55, 5, 55};
constexpr ClockLayout k12HourLayout{76, 33, 34, 54, 33, 71, 55, 71, 5, 71};

constexpr int kSeparatorWidth = 6; // white strip between the scale and the cells
constexpr int kCaptionIndent = 10;
constexpr int kLabelTopMargin = 2;
constexpr int kDesignatorBottomMargin = 12;
constexpr int kMaxFontPointSize = 200; // a font engine that never grows must not hang us

const QString kFaceName = QStringLiteral("Tahoma");

// The 8x8 checkerboards are stored as images so that their colours are data, not code.
QBrush patternBrush(const QString &resource)
{
    return QBrush(QPixmap(resource));
}

// The smallest whole point size whose "00" is at least `targetHeight` pixels high on `device`.
std::optional<QFont> fitFont(int targetHeight, const QPaintDevice *device)
{
    if (targetHeight < 1)
        return std::nullopt;
    QFont font(kFaceName);
    for (int points = 1; points <= kMaxFontPointSize; ++points) {
        font.setPointSize(points);
        if (QFontMetrics(font, device).size(Qt::TextSingleLine, QStringLiteral("00")).height() >=
            targetHeight)
            break;
    }
    return font;
}

} // namespace

CScheduleCtrl::CScheduleCtrl(QWidget *parent)
    : QAbstractScrollArea(parent), focusBrush(Qt::black, Qt::Dense4Pattern),
      offBrush(patternBrush(QStringLiteral(":/schedule/schedule_off.xpm"))),
      onBrush(patternBrush(QStringLiteral(":/schedule/schedule_on.xpm"))),
      strokeBrush(patternBrush(QStringLiteral(":/schedule/schedule_stroke.xpm"))),
      offCaption(tr("Camera off")), onCaption(tr("Camera on"))
{
    const LocaleValues locale = platformServices().localeValues();
    clock24h = locale.clock24h;
    leadingZero = locale.hourLeadingZero;
    amDesignator = locale.amDesignator.left(2);
    pmDesignator = locale.pmDesignator.left(2);

    shadowColour = palette().color(QPalette::Dark);
    installScheduleAccessibility();

    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every paint covers the whole viewport, so Qt need not clear it first.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    updateScrollRange();
}

int CScheduleCtrl::GetSlot(int minute) const
{
    if (minute < 0)
        return 0;
    const int cell = minute / kMinutesPerCell;
    return cell < kCellCount ? cells[cell].on : 0;
}

void CScheduleCtrl::SetSlot(int minute, int value)
{
    if (minute >= 0 && minute / kMinutesPerCell < kCellCount) {
        const int cell = minute / kMinutesPerCell;
        setCells(cell, cell, value);
    }
    viewport()->update();
}

void CScheduleCtrl::SetAllSlots(int value)
{
    setCells(0, kCellCount - 1, value);
}

void CScheduleCtrl::setCells(int first, int last, int value)
{
    const int on = value != 0 ? 1 : 0;
    const bool listened = QAccessible::isActive();
    for (int i = first; i <= last; ++i) {
        if (cells[i].on == on)
            continue;
        cells[i].on = on;
        if (listened) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(this, changed);
            event.setChild(i);
            QAccessible::updateAccessibility(&event);
        }
    }
    viewport()->update();
}

void CScheduleCtrl::announceFocusCell()
{
    if (!hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(focus);
    QAccessible::updateAccessibility(&event);
}

void CScheduleCtrl::setFocusCellByPointer(int cell)
{
    // A press or a drag moves the focus cell without scrolling.
    if (cell == focus)
        return;
    focus = cell;
    announceFocusCell();
}

QString CScheduleCtrl::cellTimeText(int cell) const
{
    const int minute = cell * kMinutesPerCell;
    const int hour = minute / 60;
    QString text = hourText(hour).trimmed() + QLatin1Char(':') +
                   QStringLiteral("%1").arg(minute % 60, 2, 10, QLatin1Char('0'));
    const QString designator = designatorText(hour);
    if (!designator.isEmpty())
        text += QLatin1Char(' ') + designator;
    return text;
}

QString CScheduleCtrl::cellCaption(int cell) const
{
    return cells[cell].on ? onCaption : offCaption;
}

QRect CScheduleCtrl::cellRect(int cell) const
{
    const int left = labelColumnWidth() + kSeparatorWidth + 1;
    return QRect(left, cell * kCellHeight - verticalScrollBar()->value(),
                 std::max(0, viewport()->width() - left), kCellHeight);
}

void CScheduleCtrl::toggleCell(int cell)
{
    if (readOnly || cell < 0 || cell >= kCellCount)
        return;
    moveFocusTo(cell);
    setCells(cell, cell, 1 - cells[cell].on);
}

void CScheduleCtrl::setReadOnly(bool value)
{
    readOnly = value;
    // Still a tab stop, so that the schedule can be scrolled from the keyboard, but a click
    // must not take the focus.
    setFocusPolicy(readOnly ? Qt::TabFocus : Qt::StrongFocus);
    if (readOnly && (strokeActive || strokeShown)) {
        strokeActive = false;
        strokeShown = false;
        viewport()->update();
    }
}

int CScheduleCtrl::labelColumnWidth() const
{
    return clock24h ? k24HourLayout.labelWidth : k12HourLayout.labelWidth;
}

QString CScheduleCtrl::hourText(int hour) const
{
    int shown = hour;
    if (!clock24h) {
        shown = hour % 12;
        if (shown == 0)
            shown = 12;
    }
    return QStringLiteral("%1").arg(shown, 2, 10,
                                    leadingZero ? QLatin1Char('0') : QLatin1Char(' '));
}

QString CScheduleCtrl::designatorText(int hour) const
{
    if (clock24h)
        return {};
    return hour < 12 ? amDesignator : pmDesignator;
}

int CScheduleCtrl::cellAt(QPoint pos) const
{
    if (!viewport()->rect().contains(pos))
        return -1;
    const QPoint content(pos.x(), pos.y() + verticalScrollBar()->value());
    // The last row of one cell is the first of the next; searching downwards gives it to the
    // upper cell.
    for (int i = 0; i < kCellCount; ++i) {
        if (cells[i].hitArea.contains(content))
            return i;
    }
    return -1;
}

void CScheduleCtrl::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, std::max(0, kContentHeight - viewport()->height()));
    bar->setPageStep(kPageStep);
    bar->setSingleStep(kLineStep);
}

void CScheduleCtrl::layoutCells(int clientWidth)
{
    // Each cell reaches one row into the next and one column past the client area, as the
    // hit test expects.
    const int left = labelColumnWidth() + kSeparatorWidth + 1;
    for (int i = 0; i < kCellCount; ++i)
        cells[i].hitArea = QRect(left, i * kCellHeight, clientWidth + 1 - left, kCellHeight + 1);
}

void CScheduleCtrl::moveFocusTo(int target)
{
    target = std::clamp(target, 0, kCellCount - 1);
    if (target == focus)
        return;
    focus = target;
    QScrollBar *bar = verticalScrollBar();
    const int position = bar->value();
    const int windowHeight = viewport()->height();
    const int top = focus * kCellHeight;
    const int bottom = top + kCellHeight;
    if (top < position)
        bar->setValue(top);
    else if (bottom > position + windowHeight)
        bar->setValue(bottom - windowHeight);
    viewport()->update();
    announceFocusCell();
}

bool CScheduleCtrl::inShownStroke(int cell) const
{
    return strokeShown && cell >= std::min(strokeAnchor, strokeEnd) &&
           cell <= std::max(strokeAnchor, strokeEnd);
}

void CScheduleCtrl::ensureFonts()
{
    if (hourFont && smallFont)
        return;
    const QPaintDevice *device = viewport();
    hourFont = fitFont(kCellHeight * 14 / 10, device);
    smallFont = fitFont(kCellHeight * 8 / 10, device);
}

void CScheduleCtrl::ensureLabelColumn(qreal dpr)
{
    if (!labelColumn.isNull() && labelColumnDpr == dpr)
        return;
    const ClockLayout &layout = clock24h ? k24HourLayout : k12HourLayout;
    const int width = layout.labelWidth;
    // The last content row is the bottom line, drawn across the whole width by each paint.
    const QSize size(width + kSeparatorWidth + 1, kContentHeight - 1);
    labelColumn = QPixmap((QSizeF(size) * dpr).toSize());
    labelColumn.setDevicePixelRatio(dpr);
    labelColumnDpr = dpr;

    QPainter painter(&labelColumn);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.fillRect(QRect(width, 0, 1, size.height()), shadowColour);
    painter.fillRect(QRect(width + kSeparatorWidth, 0, 1, size.height()), Qt::black);
    for (int i = 1; i < kCellCount; ++i) {
        const int y = i * kCellHeight;
        if (i % kCellsPerHour != 0)
            painter.fillRect(QRect(layout.tickLeft, y, layout.tickRight - layout.tickLeft, 1),
                             shadowColour);
        else
            painter.fillRect(
                QRect(layout.hourLineLeft, y, layout.hourLineRight - layout.hourLineLeft, 1),
                shadowColour);
    }

    painter.setPen(Qt::black);
    for (int h = 0; h < 24; ++h) {
        const int hourTop = h * kHourHeight;
        if (hourFont) {
            painter.setFont(*hourFont);
            painter.drawText(QRect(0, hourTop + kLabelTopMargin, layout.hourRight,
                                   kHourHeight - kLabelTopMargin),
                             Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, hourText(h));
        }
        if (!smallFont)
            continue;
        painter.setFont(*smallFont);
        if (!clock24h) {
            painter.drawText(QRect(QPoint(layout.designatorLeft, hourTop + kLabelTopMargin),
                                   QPoint(layout.designatorRight - 1,
                                          hourTop + kHourHeight - kDesignatorBottomMargin - 1)),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             designatorText(h));
        }
        for (int q = 0; q < kCellsPerHour; ++q) {
            painter.drawText(
                QRect(layout.minuteLeft, hourTop + kLabelTopMargin + q * kCellHeight,
                      layout.minuteRight - layout.minuteLeft, kCellHeight),
                Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                QStringLiteral("%1").arg(q * kMinutesPerCell, 2, 10, QLatin1Char('0')));
        }
    }
}

QPixmap CScheduleCtrl::makeCellStrip(int cellWidth, qreal dpr, const QBrush &brush,
                                     const QString &caption) const
{
    QPixmap strip((QSizeF(cellWidth, kCellHeight) * dpr).toSize());
    strip.setDevicePixelRatio(dpr);
    QPainter painter(&strip);
    // The checkerboard keeps the phase it has in content coordinates; cells start on even rows.
    painter.setBrushOrigin(-(labelColumnWidth() + kSeparatorWidth + 1), 0);
    painter.fillRect(QRect(0, 0, cellWidth, kCellHeight), brush);
    if (smallFont) {
        painter.setFont(*smallFont);
        painter.setPen(Qt::black);
        painter.drawText(QRect(kCaptionIndent, 0, cellWidth + 1 - kCaptionIndent, kCellHeight + 1),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
    }
    return strip;
}

void CScheduleCtrl::ensureCellStrips(int cellWidth, qreal dpr)
{
    if (strips.width == cellWidth && strips.dpr == dpr)
        return;
    strips.width = cellWidth;
    strips.dpr = dpr;
    strips.on = makeCellStrip(cellWidth, dpr, onBrush, onCaption);
    strips.off = makeCellStrip(cellWidth, dpr, offBrush, offCaption);
    strips.strokeOn = makeCellStrip(cellWidth, dpr, strokeBrush, onCaption);
    strips.strokeOff = makeCellStrip(cellWidth, dpr, strokeBrush, offCaption);
}

const QPixmap &CScheduleCtrl::cellStrip(int cell) const
{
    // Inside a shown stroke the cells keep the caption of the pressed cell's old value, so
    // the run reads as "what you are painting over".
    if (inShownStroke(cell))
        return strokeValue ? strips.strokeOff : strips.strokeOn;
    return cells[cell].on ? strips.on : strips.off;
}

void CScheduleCtrl::paintEvent(QPaintEvent *event)
{
    ensureFonts();
    const int clientWidth = viewport()->width();
    const int scroll = verticalScrollBar()->value();
    layoutCells(clientWidth);

    QPainter painter(viewport());
    const qreal dpr = painter.deviceTransform().m11();
    // Content coordinates from here on.
    painter.translate(0, -scroll);
    const QRect dirty = event->rect().translated(0, scroll);
    if (dirty.bottom() >= kContentHeight) {
        painter.fillRect(QRect(QPoint(dirty.left(), kContentHeight), dirty.bottomRight()),
                         Qt::white);
    }
    const int top = std::max(dirty.top(), 0);
    const int bottom = std::min(dirty.bottom(), kContentHeight - 1);
    if (top > bottom)
        return;

    const int cellLeft = labelColumnWidth() + kSeparatorWidth + 1;
    const int cellWidth = clientWidth - cellLeft;
    const int firstCell = std::min(top / kCellHeight, kCellCount - 1);
    const int lastCell = std::min(bottom / kCellHeight, kCellCount - 1);

    // The painter clips to the dirty rows, so only they are copied.
    ensureLabelColumn(dpr);
    painter.drawPixmap(QPointF(0, 0), labelColumn);

    if (cellWidth > 0) {
        ensureCellStrips(cellWidth, dpr);
        QVarLengthArray<QRect, kCellCount> lines;
        for (int i = firstCell; i <= lastCell; ++i) {
            painter.drawPixmap(QPointF(cellLeft, i * kCellHeight), cellStrip(i));
            if (i > 0)
                lines.append(QRect(cellLeft, i * kCellHeight, cellWidth, 1));
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(shadowColour);
        painter.drawRects(lines.constData(), int(lines.size()));
    }
    if (bottom == kContentHeight - 1)
        painter.fillRect(QRect(0, bottom, clientWidth, 1), shadowColour);

    if (hasFocus() && focus >= firstCell && focus <= lastCell && cellWidth > 0) {
        // A dotted outline of columns cellLeft..clientWidth-1 and rows y+1..y+19, as four
        // one-pixel bars filled with a checkerboard: cheaper than a dashed pen when scaled.
        const QRect frame(QPoint(cellLeft, focus * kCellHeight + 1),
                          QPoint(clientWidth - 1, focus * kCellHeight + kCellHeight - 1));
        const QRect bars[] = {
            QRect(frame.left(), frame.top(), frame.width(), 1),
            QRect(frame.left(), frame.bottom(), frame.width(), 1),
            QRect(frame.left(), frame.top() + 1, 1, frame.height() - 2),
            QRect(frame.right(), frame.top() + 1, 1, frame.height() - 2),
        };
        painter.setPen(Qt::NoPen);
        painter.setBrush(focusBrush);
        painter.drawRects(bars, 4);
    }
}

void CScheduleCtrl::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    // Keep the hit areas right for a click that comes before the next paint.
    layoutCells(viewport()->width());
}

void CScheduleCtrl::scrollContentsBy(int, int)
{
    // The whole column is repainted rather than blitted: a paint is cheap and the hit areas
    // are refreshed with it.
    viewport()->update();
}

void CScheduleCtrl::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (readOnly || event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const int cell = cellAt(event->position().toPoint());
    // A press beside the cells starts no stroke, whatever an earlier stroke left behind.
    strokeActive = cell >= 0;
    strokeShown = false;
    if (strokeActive) {
        strokeAnchor = cell;
        strokeEnd = cell;
        strokeValue = 1 - cells[cell].on;
        setFocusCellByPointer(cell);
    }
    viewport()->update();
}

void CScheduleCtrl::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (readOnly)
        return;
    if (event->buttons().testFlag(Qt::LeftButton)) {
        if (!strokeActive)
            return;
        strokeShown = true;
        const int cell = cellAt(event->position().toPoint());
        if (cell >= 0) {
            strokeEnd = cell;
            setFocusCellByPointer(cell);
        }
        viewport()->update();
    } else if (strokeShown) {
        strokeShown = false;
        viewport()->update();
    }
}

void CScheduleCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (readOnly || event->button() != Qt::LeftButton)
        return;
    if (strokeActive) {
        strokeActive = false;
        setCells(std::min(strokeAnchor, strokeEnd), std::max(strokeAnchor, strokeEnd), strokeValue);
    }
    strokeShown = false;
    viewport()->update();
}

void CScheduleCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click starts no stroke; the first already toggled.
    event->accept();
}

void CScheduleCtrl::keyPressEvent(QKeyEvent *event)
{
    const int pageCells = viewport()->height() / kCellHeight;
    switch (event->key()) {
    case Qt::Key_Space:
        if (!readOnly)
            setCells(focus, focus, 1 - cells[focus].on);
        break;
    case Qt::Key_Up:
        moveFocusTo(focus - 1);
        break;
    case Qt::Key_Down:
        moveFocusTo(focus + 1);
        break;
    case Qt::Key_PageUp:
        moveFocusTo(focus - pageCells);
        break;
    case Qt::Key_PageDown:
        moveFocusTo(focus + pageCells);
        break;
    case Qt::Key_Home:
        moveFocusTo(0);
        break;
    case Qt::Key_End:
        moveFocusTo(kCellCount - 1);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // The arrow keys belong to the control even where they do nothing, so that the
        // dialog does not move the focus away with them.
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CScheduleCtrl::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void CScheduleCtrl::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    // Qt tells assistive technology of the grid's focus after this handler; the focus cell
    // comes after it, so that it is what a screen reader reads last.
    QMetaObject::invokeMethod(this, &CScheduleCtrl::announceFocusCell, Qt::QueuedConnection);
}

void CScheduleCtrl::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void CScheduleCtrl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) {
        shadowColour = palette().color(QPalette::Dark);
        labelColumn = QPixmap(); // drawn with the old colour
    }
    QAbstractScrollArea::changeEvent(event);
}
