#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// What the program asks of the desktop it runs on, behind one small interface so that tests
// can stand in for the keyboard, the locale, the clipboard and the document viewer.

struct LocaleValues
{
    QChar negativeSign = QLatin1Char('-');
    QChar decimalPoint = QLatin1Char('.');
    bool clock24h = true;        // the user's time format is a 24-hour one
    bool hourLeadingZero = true; // hours are shown with two digits ("07")
    QString amDesignator = QStringLiteral("AM");
    QString pmDesignator = QStringLiteral("PM");
};

class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    virtual bool shiftDown() const = 0;
    virtual bool ctrlDown() const = 0;
    // The warning sound for refused input (the exclamation beep).
    virtual void warningBeep() = 0;
    virtual QString clipboardText() const = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual LocaleValues localeValues() const = 0;
    // Opens a document with its registered viewer, maximised where the desktop allows it;
    // false when the desktop has no program for documents of its type.
    virtual bool openDocument(const QString &path) = 0;
    // The program's own full path.
    virtual QString programPath() const = 0;
    // The computer's current local date and time.
    virtual QDateTime currentLocalDateTime() const = 0;
};

// The services in force: the desktop's own unless a test has installed others.
PlatformServices &platformServices();

// Installs `services` (not owned) until the returned guard goes; for tests.
class ScopedPlatformServices
{
public:
    explicit ScopedPlatformServices(PlatformServices &services);
    ~ScopedPlatformServices();
    ScopedPlatformServices(const ScopedPlatformServices &) = delete;
    ScopedPlatformServices &operator=(const ScopedPlatformServices &) = delete;

private:
    PlatformServices *previous;
};

// Whether the desktop names a program that opens files like `path`: on Linux the default
// application xdg-mime gives for its type, on Windows the association of its extension. Asked
// before a document is handed over, because handing it over succeeds as soon as the opener has
// started, whether anything then opens it or not.
bool DesktopOpensFilesLike(const QString &path);

// The desktop's services, through Qt.
class DesktopPlatformServices : public PlatformServices
{
public:
    bool shiftDown() const override;
    bool ctrlDown() const override;
    void warningBeep() override;
    QString clipboardText() const override;
    void setClipboardText(const QString &text) override;
    LocaleValues localeValues() const override;
    // What the program reads from `locale`: the system's own gives localeValues().
    static LocaleValues localeValues(const QLocale &locale);
    bool openDocument(const QString &path) override;
    QString programPath() const override;
    QDateTime currentLocalDateTime() const override;
};
