#pragma once

// Finding the camera's card before the settings sheet opens: which drives are cards, which
// of them already hold a settings file, and the dialogs that let the user choose.

#include "settings/card_scan.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// A removable FAT card that the system knows but has not mounted: choosing it mounts it.
struct UnmountedCard
{
    QString device;         // what VolumeSource::mount() takes: "/dev/sdb1"
    QString volumeName;     // as the system gives it
    QString fileSystemName; // "FAT" or "FAT32", as the system gives it
};

// The cards one scan found.
struct CardLists
{
    // Roots of the removable FAT drives ("E:", "/media/user/TRAIL"), in drive order.
    QStringList candidateRoots;
    // Settings paths of those candidates on which the file can be opened, in the same order.
    QStringList rootsWithSettings;
    // The cards that could be mounted for the user, in device order; none where the system
    // mounts every card itself.
    QList<UnmountedCard> unmountedCards;
};

// Fills `lists` afresh from `volumes` by FindCards(); true when there is at least one
// candidate.
bool ScanCards(platform::VolumeSource &volumes, CardLists &lists);

enum class CardOutcome
{
    CardPath,         // cardSettingsPath names the settings file on the chosen card
    ContinueReadOnly, // no card; the run goes on read-only
    Exit,             // the user gave up; the program ends without a word
};

struct CardSelection
{
    CardOutcome outcome = CardOutcome::Exit;
    QString cardSettingsPath; // empty unless outcome is CardPath
};

// The whole choice of the card: scans, shows CNoCardDlg while there is none (Retry scans
// again, and so does a card that arrives while it is open, where the source tells of that),
// takes a single card that already holds its settings file without asking, and lets the user
// pick from CSelectCardDlg otherwise. The dialogs run modally with exec() over
// `parent`; tests answer them from QTimer callbacks through QApplication::activeModalWidget()
// and the dialogs' object names (tests/support/modal_script.h does that).
CardSelection SelectCard(platform::VolumeSource &volumes, QWidget *parent = nullptr);
