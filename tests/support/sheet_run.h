#pragma once

// A run of the main sheet in a folder of its own. Header only: tests that include it link
// velomar_app.

#include "app/kestra_sheet.h"
#include "fake_platform.h"
#include "framework/file_paths.h"
#include "scripted_messages.h"
#include "settings/settings_file.h"
#include "settings_test_files.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using testfiles::CurrentFolder;
using testfiles::factorySettings;
using testfiles::readBytes;
using testfiles::settingsFileBytes;

// Settings-file messages that no test expects: any of them fails it.
class NoFileMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int id) override { QFAIL(qPrintable(QStringLiteral("message %1").arg(id))); }
};

// The main sheet over a local copy and a card folder in a temporary folder, which is also the
// current folder. The keyboard state is read when the sheet is made: set platform.shift and
// platform.ctrl before open().
struct SheetRun
{
    SheetRun()
        : localPath(folder.filePath(QStringLiteral("Kestra.cfg"))),
          cardPath(folder.filePath(QStringLiteral("card/Kestra.cfg"))), current(folder.path())
    {
        QDir(folder.path()).mkdir(QStringLiteral("card"));
    }
    ~SheetRun() { sheet.reset(); }

    void writeLocal(const CameraSettings &values) const
    {
        NoFileMessages quiet;
        QVERIFY(WriteSettingsFile(values, toFilePath(localPath), quiet));
    }
    CameraSettings read(const QString &path) const
    {
        CameraSettings values;
        NoFileMessages quiet;
        if (!ReadSettingsFile(values, toFilePath(path), quiet))
            qFatal("cannot read %s", qPrintable(path));
        return values;
    }

    void open()
    {
        sheet = std::make_unique<CKestraSheet>(settings, app);
        sheet->SetPaths(localPath, cardPath);
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));
    }

    QPushButton *button(PropertySheet::StandardButton which) const { return sheet->button(which); }
    void clickButton(PropertySheet::StandardButton which) const
    {
        QTest::mouseClick(button(which), Qt::LeftButton);
    }
    void clickTab(int index) const
    {
        QTabBar *bar = sheet->tabWidget()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    template <typename T> T *find(const char *name) const
    {
        T *child = sheet->findChild<T *>(QLatin1String(name));
        if (!child)
            qFatal("no control %s", name);
        return child;
    }
    void click(const char *name) const
    {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }

    FakePlatformServices platform;
    ScriptedMessages messages;
    QTemporaryDir folder;
    QString localPath;
    QString cardPath;
    CameraSettings settings;
    AppState app;
    std::unique_ptr<CKestraSheet> sheet;

private:
    CurrentFolder current;
};
