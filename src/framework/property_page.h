#pragma once

// Every page and dialog of the editor has the same skeleton:
// - buildControls() makes the controls, lays them out and connects them, once, from
//   initializePage, when the window is first shown (groups of a long window have builders of
//   their own);
// - load() moves the record into the controls, save() the controls into the record, checking
//   in the window's order; the framework's exchange runs one or the other. Where both move
//   the same fields in the same order, transfer() holds that order once;
// - applyReadOnly() disables what a read-only run must not change; it asks the run itself,
//   and initializePage calls it last;
// - messages are shown by their names in the string table (strings::MessageId);
// - the small builders (makeLabel, makeRadio, fitDigits, chainTabOrder) come from framework/.

#include "framework/data_exchange.h"

#include <QWidget>

class PropertySheet;

// One tab of a property sheet. The page object lives as long as its sheet; its controls are
// built the first time its tab is shown (initializePage), its values move in one exchange
// routine: load on every later activation, save (with validation) when it is left or when
// OK is pressed while it is active. A failed save keeps the page active.
// The exchange routine runs the page's load or its save; each page writes those two.
class PropertyPage : public QWidget
{
    Q_OBJECT

public:
    explicit PropertyPage(const QString &caption, QWidget *parent = nullptr);

    QString caption() const { return pageCaption; }

    // True once the page's controls exist (after its first activation).
    bool isCreated() const { return created; }
    // Builds the controls and runs initializePage, once.
    void create();

    // The record into the controls.
    void loadControls();
    // The controls into the record, validating: false when the save failed (after its message).
    bool saveControls();

    // Activation: the first one has already loaded in initializePage, later ones load again.
    virtual bool activatePage();
    // Leaving: saves; false keeps the page active.
    virtual bool validatePage();
    // OK pressed after this page passed validatePage (active page) or was created earlier.
    virtual void acceptPage() {}
    virtual void rejectPage() {}

    PropertySheet *sheet() const;

protected:
    // Builds the controls and loads the values; overrides build their controls, then call
    // this to load, then configure what the load must precede.
    virtual void initializePage();
    bool exchange(Direction direction);
    // Record -> controls.
    virtual void load(DataExchange &dx) = 0;
    // Controls -> record, validating in the page's order; false after a failure's message.
    virtual bool save(DataExchange &dx) = 0;

private:
    QString pageCaption;
    bool created = false;
    bool firstActivation = true;
};
