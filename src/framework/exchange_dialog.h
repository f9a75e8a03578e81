#pragma once

#include "framework/data_exchange.h"

#include <QDialog>

// A modal dialog whose values move in one exchange routine: loaded when it opens, saved with
// validation on OK, which closes it only when the save succeeded. Cancel closes it untouched.
class ExchangeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ExchangeDialog(QWidget *parent = nullptr);

    // Builds and loads the dialog before it runs modally.
    int exec() override;
    void done(int result) override;
    // The record into the controls.
    void loadControls();
    // The controls into the record, validating: false after a failure's message.
    bool saveControls();

    void setVisible(bool visible) override;
    void accept() override;
    void reject() override;

protected:
    // Builds nothing itself: overrides build their controls, call this to load, then
    // configure what the load must precede.
    virtual void initializeDialog();
    // Runs the dialog's load or its save.
    bool exchange(Direction direction);
    // Record -> controls.
    virtual void load(DataExchange &dx) = 0;
    // Controls -> record, validating in the dialog's order; false after a failure's message.
    virtual bool save(DataExchange &dx) = 0;
    virtual void tryAccept();
    virtual void cancel();

private:
    void initialize();

    bool initialized = false;
};
