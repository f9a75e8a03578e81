#include "cards/select_card_dialog.h"

#include "cards/card_watch.h"
#include "framework/accessibility.h"
#include "framework/message_service.h"

#include <QDir>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

namespace {
// Each line keeps the index of its candidate, or of its card that is not mounted: a card that
// vanished has no line, so line and candidate positions can differ.
constexpr int kCandidateRole = Qt::UserRole;
constexpr int kUnmountedRole = Qt::UserRole + 1;
// And what names its card across scans, so that the selection stays on the card when lines
// come and go: the volume serial where the system tells one (a card put into another slot is
// the same card, another card put into the same slot is not), else the device (it stays when
// the card is mounted), else the root.
constexpr int kCardRole = Qt::UserRole + 2;
constexpr int kSerialRole = Qt::UserRole + 3;
// Copies of one card share its serial: among them the line keeps its own by its place (the
// device, else the root).
constexpr int kPlaceRole = Qt::UserRole + 4;
// The desktop mounts a card it sees arrive within a second or so.
constexpr std::chrono::milliseconds kDesktopMountWait{3000};
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

QString cardPlace(const QString &device, const QString &root)
{
    return device.isEmpty() ? root : device;
}

QString cardKey(const QString &serial, const QString &device, const QString &root)
{
    return serial.isEmpty() ? cardPlace(device, root) : serial;
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
    connect(cardList, &QListWidget::itemSelectionChanged, this, &CSelectCardDlg::lineSelected);

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
    desktopWait = new QTimer(this);
    desktopWait->setSingleShot(true);
    connect(desktopWait, &QTimer::timeout, this, &CSelectCardDlg::desktopWaitOver);
}

bool CSelectCardDlg::ScanCards()
{
    const bool found = ::ScanCards(volumes, lists);
    // A card keeps the moment it got when first seen unmounted, however often it is scanned.
    QHash<QString, QDeadlineTimer> deadlines;
    for (const UnmountedCard &card : std::as_const(lists.unmountedCards))
        deadlines.insert(card.device,
                         desktopDeadlines.value(card.device, QDeadlineTimer(kDesktopMountWait)));
    desktopDeadlines = deadlines;
    if (awaitingDesktop())
        desktopWait->start(std::chrono::milliseconds(
            desktopDeadlines.value(lists.unmountedCards.front().device).remainingTime()));
    else
        desktopWait->stop();
    return found;
}

bool CSelectCardDlg::awaitingDesktop() const
{
    // Only a single card can be taken without the list; with more, the list shows them all
    // and follows the desktop's mounts itself.
    if (!watch->listening() || !lists.candidateRoots.isEmpty() || lists.unmountedCards.size() != 1)
        return false;
    return !desktopDeadlines.value(lists.unmountedCards.front().device).hasExpired();
}

void CSelectCardDlg::desktopWaitOver()
{
    for (QDeadlineTimer &deadline : desktopDeadlines)
        deadline.setRemainingTime(0);
    emit cardsScanned(hasCards());
}

void CSelectCardDlg::waitForDesktopMounts()
{
    if (!awaitingDesktop())
        return;
    QEventLoop loop;
    connect(this, &CSelectCardDlg::cardsScanned, &loop, &QEventLoop::quit);
    loop.exec();
}

void CSelectCardDlg::volumesChanged()
{
    const bool found = ScanCards();
    if (isVisible())
        fillList();
    if (!awaitingDesktop())
        emit cardsScanned(found);
}

void CSelectCardDlg::setVisible(bool visible)
{
    // Before the dialog takes its size, so that it can fit the lines.
    if (visible && !isVisible()) {
        // A fresh list starts at its first line.
        cardList->clear();
        wantedCard.clear();
        fillList();
        cardList->setFocus();
    }
    QDialog::setVisible(visible);
}

void CSelectCardDlg::fillList()
{
    filling = true;
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
        const QString serial = QString::fromStdString(volume->serial);
        item->setData(kCandidateRole, index);
        item->setData(kSerialRole, serial);
        const QString device = QString::fromStdString(volume->device);
        item->setData(kCardRole, cardKey(serial, device, root));
        item->setData(kPlaceRole, cardPlace(device, root));
    }
    // Cards the system can mount come after those that are ready.
    for (int index = 0; index < lists.unmountedCards.size(); ++index) {
        const UnmountedCard &card = lists.unmountedCards[index];
        auto *item = new QListWidgetItem(
            cardLine(card.volumeName, tr("not mounted"), card.fileSystemName), cardList);
        item->setData(kUnmountedRole, index);
        item->setData(kSerialRole, card.serial);
        item->setData(kCardRole, cardKey(card.serial, card.device, {}));
        item->setData(kPlaceRole, card.device);
    }

    // The chosen card's line, or none at all: never another card's in its place.
    if (wantedCard.isEmpty() && cardList->count() > 0) {
        wantedCard = cardList->item(0)->data(kCardRole).toString();
        wantedPlace = cardList->item(0)->data(kPlaceRole).toString();
    }
    int row = -1;
    for (int line = 0; line < cardList->count(); ++line) {
        const QListWidgetItem *item = cardList->item(line);
        if (item->data(kCardRole).toString() != wantedCard)
            continue;
        if (row < 0 || item->data(kPlaceRole).toString() == wantedPlace)
            row = line;
    }
    wantedCardListed = row >= 0;
    if (wantedCardListed)
        cardList->setCurrentRow(row);
    filling = false;
    updateOkButton();
    // Mount points make long lines: widen the list to show them whole, within reason.
    const int wanted = cardList->sizeHintForColumn(0) + 2 * cardList->frameWidth() +
                       cardList->verticalScrollBar()->sizeHint().width();
    const int averageChar = cardList->fontMetrics().averageCharWidth();
    cardList->setMinimumWidth(
        qBound(averageChar * kNarrowestListChars, wanted, averageChar * kWidestListChars));
}

void CSelectCardDlg::lineSelected()
{
    if (filling)
        return;
    const QList<QListWidgetItem *> chosenLines = cardList->selectedItems();
    if (chosenLines.isEmpty())
        return;
    wantedCard = chosenLines.front()->data(kCardRole).toString();
    wantedPlace = chosenLines.front()->data(kPlaceRole).toString();
    wantedCardListed = true;
    updateOkButton();
}

void CSelectCardDlg::updateOkButton()
{
    okButton->setEnabled(!mounting && (wantedCard.isEmpty() || wantedCardListed));
}

void CSelectCardDlg::accept()
{
    // Enter in the list while a mount is under way, or while the chosen card is away.
    if (!okButton->isEnabled())
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
    useCard({lists.candidateRoots[index], item->data(kSerialRole).toString(), {}, false});
}

void CSelectCardDlg::useCard(const ChosenCard &card)
{
    // Where the source does not tell of changes, the line may be older than the card in the
    // reader: nothing is written to another card, and the list shows what is there now.
    const std::string root = card.root.toStdString();
    if (!IsSameCard(volumes, root, card.serial.toStdString())) {
        ScanCards();
        fillList();
        return;
    }
    // The folder may exist already, or the card may refuse it: the save will say so.
    QDir().mkdir(QString::fromStdString(platform::cardFolder(root)));
    selected = QString::fromStdString(CardSettingsPath(root));
    chosen = card;
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
        useCard({QString::fromStdString(result.mountPoint), card.serial, card.device,
                 result.mountedHere});
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
    updateOkButton();
    cardList->setEnabled(!on);
}
