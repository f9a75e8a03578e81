#include "cards/no_card_dialog.h"

#include "framework/message_service.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int kIconSize = 32;
constexpr int kTextWidthChars = 50;
} // namespace

CNoCardDlg::CNoCardDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("noCardDialog"));
    setWindowTitle(stringText(102));

    // The program's icon where it has one, the information sign otherwise.
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this);
    auto *iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("programIcon"));
    iconLabel->setPixmap(icon.pixmap(kIconSize, kIconSize));
    iconLabel->setAlignment(Qt::AlignTop);

    auto *text = new QLabel(tr("No removable card found.  Insert a properly formatted card and "
                               "select retry or continue read-only."),
                            this);
    text->setObjectName(QStringLiteral("noCardText"));
    text->setWordWrap(true);

    auto *retry = new QPushButton(tr("&Retry"), this);
    retry->setObjectName(QStringLiteral("retryButton"));
    retry->setDefault(true);
    auto *readOnly = new QPushButton(tr("&Continue read-only"), this);
    readOnly->setObjectName(QStringLiteral("readOnlyButton"));
    auto *exit = new QPushButton(tr("E&xit"), this);
    exit->setObjectName(QStringLiteral("exitButton"));

    connect(retry, &QPushButton::clicked, this, [this] { done(Retry); });
    connect(readOnly, &QPushButton::clicked, this, [this] { done(ContinueReadOnly); });
    connect(exit, &QPushButton::clicked, this, &CNoCardDlg::reject);

    auto *message = new QHBoxLayout;
    message->addWidget(iconLabel);
    message->addSpacing(12);
    message->addWidget(text, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(retry);
    buttons->addWidget(readOnly);
    buttons->addWidget(exit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    // A message, not a document: the dialog keeps the size its wrapped text needs.
    text->setMinimumWidth(text->fontMetrics().averageCharWidth() * kTextWidthChars);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    retry->setFocus();
}

void CNoCardDlg::reject()
{
    // Escape and the close box end the dialog like "Exit".
    done(Exit);
}
