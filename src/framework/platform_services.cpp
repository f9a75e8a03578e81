#include "framework/platform_services.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QUrl>

#ifdef _WIN32
#include <windows.h>
#include <shlwapi.h>
#else
#include <QMimeDatabase>
#include <QProcess>
#endif

namespace {
PlatformServices *installed = nullptr;

#ifndef _WIN32
// How long the desktop may take to say which program opens a type of file.
constexpr int kDesktopQueryMs = 3000;
#endif

DesktopPlatformServices &desktopServices()
{
    static DesktopPlatformServices services;
    return services;
}

// The first character of a locale's symbol that is seen: some locales put a direction mark
// before the sign (Arabic: U+061C, then "-"), which no one types.
QChar visibleCharacter(const QString &symbol)
{
    for (QChar c : symbol) {
        if (c.category() != QChar::Other_Format)
            return c;
    }
    return {};
}
} // namespace

PlatformServices &platformServices()
{
    return installed ? *installed : desktopServices();
}

ScopedPlatformServices::ScopedPlatformServices(PlatformServices &services) : previous(installed)
{
    installed = &services;
}

ScopedPlatformServices::~ScopedPlatformServices()
{
    installed = previous;
}

bool DesktopPlatformServices::shiftDown() const
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

bool DesktopPlatformServices::ctrlDown() const
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

void DesktopPlatformServices::warningBeep()
{
    QApplication::beep();
}

QString DesktopPlatformServices::clipboardText() const
{
    return QGuiApplication::clipboard()->text();
}

void DesktopPlatformServices::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

LocaleValues DesktopPlatformServices::localeValues() const
{
    return localeValues(QLocale::system());
}

LocaleValues DesktopPlatformServices::localeValues(const QLocale &locale)
{
    LocaleValues values;
    if (const QChar sign = visibleCharacter(locale.negativeSign()); !sign.isNull())
        values.negativeSign = sign;
    if (const QChar point = visibleCharacter(locale.decimalPoint()); !point.isNull())
        values.decimalPoint = point;
    // The short time format says how the user reads a clock: "H" is the 24-hour hour, "h"
    // the 12-hour one, and a doubled letter means a leading zero.
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    values.clock24h = format.contains(QLatin1Char('H'));
    values.hourLeadingZero =
        format.contains(QLatin1String("HH")) || format.contains(QLatin1String("hh"));
    values.amDesignator = locale.amText().left(2);
    values.pmDesignator = locale.pmText().left(2);
    return values;
}

bool DesktopOpensFilesLike(const QString &path)
{
#ifdef _WIN32
    const std::wstring extension = (QLatin1Char('.') + QFileInfo(path).suffix()).toStdWString();
    DWORD length = 0;
    // Asked only for the length of the program's path: S_FALSE when there is a program.
    const HRESULT result = AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE,
                                             extension.c_str(), L"open", nullptr, &length);
    return result == S_FALSE || (result == S_OK && length > 0);
#else
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(kDesktopQueryMs)) {
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}

bool DesktopPlatformServices::openDocument(const QString &path)
{
    return DesktopOpensFilesLike(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString DesktopPlatformServices::programPath() const
{
    return QCoreApplication::applicationFilePath();
}

QDateTime DesktopPlatformServices::currentLocalDateTime() const
{
    return QDateTime::currentDateTime();
}
