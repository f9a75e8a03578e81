#pragma once

// A run of the main sheet in a folder of its own. Header only: tests that include it link
// velomar_app.

#include "app/kestra_sheet.h"
#include "gui_run.h"

#include <QDir>
#include <QPushButton>

#include <memory>

using testfiles::factorySettings;
using testfiles::readBytes;
using testfiles::settingsFileBytes;
using testfiles::writeBytes;

// Settings-file messages that no test expects: any of them fails it.
class NoFileMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int id) override { QFAIL(qPrintable(QStringLiteral("message %1").arg(id))); }
};

// The main sheet over a local copy and a card folder in a work folder, which is also the
// current folder. The keyboard state is read when the sheet is made: set platform.shift and
// platform.ctrl before open().
struct SheetRun : GuiRun
{
    SheetRun()
        : localPath(folder.filePath(QStringLiteral("Kestra.cfg"))),
          cardPath(folder.filePath(QStringLiteral("card/Kestra.cfg")))
    {
        QDir(folder.path()).mkdir(QStringLiteral("card"));
    }

    [[nodiscard]] bool writeLocal(const CameraSettings &values) const
    {
        NoFileMessages quiet;
        return WriteSettingsFile(values, toFilePath(localPath), quiet);
    }
    // Reads a written settings file into `values`; false when it cannot be read.
    [[nodiscard]] bool read(const QString &path, CameraSettings &values) const
    {
        NoFileMessages quiet;
        return ReadSettingsFile(values, toFilePath(path), quiet);
    }

    [[nodiscard]] bool open()
    {
        sheet = std::make_unique<CKestraSheet>(settings, app);
        sheet->SetPaths(localPath, cardPath);
        return showActive(sheet.get());
    }

    QPushButton *button(PropertySheet::StandardButton which) const { return sheet->button(which); }
    void clickButton(PropertySheet::StandardButton which) const { clickButton(button(which)); }
    void clickButton(QPushButton *b) const { QTest::mouseClick(b, Qt::LeftButton); }
    void clickTab(int index) const { ::clickTab(sheet.get(), index); }

    testfiles::WorkFolder folder;
    QString localPath;
    QString cardPath;
    std::unique_ptr<CKestraSheet> sheet;

protected:
    QWidget *window() const override { return sheet.get(); }
};
