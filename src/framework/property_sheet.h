#pragma once

#include "framework/property_page.h"

#include <QDialog>
#include <QList>
#include <QSize>

#include <functional>

class QHBoxLayout;
class QPushButton;
class QTabWidget;

// A modal tabbed dialog in the manner of a classic property sheet: the pages are added at
// construction and owned by the sheet; a page's controls are built the first time its tab is
// shown; leaving a tab asks the page (validatePage), which may refuse, however the user tried
// to leave (mouse, keyboard on the tab bar, Ctrl+Tab, Ctrl+PgDn, ...). The standard buttons
// along the bottom are OK and Cancel, each optional, followed by the buttons a sheet adds for
// its own actions (addActionButton).
class PropertySheet : public QDialog
{
    Q_OBJECT

public:
    enum StandardButton
    {
        OkButton = 0x1,
        CancelButton = 0x2,
    };
    Q_DECLARE_FLAGS(StandardButtons, StandardButton)

    PropertySheet(const QString &caption, QWidget *parent = nullptr, int firstPage = 0,
                  StandardButtons buttons = StandardButtons(OkButton | CancelButton));
    ~PropertySheet() override;

    // Adds a page at the end; the sheet owns it from now on.
    void addPage(PropertyPage *page);
    int pageCount() const { return static_cast<int>(pages.size()); }
    PropertyPage *page(int index) const { return pages.value(index); }
    int currentIndex() const { return activeIndex; }
    PropertyPage *currentPage() const { return pages.value(activeIndex); }
    // Switches as a click on the tab would; false when the active page refused to be left.
    bool setCurrentIndex(int index);

    QPushButton *button(StandardButton which) const;
    // A button of the sheet's own after the standard ones, named `name`, which runs `action`.
    // Before the sheet is shown.
    QPushButton *addActionButton(const QString &text, const char *name,
                                 std::function<void()> action);
    QTabWidget *tabWidget() const { return tabs; }
    // Puts `band` above the tabs, its buttons in the keyboard's way just before the tab bar.
    // The sheet owns it.
    void setNoticeBand(QWidget *band, const QList<QWidget *> &controls);

    // The size the pages were designed for, in dialog units of the sheet's font: the sheet
    // opens with at least that much room for a page. Before it is shown.
    void setPageDesignSize(const QSize &dialogUnits) { pageDesignSize = dialogUnits; }

    // Runs the sheet modally. Initialisation may end it before it is ever shown.
    int exec() override;
    // Ends the modal run with `result`.
    void done(int result) override;

    void setVisible(bool visible) override;
    void accept() override;
    void reject() override;

protected:
    // Activates the first page; overrides that must act before it (loading the record) do
    // so first, and end the sheet with done() to stop it opening.
    virtual void initializeDialog();
    // OK: the active page must let itself be left, then every built page hears acceptPage.
    virtual void tryAccept();
    // Cancel and Escape: every built page hears cancel, and the sheet ends.
    virtual void cancel();
    // The close box, Alt+F4 and the system menu's Close: by default as Cancel.
    virtual void closeRequested();
    // After every tab change.
    virtual void currentPageChanged() {}
    // The caption's context-help button was pressed.
    virtual void contextHelpRequested() {}

    // Asks the active page to let itself be left (it saves); false keeps the sheet as it is.
    bool leaveActivePage();
    // Tells every built page acceptPage and ends the sheet accepted.
    void closeAccepted();

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QPushButton *newButton(const QString &text, const char *name);
    void initialize();
    void onTabBarChanged(int index);
    void activate(int index);
    void step(int delta);
    void keepButtonsLast();
    void openAtDesignSize();

    QList<PropertyPage *> pages;
    QTabWidget *tabs = nullptr;
    QList<QWidget *> bandControls;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;
    // Every button along the bottom, in the row's order.
    QList<QPushButton *> rowButtons;
    QHBoxLayout *buttonRow = nullptr;
    QSize pageDesignSize;
    int firstPage = 0;
    int activeIndex = -1;
    bool initialized = false;
    bool switching = false;
    bool endedBeforeShown = false;
    int endResult = Rejected;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(PropertySheet::StandardButtons)
