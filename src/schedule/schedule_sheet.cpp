#include "schedule/schedule_sheet.h"

#include "schedule/schedule_dual_page.h"
#include "schedule/schedule_page.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QTabWidget>

namespace {

// The pages were laid out at 463 x 259 dialog units: a quarter of the average character
// width across, an eighth of the font height down.
constexpr int kPageWidthUnits = 463;
constexpr int kPageHeightUnits = 259;

QSize pageSizeInPixels(const QFontMetrics &metrics)
{
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int averageWidth = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return {kPageWidthUnits * averageWidth / 4, kPageHeightUnits * metrics.height() / 8};
}

} // namespace

CScheduleSheet::CScheduleSheet(const QString &caption, QWidget *parent, bool timeLapse,
                               int firstPage, CameraSettings &settings, AppState &app)
    : PropertySheet(caption, parent, firstPage, StandardButtons(OkButton | CancelButton)), app(app)
{
    setObjectName(QStringLiteral("scheduleSheet"));
    daily = new CPageSchedule(settings, app);
    daily->setKind(timeLapse ? ScheduleKind::TimeLapse : ScheduleKind::Trigger);
    AddPage(daily);
    if (!timeLapse) {
        dual = new CPageScheduleDual(settings, app);
        AddPage(dual);
    }
}

void CScheduleSheet::OnInitDialog()
{
    PropertySheet::OnInitDialog();
    if (app.readOnly)
        button(OkButton)->setEnabled(false);

    // Open at about the size the pages were designed for; the layouts keep it from getting
    // smaller than the controls need.
    const QSize frame =
        (sizeHint() - tabWidget()->currentWidget()->sizeHint()).expandedTo(QSize(0, 0));
    resize((pageSizeInPixels(fontMetrics()) + frame).expandedTo(sizeHint()));
}
