#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

// Stands in for the person in front of modal dialogs that code under test runs with exec():
// each step gets the next modal dialog that opens, in order, and answers it. A dialog that no
// step is left for, or one that its step left open, fails the running test and is rejected,
// so that a test never hangs; so does a step whose dialog never opened.
class ModalScript : public QObject
{
public:
    using Step = std::function<void(QDialog *dialog)>;

    ModalScript()
    {
        connect(&timer, &QTimer::timeout, this, &ModalScript::poll);
        timer.start(5);
    }

    ~ModalScript() override
    {
        if (!steps.isEmpty())
            QTest::qFail("A dialog the test expected did not open.", __FILE__, __LINE__);
    }

    ModalScript &then(Step step)
    {
        steps.append(std::move(step));
        return *this;
    }

    // How many dialogs have opened so far.
    int opened() const { return count; }

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            current = nullptr;
            return;
        }
        if (dialog == current) {
            if (stalled.hasExpired()) {
                QTest::qFail(qPrintable(QStringLiteral("Dialog %1 was left open by its step.")
                                            .arg(dialog->objectName())),
                             __FILE__, __LINE__);
                dialog->reject();
            }
            return;
        }
        current = dialog;
        stalled = QDeadlineTimer(2000);
        ++count;
        if (steps.isEmpty()) {
            QTest::qFail(
                qPrintable(QStringLiteral("Dialog %1 was not expected.").arg(dialog->objectName())),
                __FILE__, __LINE__);
            dialog->reject();
            return;
        }
        steps.takeFirst()(dialog);
    }

    QTimer timer;
    QList<Step> steps;
    QPointer<QDialog> current;
    QDeadlineTimer stalled;
    int count = 0;
};
