#include "framework/message_service.h"

#include "framework/file_paths.h"
#include "framework/platform_services.h"
#include "platform/text.h"
#include "resources/string_table.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {
MessageService *installed = nullptr;

QtMessageService &desktopService()
{
    static QtMessageService service;
    return service;
}

QMessageBox::StandardButton standardButton(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

MessageService &messageService()
{
    return installed ? *installed : desktopService();
}

ScopedMessageService::ScopedMessageService(MessageService &service) : previous(installed)
{
    installed = &service;
}

ScopedMessageService::~ScopedMessageService()
{
    installed = previous;
}

MessageAnswer QtMessageService::show(QWidget *parent, const Message &message)
{
    QMessageBox box(boxIcon(message.icon), message.caption, message.text, QMessageBox::NoButton,
                    parent);
    // Messages carry volume labels, paths and the system's own words: never markup.
    box.setTextFormat(Qt::PlainText);
    if (message.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(standardButton(message.defaultButton));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

QString printable(const QString &text)
{
    return QString::fromStdString(PrintableText(text.toStdString()));
}

QString programName()
{
    return QFileInfo(platformServices().programPath()).completeBaseName();
}

QString stringText(int id)
{
    const std::string_view text = strings::Text(id);
    return QCoreApplication::translate(strings::kContext,
                                       QByteArray(text.data(), qsizetype(text.size())).constData());
}

MessageAnswer showMessage(QWidget *parent, const QString &text, const QString &caption,
                          MessageIcon icon, MessageButtons buttons, MessageAnswer defaultButton)
{
    if (buttons == MessageButtons::YesNo && defaultButton == MessageAnswer::Ok)
        defaultButton = MessageAnswer::Yes;
    return messageService().show(parent, Message{text, caption, icon, buttons, defaultButton});
}

QString fileErrorText(platform::FileErrorCause cause, const QString &fileName)
{
    QString text = QCoreApplication::translate("FileError", strings::FileErrorText(cause));
    if (text.contains(QLatin1String("%1")))
        text = text.arg(fileName);
    return text;
}

void showFileError(QWidget *parent, const MediumError &error)
{
    const QString fileName = printable(fromFilePath(error.path()));
    showMessage(parent, fileErrorText(error.cause(), fileName), programName(), MessageIcon::Stop);
}

void MessageBoxFileMessages::ShowFileError(int messageId)
{
    showMessage(nullptr, stringText(messageId), stringText(102), MessageIcon::Stop);
}
