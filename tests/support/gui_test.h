#pragma once

#include <QObject>
#include <QStringList>

// The base of every GUI test class: a Qt warning fails the test during which it came, unless
// it is one the class allows. Qt reports what it cannot do as a warning (a widget given two
// layouts, a connection to a signal that does not exist, a focus proxy that loops back), and a
// test would otherwise pass over it. A class that needs an init() of its own calls
// GuiTest::init() first.
class GuiTest : public QObject
{
    Q_OBJECT

protected:
    // Warnings this class allows, word for word; list each with its reason where it is added.
    virtual QStringList allowedWarnings() const { return {}; }

protected slots:
    void init();
};
