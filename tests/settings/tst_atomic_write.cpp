// The replace-by-rename write on a real file system that runs out of room or turns read-only:
// a small tmpfs mounted for each test (needs root; skipped with a message otherwise).
#include "settings/carriers.h"
#include "settings/settings_file.h"
#include "settings_test_files.h"
#include "tmpfs_mount.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

using namespace testfiles;

namespace {
CameraSettings labelled(const char *label)
{
    CameraSettings s;
    s.ResetAll();
    s.SetLabel(label);
    return s;
}

} // namespace

class TestAtomicWrite : public QObject
{
    Q_OBJECT

    QTemporaryDir base;
    std::unique_ptr<TmpfsMount> mount;
    QString medium; // the mount point

    // Mounts a fresh tmpfs with `options`; false (with a warning) where that is not permitted.
    bool mountMedium(const char *options)
    {
        mount = std::make_unique<TmpfsMount>(options);
        if (!mount->mounted()) {
            qWarning("cannot mount a tmpfs here (%s): skipping", qPrintable(mount->error()));
            return false;
        }
        medium = mount->path();
        return true;
    }

private slots:
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a size-limited tmpfs needs root; run as root to test a full medium");
        QVERIFY(base.isValid());
    }

    void cleanup() { mount.reset(); }

    void fullMediumLeavesTheOldFileWhole()
    {
        if (!mountMedium("size=64k,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/Kestra.cfg";
        const QByteArray old = settingsFileBytes(labelled("OLD SETTINGS"));
        QVERIFY(writeBytes(target, old));
        QVERIFY(mount->fill());

        RecordedMessages messages;
        bool thrown = false;
        try {
            WriteSettingsFile(labelled("NEW SETTINGS"), toFilePath(target), messages);
        } catch (const MediumError &error) {
            thrown = true;
            QCOMPARE(error.cause(), FileErrorCause::DiskFull);
            QCOMPARE(QString::fromStdString(error.path().string()), target);
        }
        QVERIFY2(thrown, "a full medium must abandon the save with a medium error");
        QVERIFY(messages.ids.empty()); // not 109: the file could be created
        QCOMPARE(readBytes(target), old);
        QCOMPARE(folderEntries(medium), (QStringList{"Kestra.cfg", "filler"}));

        // With room again the same write goes through.
        QVERIFY(QFile::remove(medium + "/filler"));
        QVERIFY(WriteSettingsFile(labelled("NEW SETTINGS"), toFilePath(target), messages));
        QCOMPARE(readBytes(target), settingsFileBytes(labelled("NEW SETTINGS")));
        QCOMPARE(folderEntries(medium), QStringList{"Kestra.cfg"});
    }

    void fullMediumKeepsTheLastCarrier()
    {
        if (!mountMedium("size=64k,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/carriers2.dat";
        QVERIFY(writeBytes(target, QByteArray("12")));
        QVERIFY(mount->fill());
        QVERIFY(!WriteLastCarrier(7, toFilePath(target)));
        QCOMPARE(readBytes(target), QByteArray("12"));
        QCOMPARE(folderEntries(medium), (QStringList{"carriers2.dat", "filler"}));
    }

    void noRoomForAnotherFileIsMessage109()
    {
        // Every inode in use: the temporary file cannot be created at all.
        if (!mountMedium("size=64k,nr_inodes=3,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/Kestra.cfg";
        const QByteArray old = settingsFileBytes(labelled("OLD SETTINGS"));
        QVERIFY(writeBytes(target, old));
        QVERIFY(writeBytes(medium + "/other", QByteArray("x")));

        RecordedMessages messages;
        QVERIFY(!WriteSettingsFile(labelled("NEW SETTINGS"), toFilePath(target), messages));
        QCOMPARE(messages.ids, std::vector<int>{109});
        QCOMPARE(readBytes(target), old);
        QCOMPARE(folderEntries(medium), (QStringList{"Kestra.cfg", "other"}));

        FileErrorCause cause = FileErrorCause::None;
        QVERIFY(!WriteFileReplacing(toFilePath(target), std::array<std::uint8_t, 1>{}, cause));
        QCOMPARE(cause, FileErrorCause::DiskFull);
    }

    void readOnlyMedium_data()
    {
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("replacing a file") << true;
        QTest::newRow("creating a file") << false;
    }
    void readOnlyMedium()
    {
        QFETCH(bool, fileExists);
        if (!mountMedium("size=64k,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/Kestra.cfg";
        const QByteArray old = settingsFileBytes(labelled("OLD SETTINGS"));
        if (fileExists)
            QVERIFY(writeBytes(target, old));
        QVERIFY2(mount->remountReadOnly(), "could not remount the tmpfs read-only");

        RecordedMessages messages;
        QVERIFY(!WriteSettingsFile(labelled("NEW SETTINGS"), toFilePath(target), messages));
        QCOMPARE(messages.ids, std::vector<int>{109});
        FileErrorCause cause = FileErrorCause::None;
        QVERIFY(!WriteFileReplacing(toFilePath(target), std::array<std::uint8_t, 1>{}, cause));
        QCOMPARE(cause, FileErrorCause::ReadOnlyMedium);
        QCOMPARE(folderEntries(medium), fileExists ? QStringList{"Kestra.cfg"} : QStringList{});

        // Reading is unaffected: the old settings, or factory values for no file.
        CameraSettings back;
        QVERIFY(ReadSettingsFile(back, toFilePath(target), messages));
        QCOMPARE(back.Label(), std::string(fileExists ? "OLD SETTINGS" : ""));
    }

    void commandLineToolNeverLeavesAPartFile_data()
    {
        QTest::addColumn<QStringList>("arguments"); // %OUT and %IN stand for the files
        QTest::newRow("factory") << QStringList{"factory", "%OUT"};
        QTest::newRow("convert") << QStringList{"convert", "%IN", "%OUT"};
    }
    void commandLineToolNeverLeavesAPartFile()
    {
        QFETCH(QStringList, arguments);
        if (!mountMedium("size=64k,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString out = medium + "/Kestra.cfg";
        const QString in = base.filePath("in.cfg"); // on the ordinary disk
        QVERIFY(writeBytes(in, settingsFileBytes(labelled("IN"))));
        const QByteArray old = settingsFileBytes(labelled("OLD SETTINGS"));
        QVERIFY(writeBytes(out, old));
        QVERIFY(mount->fill());
        arguments.replaceInStrings("%OUT", out);
        arguments.replaceInStrings("%IN", in);

        QProcess tool;
        tool.start(QStringLiteral(KESTRA_CFG), arguments);
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 1);
        QCOMPARE(tool.readAllStandardError(), QByteArray("Destination disk drive is full.\n"));
        QVERIFY(tool.readAllStandardOutput().isEmpty());
        QCOMPARE(readBytes(out), old);
        QCOMPARE(folderEntries(medium), (QStringList{"Kestra.cfg", "filler"}));
    }
};

QTEST_APPLESS_MAIN(TestAtomicWrite)
#include "tst_atomic_write.moc"
