#pragma once

#include "schedule/schedule_ctrl.h"

#include <QAccessibleWidget>

#include <array>

// The schedule grid as assistive technology sees it: a table of 96 rows with one cell each,
// a cell named by the start of its quarter hour in the grid's clock, checked while it is
// "Camera on", focused while it is the grid's focus cell, with an action that toggles it.
// The grid paints its cells itself, so Qt cannot infer any of this.
class ScheduleGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit ScheduleGridAccessible(CScheduleCtrl *grid);
    ~ScheduleGridAccessible() override;

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::Role role() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // QAccessibleTableInterface
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface *> selectedCells() const override { return {}; }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return 1; }
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    // The cells are checked, not selected: there is nothing to select.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

    CScheduleCtrl *grid() const;

private:
    // Made on first use and owned by Qt's registry of interfaces until this one goes.
    mutable std::array<QAccessibleInterface *, CScheduleCtrl::kCellCount> cells{};
    mutable std::array<QAccessible::Id, CScheduleCtrl::kCellCount> cellIds{};
};

// Lets Qt build the interface above for every schedule grid; the grid calls it.
void installScheduleAccessibility();
