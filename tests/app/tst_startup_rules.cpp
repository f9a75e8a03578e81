#include "app/startup_rules.h"

#include <QTest>

Q_DECLARE_METATYPE(OperatingMode)

class TestStartupRules : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<OperatingMode>("mode");
        QTest::newRow("nothing: PRO, card looked for") << "" << false << OperatingMode::PRO;
        QTest::newRow("-rdonly in lower case") << "-rdonly" << true << OperatingMode::PRO;
        QTest::newRow("/RDONLY") << "/RDONLY" << true << OperatingMode::PRO;
        QTest::newRow("-RDONLY -REC is refused as REC")
            << "-RDONLY -REC" << true << OperatingMode::REC;
        QTest::newRow("/KESTRA") << "/KESTRA" << false << OperatingMode::KESTRA;
        QTest::newRow("/PRO -SECURITY: PRO is tested first")
            << "/PRO -SECURITY" << false << OperatingMode::PRO;
        QTest::newRow("-SECURITY alone") << "-Security" << false << OperatingMode::SECURITY;
        QTest::newRow("-SECURITY /KESTRA: KESTRA is tested first")
            << "-SECURITY /KESTRA" << false << OperatingMode::KESTRA;
        QTest::newRow("-RECORD contains -REC") << "-RECORD" << false << OperatingMode::REC;
        QTest::newRow("-PROGRAM contains -PRO") << "-PROGRAM" << false << OperatingMode::PRO;
        QTest::newRow("HELLO is ignored") << "HELLO" << false << OperatingMode::PRO;
        QTest::newRow("no separators needed") << "x/rdonly/kestra" << true << OperatingMode::KESTRA;
        QTest::newRow("option without its dash is text")
            << "REC RDONLY" << false << OperatingMode::PRO;
        QTest::newRow("inside a path") << "C:\\data-rec\\file" << false << OperatingMode::REC;
        QTest::newRow("backslash is not a dash") << "\\REC" << false << OperatingMode::PRO;
    }
    void commandLine()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, readOnly);
        QFETCH(OperatingMode, mode);
        const CommandLineOptions options = ParseCommandLine(commandLine.toStdString());
        QCOMPARE(options.readOnly, readOnly);
        QCOMPARE(options.operatingMode, mode);
    }

    void nonAsciiTextDoesNotMatch()
    {
        // Upper-casing leaves bytes above 127 alone, so they cannot turn into an option.
        QCOMPARE(ParseCommandLine("-r\xc3\xa9"
                                  "c")
                     .operatingMode,
                 OperatingMode::PRO);
    }

    void baseName_data()
    {
        QTest::addColumn<QString>("modulePath");
        QTest::addColumn<QString>("baseName");
        QTest::newRow("Windows path") << "C:\\Tools\\Editor.exe"
                                      << "Editor";
        QTest::newRow("POSIX path") << "/usr/local/bin/velomar-settings"
                                    << "velomar-settings";
        QTest::newRow("dotted folder, no extension") << "/opt/app.d/editor"
                                                     << "editor";
        QTest::newRow("several dots: last one is the extension") << "C:\\Tools\\Editor.v2.exe"
                                                                 << "Editor.v2";
        QTest::newRow("mixed separators") << "C:/Tools\\Sub/Editor.exe"
                                          << "Editor";
        QTest::newRow("hidden file keeps its name") << "/home/u/.editor"
                                                    << ".editor";
        QTest::newRow("bare name") << "Editor.exe"
                                   << "Editor";
    }
    void baseName()
    {
        QFETCH(QString, modulePath);
        QFETCH(QString, baseName);
        QCOMPARE(QString::fromStdString(ExecutableBaseName(modulePath.toStdString())), baseName);
    }

    void localSettingsPath_data()
    {
        QTest::addColumn<QString>("modulePath");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("path");
        QTest::newRow("beside the program") << "C:\\Tools\\Editor.exe"
                                            << "Editor"
                                            << "C:\\Tools\\Kestra.cfg";
        QTest::newRow("folder named like the program: still beside it") << "C:\\Editor\\Editor.exe"
                                                                        << "Editor"
                                                                        << "C:\\Editor\\Kestra.cfg";
        QTest::newRow("install in a folder named like the program")
            << "/opt/velomar-settings/bin/velomar-settings"
            << "velomar-settings"
            << "/opt/velomar-settings/bin/Kestra.cfg";
        QTest::newRow("source checkout named like the program")
            << "/home/ann/velomar-settings/build/src/app/velomar-settings"
            << "velomar-settings"
            << "/home/ann/velomar-settings/build/src/app/Kestra.cfg";
        QTest::newRow("base name again in the extension") << "/opt/tools/edit.edit"
                                                          << "edit"
                                                          << "/opt/tools/Kestra.cfg";
        QTest::newRow("only a folder begins with the base name") << "C:\\Editor\\Other.exe"
                                                                 << "Editor"
                                                                 << "C:\\Kestra.cfg";
        QTest::newRow("base name inside a name is no cut") << "C:\\MyEditor\\Other.exe"
                                                           << "Editor"
                                                           << "Kestra.cfg";
        QTest::newRow("base name not in the path: bare name") << "C:\\Tools\\Other.exe"
                                                              << "Editor"
                                                              << "Kestra.cfg";
        QTest::newRow("case matters") << "C:\\Tools\\EDITOR.EXE"
                                      << "Editor"
                                      << "Kestra.cfg";
        QTest::newRow("POSIX") << "/opt/velomar/bin/velomar-settings"
                               << "velomar-settings"
                               << "/opt/velomar/bin/Kestra.cfg";
        QTest::newRow("base name begins a longer folder name")
            << "/home/velomar-settings-2/velomar-settings"
            << "velomar-settings"
            << "/home/velomar-settings-2/Kestra.cfg";
        QTest::newRow("empty base name: bare name") << "/opt/x"
                                                    << ""
                                                    << "Kestra.cfg";
    }
    void localSettingsPath()
    {
        QFETCH(QString, modulePath);
        QFETCH(QString, baseName);
        QFETCH(QString, path);
        QCOMPARE(QString::fromStdString(
                     LocalSettingsPath(modulePath.toStdString(), baseName.toStdString())),
                 path);
    }

    void localPathFromTheProgramsOwnPath()
    {
        const std::string module = "/srv/cards/tools/velomar-settings";
        QCOMPARE(LocalSettingsPath(module, ExecutableBaseName(module)),
                 std::string("/srv/cards/tools/Kestra.cfg"));
    }
};

QTEST_APPLESS_MAIN(TestStartupRules)
#include "tst_startup_rules.moc"
