#include "app/select_card_dialog.h"

#include "framework/message_service.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
// Each line keeps the index of its candidate: a card that vanished has no line, so line and
// candidate positions can differ.
constexpr int kCandidateRole = Qt::UserRole;
// The list is at least this many average characters wide, and grows to show its longest
// line up to the most.
constexpr int kNarrowestListChars = 50;
constexpr int kWidestListChars = 100;
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

    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &CSelectCardDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSelectCardDlg::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(cardList, 1);
    layout->addLayout(buttons);
}

bool CSelectCardDlg::ScanCards()
{
    return ::ScanCards(volumes, lists);
}

void CSelectCardDlg::setVisible(bool visible)
{
    // Before the dialog takes its size, so that it can fit the lines.
    if (visible && !isVisible())
        fillList();
    QDialog::setVisible(visible);
}

void CSelectCardDlg::fillList()
{
    cardList->clear();
    for (int index = 0; index < lists.candidateRoots.size(); ++index) {
        const QString &root = lists.candidateRoots[index];
        // Asked again: the card may have gone since the scan.
        const auto volume = volumes.volumeInformation(root.toStdString());
        if (!volume)
            continue;
        QString name = QString::fromStdString(volume->volumeName).trimmed();
        if (name.isEmpty())
            name = tr("Removable Disk");
        QString line = name + QLatin1String(" (") + root + QLatin1Char(')');
        const QString fileSystem = QString::fromStdString(volume->fileSystemName);
        if (fileSystem.trimmed().toUpper() == QLatin1String("FAT32"))
            line += tr(" - FAT32 (SwiftShot Models Only)");
        auto *item = new QListWidgetItem(line, cardList);
        item->setData(kCandidateRole, index);
    }
    if (cardList->count() > 0)
        cardList->setCurrentRow(0);
    // Mount points make long lines: widen the list to show them whole, within reason.
    const int wanted = cardList->sizeHintForColumn(0) + 2 * cardList->frameWidth() +
                       cardList->verticalScrollBar()->sizeHint().width();
    const int averageChar = cardList->fontMetrics().averageCharWidth();
    cardList->setMinimumWidth(
        qBound(averageChar * kNarrowestListChars, wanted, averageChar * kWidestListChars));
    cardList->setFocus();
}

void CSelectCardDlg::accept()
{
    const QList<QListWidgetItem *> chosen = cardList->selectedItems();
    bool known = false;
    const int index = chosen.isEmpty() ? -1 : chosen.front()->data(kCandidateRole).toInt(&known);
    if (!known || index < 0 || index >= lists.candidateRoots.size()) {
        reject();
        return;
    }
    const QString &root = lists.candidateRoots[index];
    // The folder may exist already, or the card may refuse it: the save will say so.
    QDir().mkdir(QString::fromStdString(platform::cardFolder(root.toStdString())));
    selected = QString::fromStdString(CardSettingsPath(root.toStdString()));
    QDialog::accept();
}
