#include "framework/notice_band.h"

#include <QAccessible>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

NoticeBand::NoticeBand(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("noticeBand"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    // The colours of a tool tip: set apart from the window, readable in every theme.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);
    setAccessibleName(tr("Notice"));

    auto *icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this)
                        .pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    message = new QLabel(this);
    message->setObjectName(QStringLiteral("noticeText"));
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::NoTextInteraction);
    message->setTextFormat(Qt::PlainText);

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(message, 1);
    buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    auto *rows = new QVBoxLayout(this);
    rows->addLayout(top);
    rows->addLayout(buttonRow);
    hide();
}

QPushButton *NoticeBand::addButton(const QString &text, const char *name,
                                   std::function<void()> action, bool closes)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    // Enter in the window still means its default button, never a choice made here.
    button->setAutoDefault(false);
    buttonRow->addWidget(button);
    choices.append(button);
    connect(button, &QPushButton::clicked, this, [this, action = std::move(action), closes] {
        if (closes)
            dismiss();
        action();
    });
    return button;
}

QString NoticeBand::text() const
{
    return message->text();
}

void NoticeBand::showNotice(const QString &text)
{
    message->setText(text);
    setAccessibleDescription(text);
    // Shown without taking the focus from where the user is.
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
    QAccessibleEvent announcement(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&announcement);
}

void NoticeBand::dismiss()
{
    QWidget *focus = QApplication::focusWidget();
    if (isAncestorOf(focus)) {
        // The next control after the band that the keyboard can reach.
        for (QWidget *next = focus->nextInFocusChain(); next != focus;
             next = next->nextInFocusChain()) {
            if (!isAncestorOf(next) && next != this && next->isVisible() && next->isEnabled() &&
                (next->focusPolicy() & Qt::TabFocus)) {
                next->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    hide();
}
