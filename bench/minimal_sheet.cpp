// The yardstick of the start-up benchmark: the least a Qt Widgets program can do to put a
// five-tab dialog on screen. Five empty tabs named like the editor's, OK and Cancel.
//
// It reports being shown exactly as the editor does (VELOMAR_REPORT_SHOWN, see
// src/app/main.cpp), so that both are timed to the same moment: the first paint of the dialog
// complete, back in the event loop.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

class ShownReport : public QObject
{
public:
    ShownReport(QDialog *dialog, bool quitAfter) : dialog(dialog), quitAfter(quitAfter) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched == dialog) {
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, dialog, [d = dialog, quit = quitAfter] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("shown %.6f %s\n", std::chrono::duration<double>(now).count(),
                            d->windowTitle().toLocal8Bit().constData());
                std::fflush(stdout);
                if (quit)
                    d->reject();
            });
        }
        return false;
    }

private:
    QDialog *dialog;
    bool quitAfter;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);

    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Minimal five-tab dialog"));
    auto *tabs = new QTabWidget(&dialog);
    for (const char *name : {"Triggers", "Time Lapse", "Images", "Cellular", "Other"})
        tabs->addTab(new QWidget, QString::fromLatin1(name));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(tabs);
    layout->addWidget(buttons);

    std::unique_ptr<ShownReport> shownReport;
    if (const QByteArray report = qgetenv("VELOMAR_REPORT_SHOWN"); !report.isEmpty()) {
        shownReport = std::make_unique<ShownReport>(&dialog, report == "quit");
        application.installEventFilter(shownReport.get());
    }
    dialog.exec();
    return 0;
}
