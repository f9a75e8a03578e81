#include "scripted_messages.h"

#include <QTest>

ScriptedMessages::ScriptedMessages() : installation(*this) {}

ScriptedMessages::~ScriptedMessages()
{
    for (const Expected &expected : queue) {
        const QString what = expected.stringId
                                 ? QStringLiteral("Message %1").arg(expected.stringId)
                                 : QStringLiteral("The message \"%1\"").arg(expected.text);
        QTest::qFail(qPrintable(what + QStringLiteral(" was expected but never shown.")),
                     expected.here.file, expected.here.line);
    }
}

ScriptedMessages &ScriptedMessages::expect(const QString &text, MessageAnswer answer, Here here)
{
    queue.append({text, 0, answer, here});
    return *this;
}

ScriptedMessages &ScriptedMessages::expect(int stringId, MessageAnswer answer, Here here)
{
    queue.append({stringText(stringId), stringId, answer, here});
    return *this;
}

MessageAnswer ScriptedMessages::show(QWidget *parent, const Message &message)
{
    messages.append(message);
    parents.append(parent);
    if (queue.isEmpty() || queue.first().text != message.text) {
        const QByteArray failure =
            "Unexpected message box: \"" + message.text.toUtf8() + "\"" +
            (queue.isEmpty() ? QByteArray(" (none expected)")
                             : " (expected \"" + queue.first().text.toUtf8() + "\")");
        QTest::qFail(failure.constData(), __FILE__, __LINE__);
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    return queue.takeFirst().answer;
}

const Message &ScriptedMessages::shownMessage(qsizetype index, Here here) const
{
    const qsizetype at = index < 0 ? messages.size() + index : index;
    if (at >= 0 && at < messages.size())
        return messages[at];
    QTest::qFail(
        qPrintable(
            QStringLiteral("No message %1 was shown; %2 came.").arg(index).arg(messages.size())),
        here.file, here.line);
    static const Message none;
    return none;
}

QStringList ScriptedMessages::shownTexts() const
{
    QStringList texts;
    for (const Message &message : messages)
        texts.append(message.text);
    return texts;
}
