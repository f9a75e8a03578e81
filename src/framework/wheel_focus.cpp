#include "framework/wheel_focus.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// The controls whose value the wheel steps. A scroll bar is a slider too, but the wheel is
// how it scrolls.
QWidget *valueControl(QObject *object)
{
    if (qobject_cast<QComboBox *>(object) || qobject_cast<QAbstractSpinBox *>(object))
        return static_cast<QWidget *>(object);
    if (qobject_cast<QAbstractSlider *>(object) && !qobject_cast<QScrollBar *>(object))
        return static_cast<QWidget *>(object);
    return nullptr;
}

class WheelNeedsFocus : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Polish:
            // A wheel-focus control would take the focus from the wheel itself, before any
            // filter sees the event; clicks and Tab still give it the focus.
            if (QWidget *control = valueControl(watched);
                control && (control->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
                control->setFocusPolicy(Qt::StrongFocus);
            break;
        case QEvent::Wheel:
            if (QWidget *control = valueControl(watched); control && !control->hasFocus()) {
                // Ignored, so that the application hands it on to the parent.
                event->ignore();
                return true;
            }
            break;
        default:
            break;
        }
        return false;
    }
};

QPointer<WheelNeedsFocus> installed;

} // namespace

void requireFocusForWheel()
{
    auto *application = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!application || installed)
        return;
    // A child of the application, so that it goes with it.
    installed = new WheelNeedsFocus(application);
    application->installEventFilter(installed);
}

Q_COREAPP_STARTUP_FUNCTION(requireFocusForWheel)
