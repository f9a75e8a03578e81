#pragma once

// Controls found by their object names. A control that is not there fails the test that
// looked for it, at that test's line, and only that test: the test gets a hidden stand-in of
// the type it asked for, so that the rest of it runs harmlessly to its end instead of crashing
// the binary and taking every later test with it.

#include "test_location.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <type_traits>

template <typename T> T *controlStandIn(QWidget *owner, const QString &name)
{
    T *standIn = nullptr;
    if constexpr (std::is_same_v<T, QAbstractButton>)
        standIn = new QPushButton(owner);
    else if constexpr (std::is_constructible_v<T, QWidget *>)
        standIn = new T(owner);
    else
        static_assert(std::is_constructible_v<T, QWidget *>,
                      "look such a control up by a Qt base class it derives from");
    standIn->setObjectName(QStringLiteral("(missing %1)").arg(name));
    standIn->hide();
    return standIn;
}

// The child of `window` named `name` and of type T.
template <typename T = QWidget> T *findControl(QWidget *window, const QString &name, Here here = {})
{
    if (window) {
        if (T *found = window->findChild<T *>(name))
            return found;
    }
    QTest::qFail(qPrintable(QStringLiteral("No control %1 of type %2 in %3")
                                .arg(name, QString::fromLatin1(T::staticMetaObject.className()),
                                     window ? QString::fromLatin1(window->metaObject()->className())
                                            : QStringLiteral("no window"))),
                 here.file, here.line);
    // Without a window the stand-in has no owner: it lives until the program ends.
    return controlStandIn<T>(window, name);
}

// A click in the middle of the button named `name` of `window`.
inline void clickControl(QWidget *window, const QString &name, Here here = {})
{
    QTest::mouseClick(findControl<QAbstractButton>(window, name, here), Qt::LeftButton);
}
