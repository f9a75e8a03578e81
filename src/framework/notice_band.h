#pragma once

// A band of information across the top of a window, with buttons for what the user may do
// about it, in the manner of a browser's information bar: it is not modal, takes no focus
// when it appears, is announced to screen readers, and goes once the user has chosen.

#include <QFrame>
#include <QList>

#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;

class NoticeBand : public QFrame
{
    Q_OBJECT

public:
    explicit NoticeBand(QWidget *parent = nullptr);

    // A button named `name` that runs `action`; with `closes` the band goes first.
    QPushButton *addButton(const QString &text, const char *name, std::function<void()> action,
                           bool closes = true);
    QList<QPushButton *> buttons() const { return choices; }

    QString text() const;
    // Shows `text` (and the buttons), without taking the focus, and announces it.
    void showNotice(const QString &text);
    // Hides the band; a focus inside it goes to the next control of the window.
    void dismiss();

private:
    QLabel *message = nullptr;
    QHBoxLayout *buttonRow = nullptr;
    QList<QPushButton *> choices;
};
