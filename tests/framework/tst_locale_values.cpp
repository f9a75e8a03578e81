// What the program asks of the desktop: the user's locale (the sign and separator the number
// fields accept, and how the schedule grid labels its hours), and whether anything opens PDFs.
#include "framework/platform_services.h"
#include "scoped_environment.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLocaleValues : public QObject
{
    Q_OBJECT

private slots:
    void theLocaleGivesSignSeparatorAndClock_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QChar>("negativeSign");
        QTest::addColumn<QChar>("decimalPoint");
        QTest::addColumn<bool>("clock24h");
        QTest::addColumn<bool>("hourLeadingZero");
        QTest::addColumn<QString>("am");
        QTest::addColumn<QString>("pm");
        const QChar minus = QLatin1Char('-');
        const QChar dot = QLatin1Char('.');
        const QChar comma = QLatin1Char(',');
        QTest::newRow("en_US: 12-hour clock, 7:05 PM")
            << "en_US" << minus << dot << false << false << "AM"
            << "PM";
        QTest::newRow("en_GB: 24-hour clock, 07:05")
            << "en_GB" << minus << dot << true << true << "am"
            << "pm";
        QTest::newRow("de_DE: decimal comma") << "de_DE" << minus << comma << true << true << "AM"
                                              << "PM";
        QTest::newRow("fr_FR: decimal comma") << "fr_FR" << minus << comma << true << true << "AM"
                                              << "PM";
        // The sign comes after a direction mark, which is not taken for it; the separator is
        // the Arabic one.
        QTest::newRow("ar_EG: Arabic separator, 12-hour clock")
            << "ar_EG" << minus << QChar(0x066B) << false << false << QStringLiteral("\u0635")
            << QStringLiteral("\u0645");
        QTest::newRow("ja_JP: 24-hour clock, 7:05")
            << "ja_JP" << minus << dot << true << false << QStringLiteral("\u5348\u524D")
            << QStringLiteral("\u5348\u5F8C");
    }
    void theLocaleGivesSignSeparatorAndClock()
    {
        QFETCH(QString, locale);
        QFETCH(QChar, negativeSign);
        QFETCH(QChar, decimalPoint);
        QFETCH(bool, clock24h);
        QFETCH(bool, hourLeadingZero);
        QFETCH(QString, am);
        QFETCH(QString, pm);
        const LocaleValues values = DesktopPlatformServices::localeValues(QLocale(locale));
        QCOMPARE(values.negativeSign, negativeSign);
        QCOMPARE(values.decimalPoint, decimalPoint);
        QCOMPARE(values.clock24h, clock24h);
        QCOMPARE(values.hourLeadingZero, hourLeadingZero);
        QCOMPARE(values.amDesignator, am);
        QCOMPARE(values.pmDesignator, pm);
    }

    // The desktop's answer for the guide's type, from an xdg-mime of the test's own.
    void theDesktopSaysWhetherAnythingOpensTheGuide_data()
    {
        QTest::addColumn<QByteArray>("xdgMime"); // its script; empty: there is none
        QTest::addColumn<bool>("opens");
        QTest::newRow("a default viewer")
            << QByteArray("[ \"$3\" = application/pdf ] && echo viewer.desktop") << true;
        QTest::newRow("no default") << QByteArray("exit 0") << false;
        QTest::newRow("xdg-mime fails") << QByteArray("echo viewer.desktop; exit 4") << false;
        QTest::newRow("no xdg-mime") << QByteArray() << false;
    }
    void theDesktopSaysWhetherAnythingOpensTheGuide()
    {
        QFETCH(QByteArray, xdgMime);
        QFETCH(bool, opens);
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        if (!xdgMime.isEmpty()) {
            QFile script(bin.filePath(QStringLiteral("xdg-mime")));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\n" + xdgMime + "\n");
            script.close();
            QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        const ScopedEnvironment path("PATH", bin.path().toLocal8Bit());
        QCOMPARE(DesktopOpensFilesLike(bin.filePath(QStringLiteral("guide.pdf"))), opens);
    }
};

QTEST_APPLESS_MAIN(TestLocaleValues)
#include "tst_locale_values.moc"
