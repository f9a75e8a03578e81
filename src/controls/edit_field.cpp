#include "controls/edit_field.h"

#include "framework/platform_services.h"

#include <Qt>

#include <algorithm>

void EditField::refuseChar(QChar)
{
    platformServices().warningBeep();
}

void FieldBuffer::setState(const FieldState &wanted)
{
    state.text = wanted.text;
    setFieldSelection(wanted.selectionStart, wanted.selectionEnd, wanted.cursor);
}

void FieldBuffer::setFieldSelection(int start, int end, int cursor)
{
    const int length = int(state.text.size());
    start = std::clamp(start, 0, length);
    end = std::clamp(end, 0, length);
    cursor = std::clamp(cursor, 0, length);
    if (start > end)
        std::swap(start, end);
    state.selectionStart = start;
    state.selectionEnd = end;
    state.cursor = (start == end || cursor == start) ? start : end;
}

void FieldBuffer::removeSelection()
{
    state.text.remove(state.selectionStart, state.selectionEnd - state.selectionStart);
    setFieldSelection(state.selectionStart, state.selectionStart, state.selectionStart);
}

void FieldBuffer::replaceFieldSelection(const QString &text)
{
    removeSelection();
    state.text.insert(state.cursor, text);
    const int caret = state.cursor + int(text.size());
    setFieldSelection(caret, caret, caret);
}

void FieldBuffer::setFieldText(const QString &text)
{
    state.text = text;
    const int end = int(text.size());
    setFieldSelection(end, end, end);
}

void FieldBuffer::defaultChar(QChar c)
{
    if (c == QChar(0x08)) {
        if (state.hasSelection()) {
            removeSelection();
        } else if (state.cursor > 0) {
            const int at = state.cursor - 1;
            state.text.remove(at, 1);
            setFieldSelection(at, at, at);
        }
    } else if (insertsAsText(c)) {
        replaceFieldSelection(QString(c));
    }
}

void FieldBuffer::defaultKeyDown(int key)
{
    if (key != Qt::Key_Delete)
        return;
    if (state.hasSelection())
        removeSelection();
    else if (state.cursor < state.text.size())
        state.text.remove(state.cursor, 1);
}

void FieldBuffer::defaultKillFocus()
{
    // A line edit gives up its selection with the focus and keeps the caret where it was.
    setFieldSelection(state.cursor, state.cursor, state.cursor);
}
