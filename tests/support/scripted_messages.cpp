#include "scripted_messages.h"

#include <QTest>

ScriptedMessages::ScriptedMessages() : installation(*this) {}

ScriptedMessages::~ScriptedMessages() = default;

ScriptedMessages &ScriptedMessages::expect(const QString &text, MessageAnswer answer)
{
    queue.append({text, answer});
    return *this;
}

ScriptedMessages &ScriptedMessages::expect(int stringId, MessageAnswer answer)
{
    return expect(stringText(stringId), answer);
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

QStringList ScriptedMessages::shownTexts() const
{
    QStringList texts;
    for (const Message &message : messages)
        texts.append(message.text);
    return texts;
}

void ScriptedMessages::clear()
{
    queue.clear();
    messages.clear();
    parents.clear();
}
