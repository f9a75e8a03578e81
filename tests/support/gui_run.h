#pragma once

// The set-up every window test shares: the person answering message boxes and the desktop
// stood in for, the record the windows edit, and the window under test with its controls
// found by name. Header only: PageInSheet and DialogRun are templates over the window.

#include "fake_platform.h"
#include "find_control.h"
#include "framework/app_state.h"
#include "framework/property_sheet.h"
#include "scripted_messages.h"
#include "settings_test_files.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <memory>

// Shows `window`, activates it and waits until it is the active window.
inline bool showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// The person clicks a tab of `sheet`; the page shown may refuse to be left.
inline void clickTab(const PropertySheet *sheet, int index)
{
    QTabBar *bar = sheet->tabWidget()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// A record as a run without a local copy starts: factory values, taken as the saved state.
inline CameraSettings freshRecord()
{
    CameraSettings settings = testfiles::factorySettings();
    settings.TakeSnapshots();
    return settings;
}

struct GuiRun
{
    GuiRun() = default;
    virtual ~GuiRun() = default;
    GuiRun(const GuiRun &) = delete;
    GuiRun &operator=(const GuiRun &) = delete;

    // The control named `name` in the window under test (see findControl).
    template <typename T = QWidget> T *find(const QString &name, Here here = {}) const
    {
        return findControl<T>(window(), name, here);
    }
    // A click in the middle of a button.
    void click(const QString &name, Here here = {}) const { clickControl(window(), name, here); }
    // The person replaces what a field holds by typing: select everything, delete, type.
    void type(const QString &name, const QString &text, Here here = {}) const
    {
        auto *field = find<QLineEdit>(name, here);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    // The person picks an entry of a list; false when the list is disabled or lacks it.
    [[nodiscard]] bool choose(const QString &list, const QString &entry, Here here = {}) const
    {
        auto *box = find<QComboBox>(list, here);
        const int index = box->findText(entry);
        if (!box->isEnabled() || index < 0)
            return false;
        box->setCurrentIndex(index);
        return true;
    }

    FakePlatformServices platform;
    ScriptedMessages messages;
    CameraSettings settings = freshRecord();
    AppState app;

protected:
    virtual QWidget *window() const = 0;
};

// A tab to leave the page under test for.
class BlankPage : public PropertyPage
{
public:
    BlankPage() : PropertyPage(QStringLiteral("Blank")) {}

protected:
    void load(DataExchange &) override {}
    bool save(DataExchange &) override { return true; }
};

// The page under test as the first tab of a sheet, with a blank tab to leave it for, in a work
// folder of its own (the Cellular page reads its carrier files there). A test changes the
// record and the run's state, then opens the sheet.
template <typename Page> struct PageInSheet : GuiRun
{
    [[nodiscard]] bool open()
    {
        before = settings;
        sheet = std::make_unique<PropertySheet>(QStringLiteral("Sheet"));
        page = new Page(settings, app);
        sheet->addPage(page);
        sheet->addPage(new BlankPage);
        return showActive(sheet.get());
    }
    // Switches to the blank tab as a click on it would: false when the page refused.
    bool leave() const { return sheet->setCurrentIndex(1); }
    // Leaves the page and comes back to it.
    bool revisit() const { return leave() && sheet->setCurrentIndex(0); }

    testfiles::WorkFolder folder;
    CameraSettings before; // the record when the sheet opened
    std::unique_ptr<PropertySheet> sheet;
    Page *page = nullptr;

protected:
    QWidget *window() const override { return sheet.get(); }
};

// A dialog over the run's record, made by the test and shown by show().
template <typename Dialog> struct DialogRun : GuiRun
{
    [[nodiscard]] bool show(std::unique_ptr<Dialog> made)
    {
        before = settings;
        dialog = std::move(made);
        return showActive(dialog.get());
    }

    CameraSettings before; // the record when the dialog opened
    std::unique_ptr<Dialog> dialog;

protected:
    QWidget *window() const override { return dialog.get(); }
};
