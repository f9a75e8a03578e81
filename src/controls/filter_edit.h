#pragma once

#include "controls/edit_field.h"

#include <QLineEdit>

#include <memory>

class QMenu;

// A line edit whose text always passes its filter, whatever route the text takes: typing,
// paste and cut (keyboard and context menu), Delete, undo and redo, drag and drop, input
// methods, and text set by the program. The concrete fields put an input rule behind it;
// this base filters nothing itself.
class CFilterEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit CFilterEdit(QWidget *parent = nullptr);
    ~CFilterEdit() override;

    // Sets the text as the program does; the field shows its valid form. Returns true, as
    // setting a window text does. QLineEdit::setText is filtered the same way.
    bool SetWindowText(const QString &text);

    // Shows the valid text if the field holds another.
    void Redraw();
    // The text the field should show now.
    QString GetValidText() const { return validText(text()); }
    // The text a field holding `text` should show: here `text` unchanged.
    virtual QString validText(const QString &text) const;

    // The edit commands of the keyboard and the context menu.
    void Paste();
    // Copies a non-empty selection to the clipboard and deletes it with a Delete key press
    // through the field's own key handling; with nothing selected nothing happens.
    void Cut();
    void Copy();
    // Deletes a non-empty selection as Cut does, without the clipboard.
    void Clear();
    void Undo();
    void Redo();

    // The context menu, with its commands routed through the filter (the menu is the caller's).
    QMenu *createFilteredContextMenu();

protected:
    // The routes a concrete field fills with its rule. By default the field's own handling.
    virtual void charTyped(QChar c);
    virtual void deleteKeyPressed();
    virtual void focusLost();

    // The field as its rule sees it.
    EditField &field();

    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    class WindowField;
    class OutsideChangeFilter;
    friend class WindowField;
    friend class OutsideChangeFilter;

    // Runs one change of the text by Qt's own handling and then, as after a paste, shows the
    // valid text with the selection from before the change if anything had to go.
    template <typename Change> void changeAsPaste(Change &&change);
    // Runs one change through the field's routes and then reformats if the text is invalid.
    template <typename Change> void changeAndReformat(Change &&change);
    // Makes the text valid, keeping the selection as far as the text reaches.
    void reformat();
    void restoreSelection(const FieldState &state);
    // A brief tooltip at the caret naming a typed character that the field refused.
    void showRefusal(QChar c);
    void settleSelection();
    void sendDeleteKey();

    std::unique_ptr<WindowField> windowField;
    // While above zero, the field is in the middle of one of its own steps, which passes
    // through texts that it makes valid when done.
    int filtering = 0;
    // The event being handled, for the field's default processing.
    QKeyEvent *pendingKey = nullptr;
    QFocusEvent *pendingFocus = nullptr;
    // An input method is showing a composition in the field.
    bool composing = false;
};
