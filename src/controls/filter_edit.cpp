#include "controls/filter_edit.h"

#include "framework/platform_services.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>
#include <QToolTip>
#include <QValidator>

#include <algorithm>
#include <utility>

// The field as the input rules reach it: the line edit's text and selection, and its own
// (unfiltered) handling of the event being processed.
class CFilterEdit::WindowField : public EditField
{
public:
    explicit WindowField(CFilterEdit &edit) : edit(edit) {}

    FieldState fieldState() const override
    {
        // While an input method composes, the line edit counts positions in the text shown
        // with the composition; the rules only ever see positions within the text itself.
        FieldState state;
        state.text = edit.text();
        const int length = int(state.text.size());
        state.cursor = std::clamp(edit.cursorPosition(), 0, length);
        if (edit.hasSelectedText()) {
            state.selectionStart = std::clamp(edit.selectionStart(), 0, length);
            state.selectionEnd = std::clamp(edit.selectionEnd(), state.selectionStart, length);
        } else {
            state.selectionStart = state.selectionEnd = state.cursor;
        }
        return state;
    }

    void setFieldSelection(int start, int end, int cursor) override
    {
        const int length = int(edit.text().size());
        start = std::clamp(start, 0, length);
        end = std::clamp(end, 0, length);
        if (start > end)
            std::swap(start, end);
        if (start == end)
            edit.setCursorPosition(start);
        else if (cursor == start) // selected backwards: the caret ends at the start
            edit.setSelection(end, start - end);
        else
            edit.setSelection(start, end - start);
    }

    void replaceFieldSelection(const QString &text) override { edit.insert(text); }
    void setFieldText(const QString &text) override { edit.SetWindowText(text); }
    // The line edit scrolls to its caret by itself whenever the caret moves.
    void scrollCaretIntoView() override {}

    void defaultChar(QChar c) override
    {
        if (c == QChar(0x08))
            edit.backspace();
        else if (insertsAsText(c))
            edit.insert(QString(c));
    }

    void defaultKeyDown(int key) override
    {
        if (edit.pendingKey && edit.pendingKey->key() == key) {
            edit.QLineEdit::keyPressEvent(edit.pendingKey);
        } else {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            edit.QLineEdit::keyPressEvent(&press);
        }
    }

    void defaultKillFocus() override
    {
        if (edit.pendingFocus)
            edit.QLineEdit::focusOutEvent(edit.pendingFocus);
        else
            edit.deselect();
    }

    void refuseChar(QChar c) override
    {
        EditField::refuseChar(c);
        edit.showRefusal(c);
    }

private:
    CFilterEdit &edit;
};

// Every change of the text that does not come through the field's own steps (the program's
// QLineEdit::setText, insert() or undo(), Qt's internal handling) passes this before the
// line edit shows it or reports it, so the field never holds, or signals, an invalid text.
class CFilterEdit::OutsideChangeFilter : public QValidator
{
public:
    explicit OutsideChangeFilter(CFilterEdit &edit) : QValidator(&edit), edit(edit) {}

    State validate(QString &input, int &pos) const override
    {
        if (edit.filtering == 0) {
            const QString valid = edit.validText(input);
            if (valid != input) {
                input = valid;
                pos = std::min(pos, int(valid.size()));
            }
        }
        return Acceptable;
    }

private:
    CFilterEdit &edit;
};

namespace {
// Marks the field as changing its own text for the length of one step.
class FilteringStep
{
public:
    explicit FilteringStep(int &depth) : depth(depth) { ++depth; }
    ~FilteringStep() { --depth; }
    FilteringStep(const FilteringStep &) = delete;
    FilteringStep &operator=(const FilteringStep &) = delete;

private:
    int &depth;
};

// Keeps a pointer to the event being handled for as long as it is.
template <typename Event> class PendingEvent
{
public:
    PendingEvent(Event *&slot, Event *event) : slot(slot), previous(slot) { slot = event; }
    ~PendingEvent() { slot = previous; }
    PendingEvent(const PendingEvent &) = delete;
    PendingEvent &operator=(const PendingEvent &) = delete;

private:
    Event *&slot;
    Event *previous;
};

bool isBackspace(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    return event->key() == Qt::Key_Backspace && modifiers == Qt::NoModifier;
}

// The text a key press types, as a line edit decides it: nothing for Ctrl combinations
// (shortcuts) and for control characters.
QString typedText(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return {};
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return {};
    if (!insertsAsText(text.at(0)) && text.at(0).category() != QChar::Other_PrivateUse)
        return {};
    return text;
}

QString withShortcut(const QString &text, QKeySequence::StandardKey key)
{
    if (!QGuiApplication::styleHints()->showShortcutsInContextMenus())
        return text;
    return text + QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}
} // namespace

CFilterEdit::CFilterEdit(QWidget *parent)
    : QLineEdit(parent), windowField(std::make_unique<WindowField>(*this))
{
    setValidator(new OutsideChangeFilter(*this));
}

CFilterEdit::~CFilterEdit() = default;

EditField &CFilterEdit::field()
{
    return *windowField;
}

bool CFilterEdit::SetWindowText(const QString &text)
{
    // The line edit takes the text as usual and the filter puts the valid text in its place
    // before anyone sees the given one, also in the middle of one of the field's own steps.
    const int depth = std::exchange(filtering, 0);
    QLineEdit::setText(text);
    filtering = depth;
    return true;
}

void CFilterEdit::Redraw()
{
    const QString valid = GetValidText();
    if (valid != text())
        SetWindowText(valid);
}

QString CFilterEdit::validText(const QString &text) const
{
    return text;
}

void CFilterEdit::restoreSelection(const FieldState &state)
{
    windowField->setFieldSelection(state.selectionStart, state.selectionEnd, state.cursor);
}

void CFilterEdit::reformat()
{
    const QString valid = GetValidText();
    if (valid == text())
        return;
    const FieldState before = windowField->fieldState();
    SetWindowText(valid);
    restoreSelection(before);
}

template <typename Change> void CFilterEdit::changeAsPaste(Change &&change)
{
    settleSelection();
    const FieldState before = windowField->fieldState();
    {
        FilteringStep step(filtering);
        change();
    }
    const QString valid = GetValidText();
    if (valid != text()) {
        SetWindowText(valid);
        restoreSelection(before);
    }
    settleSelection();
}

void CFilterEdit::settleSelection()
{
    // A drop during a composition can put Qt's caret past the text, where its own backspace
    // reads outside the text; nothing may go on from there.
    if (cursorPosition() > text().size())
        setCursorPosition(int(text().size()));
    // While an input method composes, the selection counts the composition too; leave it be.
    if (composing)
        return;
    // Qt's undo and input-method replacements can leave a selection that the caret is not at
    // either end of, or that reaches past the text (hidden while the text is empty); typing
    // would then delete at one place and insert at another. Every step of the field starts
    // and every paste-like step ends with a selection that holds together.
    const int length = int(text().size());
    const int caret = std::clamp(cursorPosition(), 0, length);
    if (!hasSelectedText()) {
        setCursorPosition(caret); // clears a hidden selection
        return;
    }
    const int start = std::clamp(selectionStart(), 0, length);
    const int end = std::clamp(selectionEnd(), start, length);
    const bool whole = start == selectionStart() && end == selectionEnd();
    if (whole && (caret == start || caret == end))
        return;
    if (start < end)
        setSelection(start, end - start);
    else
        setCursorPosition(caret);
}

template <typename Change> void CFilterEdit::changeAndReformat(Change &&change)
{
    {
        FilteringStep step(filtering);
        change();
    }
    reformat();
}

void CFilterEdit::Paste()
{
    if (isReadOnly())
        return;
    const QString clip = platformServices().clipboardText();
    // As a line edit does: an empty clipboard still replaces a selection by nothing.
    if (clip.isEmpty() && !hasSelectedText())
        return;
    changeAsPaste([&] { insert(clip); });
}

void CFilterEdit::Cut()
{
    settleSelection();
    if (isReadOnly() || !hasSelectedText() || echoMode() != QLineEdit::Normal)
        return;
    platformServices().setClipboardText(selectedText());
    sendDeleteKey();
}

void CFilterEdit::Copy()
{
    settleSelection();
    if (hasSelectedText() && echoMode() == QLineEdit::Normal)
        platformServices().setClipboardText(selectedText());
}

void CFilterEdit::Clear()
{
    settleSelection();
    if (isReadOnly() || !hasSelectedText())
        return;
    sendDeleteKey();
}

void CFilterEdit::sendDeleteKey()
{
    // Through the event system, so that the deletion takes the same way as a pressed key.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &press);
}

void CFilterEdit::Undo()
{
    if (!isReadOnly())
        changeAsPaste([&] { undo(); });
}

void CFilterEdit::Redo()
{
    if (!isReadOnly())
        changeAsPaste([&] { redo(); });
}

void CFilterEdit::showRefusal(QChar c)
{
    // Long enough to read, short enough not to linger over the next field.
    constexpr int kShownMs = 2500;
    // Half of a character beyond the basic plane is not printable on its own.
    const QString text = c.isPrint() ? tr("The character \"%1\" cannot be used here.").arg(c)
                                     : tr("This character cannot be used here.");
    QToolTip::showText(mapToGlobal(cursorRect().center()), text, this, QRect(), kShownMs);
}

void CFilterEdit::charTyped(QChar c)
{
    windowField->defaultChar(c);
}

void CFilterEdit::deleteKeyPressed()
{
    windowField->defaultKeyDown(Qt::Key_Delete);
}

void CFilterEdit::focusLost()
{
    windowField->defaultKillFocus();
}

void CFilterEdit::keyPressEvent(QKeyEvent *event)
{
    settleSelection();
    PendingEvent<QKeyEvent> pending(pendingKey, event);
    if (event->matches(QKeySequence::Copy)) {
        Copy();
    } else if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    } else if (event->matches(QKeySequence::Paste)) {
        Paste();
    } else if (event->matches(QKeySequence::Cut)) {
        Cut();
    } else if (event->matches(QKeySequence::Undo)) {
        Undo();
    } else if (event->matches(QKeySequence::Redo)) {
        Redo();
    } else if (event->matches(QKeySequence::Delete)) {
        changeAndReformat([&] { deleteKeyPressed(); });
    } else if (isBackspace(event)) {
        changeAndReformat([&] { charTyped(QChar(0x08)); });
    } else if (const QString typed = typedText(event); !typed.isEmpty()) {
        for (const QChar c : typed)
            changeAndReformat([&] { charTyped(c); });
    } else {
        // Navigation, Return, Escape, word deletion...: the line edit's own handling, which
        // also decides whether the event goes on to the dialog.
        changeAndReformat([&] { QLineEdit::keyPressEvent(event); });
        return;
    }
    event->accept();
}

void CFilterEdit::focusOutEvent(QFocusEvent *event)
{
    // A popup (the context menu) only borrows the focus; the user has not left the field.
    if (event->reason() == Qt::PopupFocusReason) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    PendingEvent<QFocusEvent> pending(pendingFocus, event);
    changeAndReformat([&] { focusLost(); });
}

void CFilterEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createFilteredContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu *CFilterEdit::createFilteredContextMenu()
{
    // The line edit's own menu, item for item and in Qt's words, with each command taking
    // the same filtered way as its key.
    settleSelection();
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("qt_edit_menu"));
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText() && echoMode() == QLineEdit::Normal;
    const auto add = [&](const QString &text, const char *name, bool enabled, auto slot) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setIcon(QIcon::fromTheme(QLatin1String(name)));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    if (editable) {
        add(withShortcut(QLineEdit::tr("&Undo"), QKeySequence::Undo), "edit-undo",
            isUndoAvailable(), &CFilterEdit::Undo);
        add(withShortcut(QLineEdit::tr("&Redo"), QKeySequence::Redo), "edit-redo",
            isRedoAvailable(), &CFilterEdit::Redo);
        menu->addSeparator();
        add(withShortcut(QLineEdit::tr("Cu&t"), QKeySequence::Cut), "edit-cut", selected,
            &CFilterEdit::Cut);
    }
    add(withShortcut(QLineEdit::tr("&Copy"), QKeySequence::Copy), "edit-copy", selected,
        &CFilterEdit::Copy);
    if (editable) {
        add(withShortcut(QLineEdit::tr("&Paste"), QKeySequence::Paste), "edit-paste",
            !platformServices().clipboardText().isEmpty(), &CFilterEdit::Paste);
        add(QLineEdit::tr("Delete"), "edit-delete", hasSelectedText(), &CFilterEdit::Clear);
    }
    if (!menu->isEmpty())
        menu->addSeparator();
    const bool allSelected = selectedText().size() == text().size();
    add(withShortcut(QLineEdit::tr("Select All"), QKeySequence::SelectAll), "select-all",
        !text().isEmpty() && !allSelected, &QLineEdit::selectAll);
    return menu;
}

void CFilterEdit::dropEvent(QDropEvent *event)
{
    if (isReadOnly()) {
        QLineEdit::dropEvent(event);
        return;
    }
    changeAsPaste([&] { QLineEdit::dropEvent(event); });
}

void CFilterEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (isReadOnly()) {
        event->ignore();
        return;
    }
    const QString committed = event->commitString();
    if (committed.isEmpty() || event->replacementLength() != 0) {
        // Composing, or replacing text around the caret: filtered like a paste.
        composing = !event->preeditString().isEmpty();
        changeAsPaste([&] { QLineEdit::inputMethodEvent(event); });
        return;
    }
    // A commit is typing: the composition shown so far goes, each character is typed as if
    // from the keyboard (a forbidden one beeps as it does there), then a new composition shows.
    QInputMethodEvent endComposition;
    composing = false;
    changeAsPaste([&] { QLineEdit::inputMethodEvent(&endComposition); });
    for (const QChar c : committed)
        changeAndReformat([&] { charTyped(c); });
    if (!event->preeditString().isEmpty()) {
        QInputMethodEvent composition(event->preeditString(), event->attributes());
        composing = true;
        changeAsPaste([&] { QLineEdit::inputMethodEvent(&composition); });
    }
    event->accept();
}

void CFilterEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the X11 selection.
    if (event->button() == Qt::MiddleButton && !isReadOnly())
        changeAsPaste([&] { QLineEdit::mouseReleaseEvent(event); });
    else
        QLineEdit::mouseReleaseEvent(event);
}
