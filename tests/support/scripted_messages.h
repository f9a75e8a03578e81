#pragma once

#include "framework/message_service.h"
#include "test_location.h"

#include <QList>
#include <QString>

// Stands in for the person answering message boxes: records every message and answers from
// a queue of expected texts. A message that was not expected fails the running test; so does
// an expected one that never came, when the double goes at the end of the test, at the line
// that expected it.
class ScriptedMessages : public MessageService
{
public:
    ScriptedMessages();
    ~ScriptedMessages() override;
    ScriptedMessages(const ScriptedMessages &) = delete;
    ScriptedMessages &operator=(const ScriptedMessages &) = delete;

    // The next message must have exactly this text; it is answered with `answer`.
    ScriptedMessages &expect(const QString &text, MessageAnswer answer = MessageAnswer::Ok,
                             Here here = {});
    // The same for a string-table entry.
    ScriptedMessages &expect(int stringId, MessageAnswer answer = MessageAnswer::Ok,
                             Here here = {});

    MessageAnswer show(QWidget *parent, const Message &message) override;

    // Every message shown so far, in order.
    const QList<Message> &shown() const { return messages; }
    // The message shown at `index`, counted from the end when negative. When there is none the
    // test fails at its own line and gets an empty message, instead of reading past the end.
    const Message &shownMessage(qsizetype index = 0, Here here = {}) const;
    // The window each of them was shown over (null for none).
    const QList<QWidget *> &owners() const { return parents; }
    QStringList shownTexts() const;

private:
    struct Expected
    {
        QString text;
        int stringId; // 0 for a text that is not a string-table entry
        MessageAnswer answer;
        Here here;
    };
    QList<Expected> queue;
    QList<Message> messages;
    QList<QWidget *> parents;
    ScopedMessageService installation;
};
