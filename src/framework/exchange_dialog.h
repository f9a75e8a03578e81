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

    int DoModal();
    void EndDialog(int result);
    bool UpdateData(bool saveAndValidate = true);

    void setVisible(bool visible) override;
    void accept() override;
    void reject() override;

protected:
    // Builds nothing itself: overrides build their controls, call this to load, then
    // configure what the load must precede.
    virtual void OnInitDialog();
    // Runs the dialog's load or its save.
    bool exchange(Direction direction);
    // Record -> controls.
    virtual void load(DataExchange &dx) = 0;
    // Controls -> record, validating in the dialog's order; false after a failure's message.
    virtual bool save(DataExchange &dx) = 0;
    virtual void OnOK();
    virtual void OnCancel();

private:
    void initialize();

    bool initialized = false;
};
