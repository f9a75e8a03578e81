#include "cards/select_card_dialog.h"

#include "cards/card_watch.h"
#include "framework/accessibility.h"
#include "framework/message_service.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
// Each line keeps the index of its candidate, or of its card that is not mounted: a card that
// vanished has no line, so line and candidate positions can differ.
constexpr int kCandidateRole = Qt::UserRole;
constexpr int kUnmountedRole = Qt::UserRole + 1;
// And what names its card across scans, so that the selection stays on the card when lines
// come and go: the device where the source names one (it stays when the card is mounted),
// the root otherwise.
constexpr int kCardRole = Qt::UserRole + 2;
// The list is at least this many average characters wide, and grows to show its longest
// line up to the most.
constexpr int kNarrowestListChars = 50;
constexpr int kWidestListChars = 100;

// The card's name as its line shows it.
QString cardName(const QString &volumeName)
{
    const QString name = volumeName.trimmed();
    return name.isEmpty() ? CSelectCardDlg::tr("Removable Disk") : printable(name);
}

// "TRAIL (E:) - FAT32 (SwiftShot Models Only)", "SPARE (not mounted)".
QString cardLine(const QString &volumeName, const QString &place, const QString &fileSystemName)
{
    QString line = cardName(volumeName) + QLatin1String(" (") + printable(place) + QLatin1Char(')');
    if (fileSystemName.trimmed().toUpper() == QLatin1String("FAT32"))
        line += CSelectCardDlg::tr(" - FAT32 (SwiftShot Models Only)");
    return line;
}
} // namespace

CSelectCardDlg::CSelectCardDlg(platform::VolumeSource &volumes, QWidget *parent)
    : QDialog(parent), volumes(volumes)
{
    setObjectName(QStringLiteral("selectCardDialog"));
    setWindowTitle(stringText(102));

    auto *prompt = new QLabel(tr("&Select the card to use from the list below."), this);
    prompt->setObjectName(QStringLiteral("selectCardText"));

    cardList = new QListWidget(this);
    cardList->setObjectName(QStringLiteral("cardList"));
    cardList->setSelectionMode(QAbstractItemView::SingleSelection);
    cardList->setSortingEnabled(false);
    cardList->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    prompt->setBuddy(cardList);
    // A list view takes no name from its label.
    setAccessibleLabel(cardList, withoutAccessKey(prompt->text()));

    okButton = new QPushButton(tr("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(okButton, &QPushButton::clicked, this, &CSelectCardDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSelectCardDlg::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(cardList, 1);
    layout->addLayout(buttons);

    watch = new CardWatch(volumes, this);
    connect(watch, &CardWatch::volumesChanged, this, &CSelectCardDlg::volumesChanged);
}

bool CSelectCardDlg::ScanCards()
{
    return ::ScanCards(volumes, lists);
}

void CSelectCardDlg::volumesChanged()
{
    const bool found = ScanCards();
    if (isVisible())
        fillList();
    emit cardsScanned(found);
}

void CSelectCardDlg::setVisible(bool visible)
{
    // Before the dialog takes its size, so that it can fit the lines.
    if (visible && !isVisible()) {
        // A fresh list starts at its first line.
        cardList->clear();
        fillList();
        cardList->setFocus();
    }
    QDialog::setVisible(visible);
}

void CSelectCardDlg::fillList()
{
    const QListWidgetItem *current = cardList->currentItem();
    const QString selectedCard = current ? current->data(kCardRole).toString() : QString();

    cardList->clear();
    for (int index = 0; index < lists.candidateRoots.size(); ++index) {
        const QString &root = lists.candidateRoots[index];
        // Asked again: the card may have gone since the scan.
        const auto volume = volumes.volumeInformation(root.toStdString());
        if (!volume)
            continue;
        auto *item = new QListWidgetItem(cardLine(QString::fromStdString(volume->volumeName), root,
                                                  QString::fromStdString(volume->fileSystemName)),
                                         cardList);
        item->setData(kCandidateRole, index);
        item->setData(kCardRole,
                      volume->device.empty() ? root : QString::fromStdString(volume->device));
    }
    // Cards the system can mount come after those that are ready.
    for (int index = 0; index < lists.unmountedCards.size(); ++index) {
        const UnmountedCard &card = lists.unmountedCards[index];
        auto *item = new QListWidgetItem(
            cardLine(card.volumeName, tr("not mounted"), card.fileSystemName), cardList);
        item->setData(kUnmountedRole, index);
        item->setData(kCardRole, card.device);
    }

    int row = 0;
    for (int line = 0; line < cardList->count() && !selectedCard.isEmpty(); ++line) {
        if (cardList->item(line)->data(kCardRole).toString() == selectedCard)
            row = line;
    }
    if (cardList->count() > 0)
        cardList->setCurrentRow(row);
    // Mount points make long lines: widen the list to show them whole, within reason.
    const int wanted = cardList->sizeHintForColumn(0) + 2 * cardList->frameWidth() +
                       cardList->verticalScrollBar()->sizeHint().width();
    const int averageChar = cardList->fontMetrics().averageCharWidth();
    cardList->setMinimumWidth(
        qBound(averageChar * kNarrowestListChars, wanted, averageChar * kWidestListChars));
}

void CSelectCardDlg::accept()
{
    // Enter in the list while a mount is under way.
    if (mounting)
        return;
    const QList<QListWidgetItem *> chosen = cardList->selectedItems();
    const QListWidgetItem *item = chosen.isEmpty() ? nullptr : chosen.front();
    bool known = false;
    if (const int index = item ? item->data(kUnmountedRole).toInt(&known) : -1;
        known && index >= 0 && index < lists.unmountedCards.size()) {
        mountCard(lists.unmountedCards[index]);
        return;
    }
    const int index = item ? item->data(kCandidateRole).toInt(&known) : -1;
    if (!known || index < 0 || index >= lists.candidateRoots.size()) {
        reject();
        return;
    }
    useCard(lists.candidateRoots[index]);
}

void CSelectCardDlg::useCard(const QString &root)
{
    // The folder may exist already, or the card may refuse it: the save will say so.
    QDir().mkdir(QString::fromStdString(platform::cardFolder(root.toStdString())));
    selected = QString::fromStdString(CardSettingsPath(root.toStdString()));
    QDialog::accept();
}

void CSelectCardDlg::mountCard(const UnmountedCard &card)
{
    setMounting(true);
    // The answer may come after the dialog has gone (Cancel while the system asks for a
    // password).
    QPointer<CSelectCardDlg> dialog(this);
    volumes.mount(card.device.toStdString(), [dialog, card](const platform::MountResult &result) {
        if (dialog)
            dialog->mountFinished(card, result);
    });
}

void CSelectCardDlg::mountFinished(const UnmountedCard &card, const platform::MountResult &result)
{
    setMounting(false);
    if (!isVisible())
        return;
    const QString name =
        cardName(card.volumeName) + QLatin1String(" (") + printable(card.device) + QLatin1Char(')');
    switch (result.outcome) {
    case platform::MountResult::Outcome::Mounted:
        useCard(QString::fromStdString(result.mountPoint));
        return;
    case platform::MountResult::Outcome::Dismissed:
        // The user closed the password prompt: nothing to tell, the list is there still.
        break;
    case platform::MountResult::Outcome::NotAuthorized:
        showMessage(this,
                    tr("You are not allowed to mount the card %1.\n\nMount it with your file "
                       "manager, or ask your administrator for permission, and then choose it "
                       "again.")
                        .arg(name),
                    programName(), MessageIcon::Exclamation);
        break;
    case platform::MountResult::Outcome::Failed:
        showMessage(this,
                    tr("The card %1 could not be mounted.\n\n%2")
                        .arg(name, printable(QString::fromStdString(result.message).trimmed())),
                    programName(), MessageIcon::Stop);
        break;
    }
    cardList->setFocus();
}

void CSelectCardDlg::setMounting(bool on)
{
    mounting = on;
    okButton->setEnabled(!on);
    cardList->setEnabled(!on);
}
