#pragma once

#include <QChar>
#include <QString>

// A field's text and selection as the input rules read them: [selectionStart, selectionEnd)
// is selected (empty when they are equal) and the caret sits at one end of it.
struct FieldState
{
    QString text;
    int selectionStart = 0;
    int selectionEnd = 0;
    int cursor = 0;

    bool hasSelection() const { return selectionStart < selectionEnd; }
    bool operator==(const FieldState &) const = default;
};

// True for a character that an edit line's own handling inserts as text when it is typed;
// control characters other than Backspace are not.
inline bool insertsAsText(QChar c)
{
    return c.isPrint() || c.category() == QChar::Other_Format || c.isSurrogate();
}

// What an input rule may do with the field it filters: read the text and selection, select,
// replace the selection, set the whole text, and hand an event to the field's own processing.
// Positions outside the text are clamped to it.
class EditField
{
public:
    virtual ~EditField() = default;

    virtual FieldState fieldState() const = 0;
    // Selects [start, end) with the caret at `cursor` (one of the two ends).
    virtual void setFieldSelection(int start, int end, int cursor) = 0;
    // Replaces the selection by `text` as one undoable edit; the caret goes after it.
    virtual void replaceFieldSelection(const QString &text) = 0;
    // Sets the whole text as the program would; the caret goes to the end.
    virtual void setFieldText(const QString &text) = 0;
    virtual void scrollCaretIntoView() = 0;

    // The field's unfiltered handling of a typed character (Backspace included), of a key
    // press and of losing the focus.
    virtual void defaultChar(QChar c) = 0;
    virtual void defaultKeyDown(int key) = 0;
    virtual void defaultKillFocus() = 0;

    // Tells the user that the typed character `c` was refused: the warning sound, and on
    // screen a cue at the field, since many desktops play no sound.
    virtual void refuseChar(QChar c);

    // Selects [start, end) with the caret at `end`.
    void selectRange(int start, int end) { setFieldSelection(start, end, end); }
};

// A field without a window: text and selection in memory, with a line edit's own handling of
// typing, Backspace, Delete and leaving the field. Lets the rules run where no window exists.
class FieldBuffer : public EditField
{
public:
    FieldBuffer() = default;
    explicit FieldBuffer(const FieldState &state) { setState(state); }

    // Puts the text and selection in place as given (clamped), as a test arranges a field.
    void setState(const FieldState &state);

    FieldState fieldState() const override { return state; }
    void setFieldSelection(int start, int end, int cursor) override;
    void replaceFieldSelection(const QString &text) override;
    void setFieldText(const QString &text) override;
    void scrollCaretIntoView() override {}
    void defaultChar(QChar c) override;
    void defaultKeyDown(int key) override;
    void defaultKillFocus() override;

private:
    void removeSelection();

    FieldState state;
};
