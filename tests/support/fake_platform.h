#pragma once

#include "framework/platform_services.h"

#include <QStringList>

// Stands in for what this machine cannot give a test: the keyboard state, the beep, the
// user's locale, the clock and the document viewer. The clipboard is kept here, per test.
class FakePlatformServices : public PlatformServices
{
public:
    FakePlatformServices() : installation(*this) {}

    bool shiftDown() const override { return shift; }
    bool ctrlDown() const override { return ctrl; }
    void warningBeep() override { ++beeps; }
    QString clipboardText() const override { return clipboard; }
    void setClipboardText(const QString &text) override { clipboard = text; }
    LocaleValues localeValues() const override { return locale; }
    bool openDocument(const QString &path) override
    {
        if (!documentViewer)
            return false;
        openedDocuments.append(path);
        return true;
    }
    QString programPath() const override { return program; }
    QDateTime currentLocalDateTime() const override { return now; }

    bool shift = false;
    bool ctrl = false;
    int beeps = 0;
    QString clipboard;
    LocaleValues locale;
    QStringList openedDocuments;
    bool documentViewer = true; // the desktop has a program for the documents opened
    QString program = QStringLiteral("/opt/velomar/velomar-settings");
    // The computer's clock as the program reads it.
    QDateTime now{QDate(2015, 1, 5), QTime(9, 5)};

private:
    ScopedPlatformServices installation;
};
