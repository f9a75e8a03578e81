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
    QString serial;         // the volume serial, "" when the system tells none
};

// The cards one scan found.
struct CardLists
{
    // Roots of the removable FAT drives ("E:", "/media/user/TRAIL"), in drive order.
    QStringList candidateRoots;
    // Their volume serials, in the same order ("" where the system tells none).
    QStringList candidateSerials;
    // Settings paths of those candidates on which the file can be opened, in the same order.
    QStringList rootsWithSettings;
    // The cards that could be mounted for the user, in device order; none where the system
    // mounts every card itself.
    QList<UnmountedCard> unmountedCards;
};

// Fills `lists` afresh from `volumes` by FindCards(); true when there is at least one
// candidate.
bool ScanCards(platform::VolumeSource &volumes, CardLists &lists);
// Whether `lists` hold a card, mounted or not.
bool HasCards(const CardLists &lists);

enum class CardOutcome
{
    CardPath,         // cardSettingsPath names the settings file on the chosen card
    ContinueReadOnly, // no card; the run goes on read-only
    Exit,             // the user gave up; the program ends without a word
};

// The card the user chose, as it was when chosen: the sheet makes sure that this card is still
// the one in the reader just before it writes to it.
struct ChosenCard
{
    QString root;             // where it is mounted: "E:", "/media/user/TRAIL"
    QString serial;           // its volume serial; "" where the system tells none
    QString device;           // "/dev/sdb1" where the source names devices
    bool mountedHere = false; // the editor mounted it, and unmounts it once it is written
};

struct CardSelection
{
    CardOutcome outcome = CardOutcome::Exit;
    QString cardSettingsPath; // empty unless outcome is CardPath
    ChosenCard card = {};     // the card of cardSettingsPath
};

// The whole choice of the card: scans, shows CNoCardDlg while there is none (Retry scans
// again, and so does a card that arrives while it is open, where the source tells of that),
// takes a single card that already holds its settings file without asking, and lets the user
// pick from CSelectCardDlg otherwise. Where the source tells of mounts, a card that is not
// mounted yet is given a moment for the desktop to mount it before the choice is made, so that
// the desktop's automounter does not turn a single prepared card into a list. The dialogs run
// modally with exec() over `parent`; tests answer them from QTimer callbacks through
// QApplication::activeModalWidget() and the dialogs' object names (tests/support/modal_script.h
// does that).
CardSelection SelectCard(platform::VolumeSource &volumes, QWidget *parent = nullptr);
