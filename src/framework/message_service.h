#pragma once

#include "platform/native_file.h"
#include "settings/settings_file.h"

#include <QString>

class QWidget;

// Every message box of the program goes through one service: the desktop shows a
// QMessageBox, tests install a scripted double that records and answers.

enum class MessageIcon
{
    None,
    Information,
    Question,
    Exclamation,
    Stop,
};

enum class MessageButtons
{
    Ok,
    YesNo,
};

enum class MessageAnswer
{
    Ok,
    Yes,
    No,
    Cancel,
};

struct Message
{
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;
};

class MessageService
{
public:
    virtual ~MessageService() = default;
    // Shows `message` modally over `parent` (none: owned by no window) and returns the answer.
    virtual MessageAnswer show(QWidget *parent, const Message &message) = 0;
};

MessageService &messageService();

// Installs `service` (not owned) until the guard goes; for tests.
class ScopedMessageService
{
public:
    explicit ScopedMessageService(MessageService &service);
    ~ScopedMessageService();
    ScopedMessageService(const ScopedMessageService &) = delete;
    ScopedMessageService &operator=(const ScopedMessageService &) = delete;

private:
    MessageService *previous;
};

class QtMessageService : public MessageService
{
public:
    MessageAnswer show(QWidget *parent, const Message &message) override;
};

// A text from outside the program (a volume label, a path, the system's words) as it goes into
// a message or a list line: one visible line, whatever characters it holds (PrintableText).
QString printable(const QString &text);

// The program's name as captions use it: the base name of its executable file.
QString programName();

// A string-table entry (ids 102..126), translated.
QString stringText(int id);

// Shows a message; the default button is the first one unless given.
MessageAnswer showMessage(QWidget *parent, const QString &text, const QString &caption,
                          MessageIcon icon, MessageButtons buttons = MessageButtons::Ok,
                          MessageAnswer defaultButton = MessageAnswer::Ok);

// The file-error message for a failure of the medium, worded by cause with the file's name
// (stop icon, OK, captioned with the program's name).
QString fileErrorText(platform::FileErrorCause cause, const QString &fileName);
void showFileError(QWidget *parent, const MediumError &error);

// Settings-file messages 108 and 109 as message boxes owned by no window.
class MessageBoxFileMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int messageId) override;
};
