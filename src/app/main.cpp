#include "app/kestra_sheet.h"
#include "app/settings_app.h"
#include "platform/card_volumes.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

// VELOMAR_REPORT_SHOWN=1 makes the editor print one line on standard output when the main
// sheet is first on screen: "shown <seconds on the monotonic clock> <caption>". With
// VELOMAR_REPORT_SHOWN=quit it then closes the sheet as Cancel does. The start-up benchmark
// and the package test need to know from outside when the sheet has appeared, also on the
// offscreen platform, where no window can be looked for. Off unless the variable is set.
class SheetShownReport : public QObject
{
public:
    explicit SheetShownReport(bool quitAfter) : quitAfter(quitAfter) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<CKestraSheet *>(watched)) {
            auto *sheet = static_cast<CKestraSheet *>(watched);
            QCoreApplication::instance()->removeEventFilter(this);
            // The sheet's own paint comes first; its children are painted in the same pass,
            // so the sheet is complete once control returns to the event loop.
            QTimer::singleShot(0, sheet, [sheet, quit = quitAfter] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("shown %.6f %s\n", std::chrono::duration<double>(now).count(),
                            sheet->windowTitle().toLocal8Bit().constData());
                std::fflush(stdout);
                if (quit)
                    sheet->reject();
            });
        }
        return false;
    }

private:
    bool quitAfter;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velomar"));
    QApplication::setApplicationName(QStringLiteral("velomar-settings"));

    std::unique_ptr<SheetShownReport> shownReport;
    if (const QByteArray report = qgetenv("VELOMAR_REPORT_SHOWN"); !report.isEmpty()) {
        shownReport = std::make_unique<SheetShownReport>(report == "quit");
        application.installEventFilter(shownReport.get());
    }

    const std::unique_ptr<platform::VolumeSource> volumes = platform::CreateDesktopVolumeSource();
    CSettingsApp app;
    app.InitInstance(QApplication::arguments().mid(1), *volumes);
    return 0;
}
