// The built user guide: a PDF with all its pictures, every message the program can show, and
// the paths the build and the package give, so that an edit of the guide, or of the build,
// cannot silently leave the guide behind. Reads the PDF with poppler-utils.

#include "app/startup_rules.h"
#include "resources/string_table.h"
#include "settings/carriers.h"
#include "settings/named_settings.h"
#include "settings/time_lapse_values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTest>

namespace {

// Runs a poppler tool and returns what it printed; fails the test when it cannot.
QString runTool(const QString &tool, const QStringList &arguments)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        QTest::qFail(qPrintable(tool + QStringLiteral(" not found: run scripts/install-deps.sh")),
                     __FILE__, __LINE__);
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        QTest::qFail(qPrintable(tool + QStringLiteral(" failed: ") +
                                QString::fromLocal8Bit(process.readAllStandardError())),
                     __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Line breaks and runs of blanks count as one space, and a line broken after a hyphen
// ("read-" / "only") or in a path after a slash reads as the unbroken word, in the guide as in
// the program's texts.
QString normalized(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression brokenWord(QStringLiteral("([-/]) "));
    QString result = text;
    result.replace(blanks, QStringLiteral(" "));
    result.replace(brokenWord, QStringLiteral("\\1"));
    return result.trimmed();
}

// A message with its placeholders (%1, %2, %s) as a pattern: the guide may put a value or a
// word in their place.
QRegularExpression messagePattern(const QString &message)
{
    static const QRegularExpression placeholder(QStringLiteral("%[0-9s]"));
    QStringList pieces;
    for (const QString &piece : message.split(placeholder))
        pieces.append(QRegularExpression::escape(normalized(piece)));
    return QRegularExpression(pieces.join(QStringLiteral(".{1,60}?")));
}

} // namespace

class TestUserGuide : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QFile pdf(QStringLiteral(VELOMAR_USER_GUIDE_PDF));
        QVERIFY2(pdf.open(QIODevice::ReadOnly), "the build made no user guide");
        QVERIFY(pdf.read(5) == "%PDF-");

        // -raw keeps the order in which the text was laid out, so that a table cell's lines
        // stay together.
        guideText =
            normalized(runTool(QStringLiteral("pdftotext"),
                               {QStringLiteral("-raw"), QStringLiteral("-enc"),
                                QStringLiteral("UTF-8"), pdf.fileName(), QStringLiteral("-")}));
        QVERIFY(!guideText.isEmpty());
    }

    void theTitlePageCarriesTheVersionAndBuildDay()
    {
        const QString titlePage = runTool(
            QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("1"),
                                          QStringLiteral("-l"), QStringLiteral("1"),
                                          QStringLiteral(VELOMAR_USER_GUIDE_PDF), QStringLiteral("-")});
        QVERIFY2(QRegularExpression(QStringLiteral("Version " VELOMAR_VERSION
                                                   ", built \\d{4}-\\d{2}-\\d{2}"))
                     .match(titlePage)
                     .hasMatch(),
                 qPrintable(titlePage));
    }

    void embedsEveryPicture()
    {
        const QString list =
            runTool(QStringLiteral("pdfimages"),
                    {QStringLiteral("-list"), QStringLiteral(VELOMAR_USER_GUIDE_PDF)});
        // Rows of the listing: page, number, type ("image", or "smask" for transparency).
        int images = 0;
        for (const QString &line : list.split(QLatin1Char('\n'))) {
            const QStringList columns = line.simplified().split(QLatin1Char(' '));
            if (columns.size() > 2 && columns[2] == QLatin1String("image"))
                ++images;
        }
        QVERIFY2(images >= VELOMAR_USER_GUIDE_PICTURES,
                 qPrintable(QStringLiteral("%1 pictures").arg(images)));
    }

    void explainsEveryMessage_data()
    {
        QTest::addColumn<QString>("message");
        for (const strings::Entry &entry : strings::kTable)
            QTest::addRow("string %d", entry.id) << QString::fromUtf8(entry.text);

        // The framework's validation messages and the start-up and help notices.
        const char *framework[] = {
            "Please enter an integer.",
            "Please enter a number.",
            "Please enter an integer between %1 and %2.",
            "Please enter a number between %1 and %2.",
            "Please enter no more than %1 characters.",
            "Unknown command line parameter.",
            "The help file was not found.",
            ("No removable card found.  Insert a properly formatted card and select retry or "
             "continue read-only."),
            "You are not allowed to mount the card %1.\n\nMount it with your file manager, or "
            "ask your administrator for permission, and then choose it again.",
            "The card %1 could not be mounted.\n\n%2",
            "No program on this computer opens PDF files, so the user guide cannot be shown. It "
            "is the file\n%1",
            "The card %1 holds other settings than this computer's copy (%2 settings differ).",
            "The settings file on the card %1 cannot be read; OK replaces it with these settings.",
            "The card's previous settings could not be kept in %1: %2",
        };
        for (const char *text : framework)
            QTest::newRow(text) << QString::fromUtf8(text);

        // The refusals of the named settings that only kestra-cfg shows.
        for (const char *text : NamedSettingMessages())
            QTest::newRow(text) << QString::fromUtf8(text);
        // The notice of the Time Lapse tab, which kestra-cfg prints too.
        QTest::newRow("no Camera on period")
            << QString::fromUtf8(TimeLapseValues::kNoCameraOnPeriod);
        // kestra-cfg's own: set --from, and deploy's lines and refusals.
        const char *tool[] = {
            "Please give the value as text, a number or true or false.",
            "there is no card of this name",
            "there is no folder of this name",
            "it names more than one card",
            "no row of %1 names this card",
            "line %1 of %2 names more than one card",
            "the card is no longer there",
            "another card is in its place now",
            "in use by another kestra-cfg run",
            "%1 is a symbolic link, which is never written through",
            "it holds no settings whose camera label could be kept",
            "what was read back from %1 differs from what was written",
            "Please enter the date and time as YYYY-MM-DD HH:MM.",
            "expected two fields, the card and its camera label, not %1",
            "the card is missing",
            "%1 was given a label on line %2 already",
            "a quote is not closed",
            "text after a closing quote",
            "%1: cannot be written: %2",
        };
        for (const char *text : tool)
            QTest::newRow(text) << QString::fromUtf8(text);

        using platform::FileErrorCause;
        QSet<QString> fileErrors;
        for (const FileErrorCause cause :
             {FileErrorCause::DiskFull, FileErrorCause::IoError, FileErrorCause::AccessDenied,
              FileErrorCause::ReadOnlyMedium, FileErrorCause::NotFound, FileErrorCause::Other}) {
            const QString text = QString::fromUtf8(strings::FileErrorText(cause));
            if (!fileErrors.contains(text)) {
                fileErrors.insert(text);
                QTest::addRow("file error %d", int(cause)) << text;
            }
        }
    }

    void explainsEveryMessage()
    {
        QFETCH(QString, message);
        QVERIFY2(messagePattern(message).match(guideText).hasMatch(), qPrintable(message));
    }

    // A reader types the paths the guide gives: they must be where this build and the package
    // put the programs and files, and follow when a target or an install folder moves.
    void namesWhereTheFilesAre_data()
    {
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("actual");

        // The guide calls the build tree "build", as ./scripts/run.sh makes it.
        const QDir tree(QStringLiteral(VELOMAR_BUILD_TREE));
        const auto inTree = [&tree](const std::string &path) {
            return QStringLiteral("build/") + tree.relativeFilePath(QString::fromStdString(path));
        };
        const std::string editor = VELOMAR_EDITOR;
        QTest::newRow("source build: the editor")
            << QStringLiteral("build/src/app/velomar-settings") << inTree(editor);
        QTest::newRow("source build: its local copy")
            << QStringLiteral("build/src/app/Kestra.cfg")
            << inTree(LocalSettingsPath(editor, ExecutableBaseName(editor)));
        QTest::newRow("source build: kestra-cfg")
            << QStringLiteral("build/tools/kestra-cfg/kestra-cfg") << inTree(VELOMAR_KESTRA_CFG);

        const QString bin = QStringLiteral(VELOMAR_PACKAGE_BIN) + QLatin1Char('/');
        QTest::newRow("package: the editor")
            << QStringLiteral("/usr/bin/velomar-settings")
            << bin + QFileInfo(QStringLiteral(VELOMAR_EDITOR)).fileName();
        QTest::newRow("package: kestra-cfg")
            << QStringLiteral("/usr/bin/kestra-cfg")
            << bin + QFileInfo(QStringLiteral(VELOMAR_KESTRA_CFG)).fileName();
        QTest::newRow("package: the example carrier list")
            << QStringLiteral("/usr/share/velomar-settings/carriers.dat")
            << QStringLiteral(VELOMAR_PACKAGE_DATA "/") + QLatin1String(kCarriersFileName);
        QTest::newRow("package: the guide")
            << QStringLiteral(
                   "/usr/share/doc/velomar-settings/Professional Settings User Guide.pdf")
            << QStringLiteral(VELOMAR_PACKAGE_GUIDE);
    }

    void namesWhereTheFilesAre()
    {
        QFETCH(QString, named);
        QFETCH(QString, actual);
        QCOMPARE(actual, named);
        QVERIFY2(guideText.contains(named), qPrintable(named));
    }

private:
    QString guideText;
};

QTEST_GUILESS_MAIN(TestUserGuide)
#include "tst_user_guide.moc"
