// The replace-by-rename write on a real file system that runs out of room or turns read-only:
// a small tmpfs mounted for each test (needs root; skipped with a message otherwise).
#include "fault_injection.h"
#include "settings/carriers.h"
#include "settings/settings_file.h"
#include "settings_test_files.h"
#include "tmpfs_mount.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
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

// A save, with the medium error it threw instead, if any: an error fails the test that made
// it rather than ending the whole run.
struct Save
{
    bool written = false;
    std::optional<FileErrorCause> thrown;
    QString error;
};

Save save(const CameraSettings &settings, const QString &target, RecordedMessages &messages)
{
    Save result;
    try {
        result.written = WriteSettingsFile(settings, toFilePath(target), messages);
    } catch (const MediumError &error) {
        result.thrown = error.cause();
        result.error = QString::fromLocal8Bit(error.what());
    }
    return result;
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

    // No room for a second copy: an existing file takes the new bytes in its own space, with
    // nothing left beside it, whatever its old length.
    void fullMediumRewritesAnExistingFileInPlace_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<bool>("fill"); // fill the free space up, or leave no free inode
        QTest::addColumn<QByteArray>("old");
        const QByteArray blocks = "size=64k,mode=0755";
        const QByteArray inodes = "size=64k,nr_inodes=3,mode=0755";
        const QByteArray settings = settingsFileBytes(labelled("OLD SETTINGS"));
        QTest::newRow("no free space") << blocks << true << settings;
        QTest::newRow("no free space, longer old file") << blocks << true << QByteArray(4000, 'x');
        QTest::newRow("no free space, shorter old file") << blocks << true << QByteArray("12");
        QTest::newRow("no free folder entry") << inodes << false << settings;
    }
    void fullMediumRewritesAnExistingFileInPlace()
    {
        QFETCH(QByteArray, options);
        QFETCH(bool, fill);
        QFETCH(QByteArray, old);
        if (!mountMedium(options.constData()))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/Kestra.cfg";
        QVERIFY(writeBytes(target, old));
        const QString other = fill ? QStringLiteral("filler") : QStringLiteral("other");
        QVERIFY(fill ? mount->fill() : writeBytes(medium + "/other", "x"));

        RecordedMessages messages;
        const Save saved = save(labelled("NEW SETTINGS"), target, messages);
        QVERIFY2(!saved.thrown, qPrintable(saved.error));
        QVERIFY(saved.written);
        QVERIFY(messages.ids.empty());
        QCOMPARE(readBytes(target), settingsFileBytes(labelled("NEW SETTINGS")));
        QCOMPARE(folderEntries(medium), (QStringList{"Kestra.cfg", other}));
    }

    // On a full card the old file's space takes the new bytes, but only the file's own: a
    // settings file that is a link to another file fails, and the other file stays as it was.
    void fullMediumNeverRewritesThroughALink()
    {
        if (!mountMedium("size=64k,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/Kestra.cfg";
        const QString other = medium + "/other.cfg";
        const QByteArray old = settingsFileBytes(labelled("OLD SETTINGS"));
        QVERIFY(writeBytes(other, old));
        QVERIFY(QFile::link(other, target));
        QVERIFY(mount->fill());

        RecordedMessages messages;
        const Save saved = save(labelled("NEW SETTINGS"), target, messages);
        QVERIFY(!saved.written);
        QCOMPARE(readBytes(other), old);
    }

    // Rewritten in place, the file is not atomic: only the medium giving the new bytes back
    // makes the save a success.
    void fullMediumThatReadsBackOtherBytesFails()
    {
        QVERIFY(MediumFaults::loaded());
        if (!mountMedium("size=64k,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/Kestra.cfg";
        QVERIFY(writeBytes(target, settingsFileBytes(labelled("OLD SETTINGS"))));
        QVERIFY(mount->fill());

        MediumFaults faults;
        faults.flipReads(target);
        RecordedMessages messages;
        const Save saved = save(labelled("NEW SETTINGS"), target, messages);
        faults.clear();
        QCOMPARE(saved.thrown, std::optional(FileErrorCause::IoError));
        QVERIFY(!saved.written);
        QCOMPARE(folderEntries(medium), (QStringList{"Kestra.cfg", "filler"}));
    }

    void fullMediumStillTakesTheLastCarrier()
    {
        if (!mountMedium("size=64k,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/carriers2.dat";
        QVERIFY(writeBytes(target, QByteArray("12")));
        QVERIFY(mount->fill());
        QVERIFY(WriteLastCarrier(7, toFilePath(target)));
        QCOMPARE(readBytes(target), QByteArray("7\0", 2));
        QCOMPARE(folderEntries(medium), (QStringList{"carriers2.dat", "filler"}));
    }

    // Where there is no old file whose space could be used, a full medium is still reported
    // with its cause, and nothing is left behind.
    void fullMediumWithoutAnOldFileFails_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<bool>("fill");
        QTest::addColumn<QByteArray>("old"); // null: no file
        QTest::addColumn<int>("message");    // 0: a medium error instead
        const QByteArray blocks = "size=64k,mode=0755";
        const QByteArray inodes = "size=64k,nr_inodes=2,mode=0755"; // the folder and "other"
        QTest::newRow("no free space, no file") << blocks << true << QByteArray() << 0;
        // An empty file has no block of its own to write into.
        QTest::newRow("no free space, empty file") << blocks << true << QByteArray("") << 0;
        QTest::newRow("no free folder entry, no file") << inodes << false << QByteArray() << 109;
    }
    void fullMediumWithoutAnOldFileFails()
    {
        QFETCH(QByteArray, options);
        QFETCH(bool, fill);
        QFETCH(QByteArray, old);
        QFETCH(int, message);
        if (!mountMedium(options.constData()))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString target = medium + "/Kestra.cfg";
        QStringList entries{fill ? QStringLiteral("filler") : QStringLiteral("other")};
        if (!old.isNull()) {
            QVERIFY(writeBytes(target, old));
            entries.prepend(QStringLiteral("Kestra.cfg"));
        }
        if (fill)
            QVERIFY(mount->fill());
        else
            QVERIFY(writeBytes(medium + "/other", QByteArray("x")));

        RecordedMessages messages;
        bool thrown = false;
        bool written = false;
        try {
            written = WriteSettingsFile(labelled("NEW SETTINGS"), toFilePath(target), messages);
        } catch (const MediumError &error) {
            thrown = true;
            QCOMPARE(error.cause(), FileErrorCause::DiskFull);
            QCOMPARE(QString::fromStdString(error.path().string()), target);
        }
        QVERIFY(!written);
        QCOMPARE(thrown, message == 0);
        QCOMPARE(messages.ids, message ? std::vector<int>{message} : std::vector<int>{});
        QCOMPARE(readBytes(target), old.isNull() ? QByteArray("<unreadable>") : old);
        QCOMPARE(folderEntries(medium), entries);
        if (message) {
            FileErrorCause cause = FileErrorCause::None;
            QVERIFY(!WriteFileReplacing(toFilePath(target), std::array<std::uint8_t, 1>{}, cause));
            QCOMPARE(cause, FileErrorCause::DiskFull);
        }
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
        const Save saved = save(labelled("NEW SETTINGS"), target, messages);
        QVERIFY2(!saved.thrown, qPrintable(saved.error));
        QVERIFY(!saved.written);
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

    // kestra-cfg on a full card: an existing output takes the new settings in place; without
    // one the tool fails with the cause and leaves nothing behind.
    void commandLineToolOnAFullMedium_data()
    {
        QTest::addColumn<QStringList>("arguments"); // %OUT and %IN stand for the files
        QTest::addColumn<bool>("outputExists");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("errors");
        const QByteArray full = "Destination disk drive is full.\n";
        const QStringList factory{"factory", "%OUT"};
        const QStringList convert{"convert", "%IN", "%OUT"};
        QTest::newRow("factory over a file") << factory << true << 0 << QByteArray();
        QTest::newRow("convert over a file") << convert << true << 0 << QByteArray();
        QTest::newRow("factory, no file") << factory << false << 1 << full;
        QTest::newRow("convert, no file") << convert << false << 1 << full;
    }
    void commandLineToolOnAFullMedium()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, outputExists);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, errors);
        if (!mountMedium("size=64k,mode=0755"))
            QSKIP("mounting a tmpfs is not permitted here");
        const QString out = medium + "/Kestra.cfg";
        const QString in = base.filePath("in.cfg"); // on the ordinary disk
        QVERIFY(writeBytes(in, settingsFileBytes(labelled("IN"))));
        const QByteArray old = settingsFileBytes(labelled("OLD SETTINGS"));
        if (outputExists)
            QVERIFY(writeBytes(out, old));
        QVERIFY(mount->fill());
        const bool factory = arguments.first() == QLatin1String("factory");
        arguments.replaceInStrings("%OUT", out);
        arguments.replaceInStrings("%IN", in);

        QProcess tool;
        tool.start(QStringLiteral(KESTRA_CFG), arguments);
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), exitCode);
        QCOMPARE(tool.readAllStandardError(), errors);
        QVERIFY(tool.readAllStandardOutput().isEmpty());
        if (exitCode == 0) {
            CameraSettings factorySettings;
            factorySettings.ResetAll();
            QCOMPARE(readBytes(out), settingsFileBytes(factory ? factorySettings : labelled("IN")));
            QCOMPARE(folderEntries(medium), (QStringList{"Kestra.cfg", "filler"}));
        } else {
            QCOMPARE(folderEntries(medium), QStringList{"filler"});
        }
    }
};

QTEST_APPLESS_MAIN(TestAtomicWrite)
#include "tst_atomic_write.moc"
