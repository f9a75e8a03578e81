#pragma once

#include "framework/message_service.h"

#include <QList>
#include <QString>

// Stands in for the person answering message boxes: records every message and answers from
// a queue of expected texts. A message that was not expected fails the running test.
class ScriptedMessages : public MessageService
{
public:
    ScriptedMessages();
    ~ScriptedMessages() override;

    // The next message must have exactly this text; it is answered with `answer`.
    ScriptedMessages &expect(const QString &text, MessageAnswer answer = MessageAnswer::Ok);
    // The same for a string-table entry.
    ScriptedMessages &expect(int stringId, MessageAnswer answer = MessageAnswer::Ok);

    MessageAnswer show(QWidget *parent, const Message &message) override;

    // Every message shown so far, in order.
    const QList<Message> &shown() const { return messages; }
    // The window each of them was shown over (null for none).
    const QList<QWidget *> &owners() const { return parents; }
    QStringList shownTexts() const;
    // True when every expected message has come.
    bool allAnswered() const { return queue.isEmpty(); }
    void clear();

private:
    struct Expected
    {
        QString text;
        MessageAnswer answer;
    };
    QList<Expected> queue;
    QList<Message> messages;
    QList<QWidget *> parents;
    ScopedMessageService installation;
};
