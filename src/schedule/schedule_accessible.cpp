#include "schedule/schedule_accessible.h"

#include <QKeySequence>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// One cell of the grid. It has no object of its own; it reads the grid each time it is
// asked, so it never holds a stale value.
class ScheduleCellAccessible : public QAccessibleInterface,
                               public QAccessibleTableCellInterface,
                               public QAccessibleActionInterface
{
public:
    ScheduleCellAccessible(CScheduleCtrl *grid, int index) : grid(grid), index(index) {}

    bool isValid() const override { return grid && index >= 0 && index < grid->kCellCount; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return grid ? grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(grid);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        switch (t) {
        case QAccessible::Name:
            return grid->cellTimeText(index);
        case QAccessible::Description:
            return grid->cellCaption(index);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect cell = grid->cellRect(index);
        return QRect(grid->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.checkable = true;
        s.checked = grid->cellOn(index);
        s.focusable = grid->focusPolicy() != Qt::NoFocus;
        s.focused = grid->hasFocus() && grid->focusCell() == index;
        s.readOnly = grid->isReadOnly();
        s.disabled = !grid->isEnabled();
        if (!grid->isVisible()) {
            s.invisible = true;
        } else if (!grid->viewport()->rect().intersects(grid->cellRect(index))) {
            s.offscreen = true;
        }
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return false; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return index; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    // QAccessibleActionInterface
    QStringList actionNames() const override
    {
        if (!isValid())
            return {};
        QStringList names{setFocusAction()};
        if (!grid->isReadOnly() && grid->isEnabled())
            names.prepend(toggleAction());
        return names;
    }
    void doAction(const QString &name) override
    {
        if (!isValid() || !grid->isEnabled())
            return;
        if (name == toggleAction()) {
            grid->toggleCell(index);
        } else if (name == setFocusAction()) {
            grid->setFocus(Qt::OtherFocusReason);
            grid->setFocusCell(index);
        }
    }
    QStringList keyBindingsForAction(const QString &name) const override
    {
        if (name == toggleAction())
            return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
        return {};
    }

private:
    QPointer<CScheduleCtrl> grid;
    int index;
};

QAccessibleInterface *scheduleAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(CScheduleCtrl::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new ScheduleGridAccessible(static_cast<CScheduleCtrl *>(object));
    return nullptr;
}

} // namespace

ScheduleGridAccessible::ScheduleGridAccessible(CScheduleCtrl *grid)
    : QAccessibleWidget(grid, QAccessible::Table)
{}

ScheduleGridAccessible::~ScheduleGridAccessible()
{
    for (QAccessible::Id id : cellIds) {
        if (id)
            QAccessible::deleteAccessibleInterface(id);
    }
}

CScheduleCtrl *ScheduleGridAccessible::grid() const
{
    return static_cast<CScheduleCtrl *>(widget());
}

void *ScheduleGridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::Role ScheduleGridAccessible::role() const
{
    return QAccessible::Table;
}

int ScheduleGridAccessible::childCount() const
{
    return CScheduleCtrl::kCellCount;
}

QAccessibleInterface *ScheduleGridAccessible::child(int index) const
{
    if (index < 0 || index >= CScheduleCtrl::kCellCount || !isValid())
        return nullptr;
    if (!cells[index]) {
        cells[index] = new ScheduleCellAccessible(grid(), index);
        cellIds[index] = QAccessible::registerAccessibleInterface(cells[index]);
    }
    return cells[index];
}

int ScheduleGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto found = std::find(cells.begin(), cells.end(), child);
    return found == cells.end() || !child ? -1 : int(found - cells.begin());
}

QAccessibleInterface *ScheduleGridAccessible::childAt(int x, int y) const
{
    if (!isValid())
        return nullptr;
    const QPoint inViewport = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    if (!grid()->viewport()->rect().contains(inViewport))
        return nullptr;
    for (int i = 0; i < CScheduleCtrl::kCellCount; ++i) {
        if (grid()->cellRect(i).contains(inViewport))
            return child(i);
    }
    return nullptr;
}

QAccessibleInterface *ScheduleGridAccessible::focusChild() const
{
    if (!isValid() || !grid()->hasFocus())
        return nullptr;
    return child(grid()->focusCell());
}

QAccessibleInterface *ScheduleGridAccessible::cellAt(int row, int column) const
{
    return column == 0 ? child(row) : nullptr;
}

QString ScheduleGridAccessible::rowDescription(int row) const
{
    if (!isValid() || row < 0 || row >= CScheduleCtrl::kCellCount)
        return {};
    return grid()->cellTimeText(row);
}

int ScheduleGridAccessible::rowCount() const
{
    return CScheduleCtrl::kCellCount;
}

void installScheduleAccessibility()
{
    // Qt keeps one entry per factory, however often it is installed.
    QAccessible::installFactory(scheduleAccessibleFactory);
}
