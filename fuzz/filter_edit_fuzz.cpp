// Drives real filtered fields (offscreen) with arbitrary keystrokes, pastes, cuts, context-menu
// commands, set texts, undo and redo, drops, input-method events, focus changes and changes of
// configuration. After every step the field must show its own valid text within its limits;
// typing, Backspace, Delete and leaving must do what the rule does on a field without a window;
// only a forbidden character typed into a text field may beep; cut and clear of nothing must
// change nothing.
#include "controls/char_filter_edit.h"
#include "controls/edit_field.h"
#include "controls/input_rules.h"
#include "controls/number_edit.h"
#include "framework/platform_services.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {
class FuzzPlatform : public PlatformServices
{
public:
    bool shiftDown() const override { return false; }
    bool ctrlDown() const override { return false; }
    void warningBeep() override { ++beeps; }
    QString clipboardText() const override { return clipboard; }
    void setClipboardText(const QString &text) override { clipboard = text; }
    LocaleValues localeValues() const override { return locale; }
    bool openDocument(const QString &) override { return false; }
    QString programPath() const override { return {}; }
    QDateTime currentLocalDateTime() const override { return {}; }

    int beeps = 0;
    QString clipboard;
    LocaleValues locale;
};

FuzzPlatform *platform = nullptr;

class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size) : data(data), size(size) {}
    bool empty() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    int number()
    {
        const std::uint8_t kind = byte();
        if (kind < 0xF0)
            return int(kind % 24) - 12;
        // Now and then the extremes, for the arithmetic of the limits.
        return kind % 2 == 0 ? INT32_MIN : INT32_MAX;
    }
    QChar character()
    {
        static const QString alphabet = QStringLiteral(
            "0123456789-.,+ aZ()~{}_|<>@\";:[]\\^`%'*?\b\t\x7f\u00e9\u2212\u0301\u0663");
        const std::uint8_t b = byte();
        if (b < 0xF0)
            return alphabet.at(b % alphabet.size());
        return QChar(char16_t((byte() << 8) | byte())); // any UTF-16 unit, surrogates too
    }
    QString text()
    {
        QString result;
        const int length = byte() % 12;
        for (int i = 0; i < length; ++i)
            result += character();
        return result;
    }

private:
    const std::uint8_t *data;
    std::size_t size;
    std::size_t at = 0;
};

[[noreturn]] void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail));
    std::abort();
}

FieldState stateOf(const QLineEdit &edit)
{
    const int caret = edit.cursorPosition();
    FieldState state{edit.text(), caret, caret, caret};
    if (edit.hasSelectedText()) {
        state.selectionStart = edit.selectionStart();
        state.selectionEnd = edit.selectionEnd();
    }
    return state;
}

QString describe(const FieldState &state)
{
    return QStringLiteral("\"%1\" [%2,%3) caret %4")
        .arg(state.text)
        .arg(state.selectionStart)
        .arg(state.selectionEnd)
        .arg(state.cursor);
}

// Independent of the rule: a sign only where allowed, whole digits and decimals within limits.
bool numberWithinLimits(const QString &text, const NumberRule &rule)
{
    qsizetype i = 0;
    if (rule.allowNegative() && i < text.size() && text.at(i) == rule.negativeSign())
        ++i;
    const auto digits = [&] {
        qint64 count = 0;
        while (i < text.size() && text.at(i) >= QLatin1Char('0') &&
               text.at(i) <= QLatin1Char('9')) {
            ++i;
            ++count;
        }
        return count;
    };
    if (digits() > rule.maxWholeDigits())
        return false;
    if (i < text.size() && text.at(i) == rule.decimalPoint()) {
        if (rule.maxDecimalPlaces() == 0)
            return false;
        ++i;
        if (digits() > rule.maxDecimalPlaces())
            return false;
    }
    return i == text.size();
}

bool latin1Only(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

void sendKey(QWidget &edit, int key, Qt::KeyboardModifiers modifiers, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(&edit, &press);
}

void chooseFromMenu(CFilterEdit &edit, int which)
{
    static const char *const names[] = {"edit-undo",  "edit-redo",   "edit-cut",  "edit-copy",
                                        "edit-paste", "edit-delete", "select-all"};
    std::unique_ptr<QMenu> menu(edit.createFilteredContextMenu());
    QAction *action = menu->findChild<QAction *>(QLatin1String(names[which % 7]));
    if (action && action->isEnabled())
        action->trigger();
}
} // namespace

// Qt's font database asks fontconfig for the system fonts the first time a field measures
// text; fontconfig keeps that setup for the life of the process in memory the leak checker
// cannot see a pointer to. It is no leak of ours or of the fields'.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's application object and the platform stand-in live for the whole run; they are
    // reachable from here, so the leak checker does not count them.
    static int argc = 1;
    static char name[] = "filter_edit_fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication *application = new QApplication(argc, argv);
    static FuzzPlatform services;
    static ScopedPlatformServices installed(services);
    Q_UNUSED(application);
    platform = &services;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    const int config = in.byte() % 8;
    platform->locale = LocaleValues{};
    if (config == 3)
        platform->locale.decimalPoint = QLatin1Char(',');
    platform->clipboard.clear();
    platform->beeps = 0;

    // The pages' configurations: 4/0, 2/0, 2/1, 2/1 with ",", 2/1 signed; label, phone, e-mail.
    std::unique_ptr<CFilterEdit> edit;
    CNumberEdit *number = nullptr;
    CCharFilterEdit *chars = nullptr;
    if (config <= 4) {
        static const int whole[] = {-4, -2, -2, -2, 2};
        static const int decimals[] = {0, 0, 1, 1, 1};
        number = new CNumberEdit(9, 4);
        number->SetMaxWholeDigits(whole[config]);
        number->SetMaxDecimalPlaces(decimals[config]);
        edit.reset(number);
    } else {
        QString forbidden;
        if (config == 5) {
            forbidden = QStringLiteral("~^_`{}|");
        } else if (config == 6) {
            for (char c = 0x21; c <= 0x7E; ++c) {
                if (!(c >= '0' && c <= '9') && c != '-')
                    forbidden += QLatin1Char(c);
            }
        } else {
            forbidden = QStringLiteral("()[]\\;:\",<>");
        }
        chars = new CCharFilterEdit(0, forbidden);
        edit.reset(chars);
    }

    // While an input method composes, the line edit reports positions in the text shown with
    // the composition: no comparison with the rule then. Keys, drops and commands still come,
    // as a platform may pass them on, and must leave a valid text.
    bool composing = false;
    for (int step = 0; step < 256 && !in.empty(); ++step) {
        const int op = in.byte() % 15;
        const FieldState before = stateOf(*edit);
        const QString clipboardBefore = platform->clipboard;
        int expectedBeeps = 0;
        std::optional<FieldState> byRule;
        bool emptyCut = false;

        // The rule alone on a copy of the field; Qt moves by grapheme and surrogate pair where
        // the plain buffer moves by unit, so the comparison keeps to single-byte text.
        const auto ruleAlone = [&](auto &&apply, QChar typed = QChar(u'0')) {
            if (composing || !latin1Only(before.text) || typed.unicode() > 0xFF)
                return;
            FieldBuffer buffer(before);
            const int beeps = platform->beeps;
            if (number) {
                const NumberRule &r = number->rule();
                NumberRule rule(buffer,
                                r.allowNegative() ? r.maxWholeDigits() : -r.maxWholeDigits(),
                                r.maxDecimalPlaces());
                apply(static_cast<InputRule &>(rule));
            } else {
                CharFilterRule rule(buffer, chars->rule().maxChars(), chars->rule().invalidChars());
                apply(static_cast<InputRule &>(rule));
            }
            platform->beeps = beeps;
            byRule = buffer.fieldState();
        };
        const auto forbiddenIn = [&](const QString &typed) {
            int count = 0;
            for (const QChar c : typed)
                count += chars && chars->rule().invalidChars().contains(c) ? 1 : 0;
            return count;
        };

        switch (op) {
        case 0: {
            const QChar c = in.character();
            if (c == QChar(0x08) || c == QChar(0x09) || c == QChar(0x7F) || c.unicode() < 0x20)
                break; // not typed text; Backspace has its own step
            ruleAlone([&](InputRule &rule) { rule.OnChar(c); }, c);
            sendKey(*edit, Qt::Key_A, Qt::NoModifier, QString(c));
            expectedBeeps = forbiddenIn(QString(c));
            if (!insertsAsText(c) && c.category() != QChar::Other_PrivateUse) {
                byRule.reset(); // the line edit does not take it as typed text
                expectedBeeps = 0;
            }
            break;
        }
        case 1:
            ruleAlone([&](InputRule &rule) { rule.OnChar(QChar(0x08)); });
            sendKey(*edit, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
            expectedBeeps = forbiddenIn(QStringLiteral("\b")); // a set may even forbid it
            break;
        case 2:
            ruleAlone([&](InputRule &rule) { rule.OnKeyDown(Qt::Key_Delete); });
            sendKey(*edit, Qt::Key_Delete, Qt::NoModifier);
            break;
        case 3: {
            const int length = int(edit->text().size()) + 1;
            const int a = in.byte() % length;
            const int b = in.byte() % length;
            edit->setSelection(a, b - a);
            break;
        }
        case 4: {
            static const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End};
            const std::uint8_t b = in.byte();
            sendKey(*edit, keys[b % 4], (b & 4) ? Qt::ShiftModifier : Qt::NoModifier);
            break;
        }
        case 5:
            platform->clipboard = in.text();
            sendKey(*edit, Qt::Key_V, Qt::ControlModifier);
            break;
        case 6: {
            const int which = in.byte();
            emptyCut = (which % 7 == 2 || which % 7 == 5) && !before.hasSelection();
            if (which % 7 == 4)
                platform->clipboard = in.text();
            chooseFromMenu(*edit, which);
            break;
        }
        case 7: {
            const std::uint8_t b = in.byte() % 3;
            emptyCut = b < 2 && !before.hasSelection();
            if (b == 0)
                sendKey(*edit, Qt::Key_X, Qt::ControlModifier);
            else if (b == 1)
                sendKey(*edit, Qt::Key_Delete, Qt::ShiftModifier);
            else
                sendKey(*edit, Qt::Key_C, Qt::ControlModifier);
            break;
        }
        case 8: {
            const std::uint8_t b = in.byte() % 3;
            const QString text = in.text();
            if (b == 0)
                edit->SetWindowText(text);
            else if (b == 1)
                static_cast<QLineEdit &>(*edit).setText(text);
            else
                edit->insert(text);
            break;
        }
        case 9: {
            const std::uint8_t b = in.byte() % 4;
            if (b == 0)
                sendKey(*edit, Qt::Key_Z, Qt::ControlModifier);
            else if (b == 1)
                sendKey(*edit, Qt::Key_Y, Qt::ControlModifier);
            else if (b == 2)
                edit->undo();
            else
                edit->redo();
            break;
        }
        case 10: {
            QMimeData mime;
            mime.setText(in.text());
            const QPoint at(in.byte() % 120, 5);
            QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(edit.get(), &enter);
            QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(edit.get(), &drop);
            break;
        }
        case 11: {
            const std::uint8_t b = in.byte();
            const QString preedit = (b & 1) ? in.text() : QString();
            QInputMethodEvent event(preedit, {});
            const QString commit = in.text();
            if (b & 2)
                event.setCommitString(commit, -int(in.byte() % 4), in.byte() % 4);
            else
                event.setCommitString(commit);
            if (event.replacementLength() == 0)
                expectedBeeps = forbiddenIn(commit);
            QCoreApplication::sendEvent(edit.get(), &event);
            composing = !preedit.isEmpty();
            break;
        }
        case 12: {
            static const Qt::FocusReason reasons[] = {Qt::OtherFocusReason, Qt::PopupFocusReason,
                                                      Qt::ActiveWindowFocusReason};
            const Qt::FocusReason reason = reasons[in.byte() % 3];
            if (reason == Qt::OtherFocusReason)
                ruleAlone([&](InputRule &rule) { rule.OnKillFocus(); });
            QFocusEvent out(QEvent::FocusOut, reason);
            QCoreApplication::sendEvent(edit.get(), &out);
            break;
        }
        case 13: {
            const std::uint8_t b = in.byte() % 3;
            if (number && b == 0)
                number->SetMaxWholeDigits(in.number());
            else if (number && b == 1)
                number->SetMaxDecimalPlaces(in.number());
            else if (number)
                number->AllowNegative(in.byte() & 1);
            else
                chars->SetInvalidCharacters(in.text());
            break;
        }
        default: {
            static const int keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_K,
                                       Qt::Key_U,         Qt::Key_Return, Qt::Key_Escape};
            const std::uint8_t b = in.byte();
            sendKey(*edit, keys[b % 6], (b & 8) ? Qt::ControlModifier : Qt::NoModifier);
            if (keys[b % 6] == Qt::Key_Backspace && !(b & 8))
                expectedBeeps = forbiddenIn(QStringLiteral("\b"));
            break;
        }
        }

        const FieldState after = stateOf(*edit);
        if (qEnvironmentVariableIsSet("FILTER_EDIT_FUZZ_TRACE"))
            std::fprintf(stderr, "op %d%s: %s -> %s\n", op, composing ? " composing" : "",
                         qPrintable(describe(before)), qPrintable(describe(after)));
        if (edit->GetValidText() != after.text)
            fail("not its own valid text",
                 after.text + QStringLiteral(" -> ") + edit->GetValidText());
        if (number && !numberWithinLimits(after.text, number->rule()))
            fail("number beyond the field's limits", after.text);
        if (chars) {
            for (const QChar c : after.text) {
                if (chars->rule().invalidChars().contains(c))
                    fail("forbidden character shown", after.text);
            }
        }
        if (platform->beeps != expectedBeeps)
            fail("unexpected beeps", QString::number(platform->beeps));
        platform->beeps = 0;
        if (byRule && after != *byRule)
            fail("field and rule disagree", describe(before) + QStringLiteral(" -> ") +
                                                describe(after) + QStringLiteral(" / rule: ") +
                                                describe(*byRule));
        if (emptyCut && (after.text != before.text || platform->clipboard != clipboardBefore))
            fail("cut of nothing changed something", after.text);
    }
    edit.reset();
    // Nothing runs an event loop here: deliver what the widgets posted, or it piles up.
    QCoreApplication::sendPostedEvents();
    return 0;
}
