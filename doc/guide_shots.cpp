// Takes the pictures of the user guide from the real editor: the main sheet on each tab, its
// dialogs, the trigger schedule sheet and the two card dialogs, built over a sample record
// and grabbed on the offscreen platform. Usage: guide_shots OUTPUT_FOLDER
//
// Everything that could vary between machines is fixed here: the style, the font, the scale,
// the clock, the locale and the drives, so that the same sources give the same pictures.

#include "app/kestra_sheet.h"
#include "cards/no_card_dialog.h"
#include "cards/select_card_dialog.h"
#include "framework/file_paths.h"
#include "framework/message_service.h"
#include "framework/platform_services.h"
#include "pages/date_time_dialog.h"
#include "pages/internal_trigger_dialog.h"
#include "schedule/schedule_sheet.h"
#include "settings/settings_file.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

// Device pixels per logical pixel: the guide shows the pictures at their logical size, so
// twice the pixels keep them sharp in print.
constexpr double kScale = 2.0;
constexpr int kCaptionHeight = 24;

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "guide_shots: %s\n", qPrintable(why));
    std::exit(1);
}

// A fixed desktop: a 12-hour clock with AM and PM (as the Set Date & Time dialog has), a
// fixed "now", no keys held, no beeps.
class GuidePlatformServices : public PlatformServices
{
public:
    bool shiftDown() const override { return false; }
    bool ctrlDown() const override { return false; }
    void warningBeep() override {}
    QString clipboardText() const override { return {}; }
    void setClipboardText(const QString &) override {}
    LocaleValues localeValues() const override
    {
        LocaleValues values;
        values.clock24h = false;
        values.hourLeadingZero = false;
        return values;
    }
    bool openDocument(const QString &) override { return false; }
    QString programPath() const override { return QStringLiteral("/usr/bin/velomar-settings"); }
    QDateTime currentLocalDateTime() const override { return {QDate(2025, 6, 14), QTime(7, 30)}; }
};

// No message may appear while the pictures are taken: one would mean that the sample
// record or a page refused something, and the pictures would not show what the guide says.
class RefuseMessages : public MessageService
{
public:
    MessageAnswer show(QWidget *, const Message &message) override
    {
        fail(QStringLiteral("unexpected message: ") + message.text);
    }
};

class FailFileMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int messageId) override
    {
        fail(QStringLiteral("settings file message %1").arg(messageId));
    }
};

// Three made-up cards: one with a volume name and FAT32, one without a name and FAT16, and one
// that the desktop has not mounted.
class GuideVolumes : public platform::VolumeSource
{
public:
    std::vector<std::string> candidateDrives() override
    {
        return {"/media/user/TRAIL", "/media/user/3A5F-1C2B"};
    }
    bool isRemovable(const std::string &) override { return true; }
    std::optional<platform::VolumeInformation> volumeInformation(const std::string &root) override
    {
        if (root == "/media/user/TRAIL")
            return platform::VolumeInformation{"TRAIL", "FAT32", "2468-ACE0"};
        return platform::VolumeInformation{"", "FAT", "1357-2468"};
    }
    std::vector<platform::UnmountedVolume> unmountedVolumes() override
    {
        return {{true, {"SPARE", "FAT32", "5E1F-92A0", "/dev/sdc1"}}};
    }
};

// The owner's settings in the pictures: not the factory values, so that every control shows
// something worth explaining.
CameraSettings sampleSettings()
{
    CameraSettings s;
    s.ResetAll();

    // Triggers: Advanced, five pictures two seconds apart, half a minute's quiet.
    s.SetStoredQuickset(QuicksetAdvanced);
    s.core.picturesPerTrigger = 5;
    s.SetFastSequence(false);
    s.core.pictureInterval = 2000;
    s.core.quietPeriod = 30;
    s.SetSensitivity(75);
    s.core.pulseCount = 2;
    s.core.pulseWindow = 15;
    // No triggers from 1:00 to 3:45 in the night.
    for (int minute = 60; minute < 4 * 60; minute += 15)
        s.SetDaySlot(ScheduleKind::Trigger, static_cast<std::uint16_t>(minute), false);
    // The weekend follows schedule 2, which is off until 2:00.
    s.SetTriggerDayUsesSchedule2(1, true);
    s.SetTriggerDayUsesSchedule2(7, true);
    for (int minute = 0; minute < 2 * 60; minute += 15)
        s.SetDualTriggerSlot(static_cast<std::uint16_t>(minute), false, 1);

    // Time lapse every 30 minutes, a BurstClip burst each time.
    s.SetTimeLapseOn(true);
    s.SetTimeLapseBurst(true);
    s.core.timeLapseInterval = MakeInterval(IntervalUnit::Minutes, 30);

    // Images.
    s.SetLabel("NORTH GATE");
    s.core.brightness = 96;
    s.SetCelsius(true);
    s.SetClock24h(true);
    s.SetNightShutter(1);

    // Cellular: two phone numbers and one address.
    s.cellular.phoneNumbers[0] = PackPhoneNumber("1-555-555-1212", false);
    s.cellular.phoneNumbers[1] = PackPhoneNumber("1-555-555-3434", false);
    s.cellular.email1 = PackEmailAddress("ranger@example.com", false);

    // Other: a day's delay and the KeyBolt code 2-4-1-3.
    s.SetStartDelay(1);
    s.SetKeyBoltOn(true);
    const std::uint16_t code[] = {1, 3, 0, 2};
    for (int digit = 0; digit < 4; ++digit)
        s.SetCodeDigit(digit + 1, code[digit]);
    return s;
}

void showAndWait(QWidget *window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        fail(QStringLiteral("window not exposed: ") + window->objectName());
    QCoreApplication::processEvents();
}

// The window's contents under a plain caption strip with its real title, so that the reader
// sees which window it is (the offscreen platform draws no frames).
QImage framed(QWidget *window)
{
    QCoreApplication::processEvents();
    const QPixmap contents = window->grab();
    const QSize logical = window->size();
    QImage image(
        (QSizeF(logical.width() + 2, logical.height() + kCaptionHeight + 1) * kScale).toSize(),
        QImage::Format_RGB32);
    image.setDevicePixelRatio(kScale);
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, logical.width() + 2, logical.height() + kCaptionHeight + 1),
                     QColor(0x3b, 0x4a, 0x5e));
    QFont font(QStringLiteral("DejaVu Sans"), 9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(10, 0, logical.width() - 20, kCaptionHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
    painter.drawPixmap(QPoint(1, kCaptionHeight), contents);
    painter.end();
    return image;
}

void save(const QImage &image, const QDir &folder, const QString &name)
{
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!image.save(path))
        fail(QStringLiteral("cannot write ") + path);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: guide_shots OUTPUT_FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kScale));
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    // A steady caret: a blinking one would be in some pictures and not in others.
    QApplication::setCursorFlashTime(0);

    // Absolute now: the editor's folder becomes the current one below.
    const QDir output(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    if (!QDir().mkpath(output.path()))
        fail(QStringLiteral("cannot create ") + output.path());

    GuidePlatformServices desktop;
    ScopedPlatformServices desktopInstalled(desktop);
    RefuseMessages messages;
    ScopedMessageService messagesInstalled(messages);

    // The editor's folder: its local copy holds the sample settings, and the carrier list is
    // the example one, with the first carrier chosen last time.
    QTemporaryDir folder;
    if (!folder.isValid())
        fail(QStringLiteral("no temporary folder"));
    const QString localPath = folder.filePath(QStringLiteral("Kestra.cfg"));
    FailFileMessages fileMessages;
    if (!WriteSettingsFile(sampleSettings(), toFilePath(localPath), fileMessages))
        fail(QStringLiteral("cannot write the sample settings"));
    if (!QFile::copy(QStringLiteral(VELOMAR_EXAMPLE_CARRIERS),
                     folder.filePath(QStringLiteral("carriers.dat"))))
        fail(QStringLiteral("cannot copy the example carrier list"));
    {
        QFile lastCarrier(folder.filePath(QStringLiteral("carriers2.dat")));
        if (!lastCarrier.open(QIODevice::WriteOnly) || lastCarrier.write("0", 2) != 2)
            fail(QStringLiteral("cannot write carriers2.dat"));
    }
    QDir::setCurrent(folder.path());

    CameraSettings settings;
    AppState app;
    CKestraSheet sheet(settings, app);
    sheet.SetPaths(localPath, folder.filePath(QStringLiteral("card/Kestra.cfg")));
    showAndWait(&sheet);
    // One size for all five tabs: the largest any of them asks for.
    QSize size = sheet.size();
    for (int tab = 0; tab < sheet.pageCount(); ++tab) {
        if (!sheet.setCurrentIndex(tab))
            fail(QStringLiteral("tab %1 refused").arg(tab));
        QCoreApplication::processEvents();
        size = size.expandedTo(sheet.sizeHint()).expandedTo(sheet.size());
    }
    sheet.setFixedSize(size);
    QTest::qWait(20);
    if (sheet.size() != size)
        fail(QStringLiteral("the sheet did not take its size: %1x%2 for %3x%4")
                 .arg(sheet.width())
                 .arg(sheet.height())
                 .arg(size.width())
                 .arg(size.height()));
    const char *tabNames[] = {"sheet-triggers", "sheet-time-lapse", "sheet-images",
                              "sheet-cellular", "sheet-other"};
    for (int tab = 0; tab < sheet.pageCount(); ++tab) {
        if (!sheet.setCurrentIndex(tab))
            fail(QStringLiteral("tab %1 refused").arg(tab));
        sheet.setFocus();
        save(framed(&sheet), output, QLatin1String(tabNames[tab]));
    }
    if (!sheet.setCurrentIndex(0))
        fail(QStringLiteral("tab 0 refused"));

    {
        CInternalTriggerDlg dialog(settings, &sheet);
        dialog.setReadOnly(false);
        showAndWait(&dialog);
        save(framed(&dialog), output, QStringLiteral("internal-trigger-settings"));
        dialog.hide();
    }
    {
        CDateTimeDlg dialog(settings, &sheet);
        showAndWait(&dialog);
        save(framed(&dialog), output, QStringLiteral("set-date-time"));
        dialog.hide();
    }
    {
        CScheduleSheet schedule(stringText(124), &sheet, false, 0, settings, app);
        showAndWait(&schedule);
        save(framed(&schedule), output, QStringLiteral("schedule-daily"));
        if (!schedule.setCurrentIndex(1))
            fail(QStringLiteral("the dual schedule tab was refused"));
        save(framed(&schedule), output, QStringLiteral("schedule-dual"));
        schedule.hide();
    }
    sheet.hide();

    {
        CNoCardDlg dialog;
        showAndWait(&dialog);
        save(framed(&dialog), output, QStringLiteral("no-card"));
        dialog.hide();
    }
    {
        GuideVolumes volumes;
        CSelectCardDlg dialog(volumes);
        if (!dialog.ScanCards())
            fail(QStringLiteral("the made-up cards were not found"));
        showAndWait(&dialog);
        save(framed(&dialog), output, QStringLiteral("select-card"));
        dialog.hide();
    }
    return 0;
}
