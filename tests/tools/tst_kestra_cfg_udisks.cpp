// kestra-cfg on a desktop whose cards UDisks2 knows: a fake UDisks2 on a private bus, its cards
// real folders of the test, some of them not mounted by anyone.
#include "fake_udisks2.h"
#include "kestra_cfg_process.h"
#include "settings_test_files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace testfiles;

namespace {

CameraSettings labelled(const std::string &label)
{
    CameraSettings s;
    s.ResetAll();
    s.SetLabel(label);
    return s;
}

// What a card holds once deploy gave it `label`: base.cfg with that label and no switch-on time.
QByteArray cardBytes(const std::string &label)
{
    return settingsFileBytes(labelled(label));
}

} // namespace

class TestKestraCfgUDisks : public QObject
{
    Q_OBJECT

    QTemporaryDir dir; // the working folder, with the settings and the label map
    FakeUDisks2 udisks;

    Run run(const QStringList &arguments)
    {
        return runKestraCfg(arguments, dir.path(), QProcessEnvironment::systemEnvironment());
    }
    QString settingsOn(const QString &card) const
    {
        return udisks.mountPoint(card) + QStringLiteral("/VELOMAR/Kestra.cfg");
    }
private slots:
    void initTestCase() { QVERIFY2(udisks.started(), "the fake UDisks2 did not start"); }

    void init()
    {
        QVERIFY2(udisks.load(QStringLiteral("desk.json")), udisks.lastError);
        QVERIFY(dir.isValid() && emptyFolder(dir.path()));
        QVERIFY(writeBytes(dir.filePath("base.cfg"), cardBytes("TEMPLATE")));
    }

    // The card in the reader that nobody mounted is listed, and deploy mounts it, writes it and
    // unmounts it again; the cards the desktop mounted stay mounted.
    void cardsListsAndDeployMountsTheCardNobodyMounted()
    {
        const Run table = run({"cards"});
        QCOMPARE(table.exitCode, 0);
        static const QRegularExpression spareRow(
            QStringLiteral("^\\(not mounted\\) +SPARE +5E1F-92A0 +FAT32 +no file$"),
            QRegularExpression::MultilineOption);
        QVERIFY2(spareRow.match(QString::fromUtf8(table.out)).hasMatch(), table.out.constData());

        const Run json = run({"cards", "--json"});
        QCOMPARE(json.exitCode, 0);
        const QJsonArray cards = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(cards.size(), 4);
        QCOMPARE(cards[0].toObject()["mountPath"].toString(), udisks.mountPoint("CAM2"));
        QCOMPARE(cards[3].toObject(), (QJsonObject{{"mountPath", QJsonValue()},
                                                   {"device", "/dev/sdb1"},
                                                   {"volumeLabel", "SPARE"},
                                                   {"serial", "5E1F-92A0"},
                                                   {"fileSystem", "FAT32"},
                                                   {"settingsFile", QJsonValue()},
                                                   {"cameraLabel", QJsonValue()}}));

        QVERIFY(writeBytes(dir.filePath("map.csv"), "5E1F-92A0,SPARE 1\n7E21-0C44,SLOT 2\n"));
        const Run r = run({"deploy", "base.cfg", "SPARE", "CAM2", "--labels", "map.csv"});
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(QString::fromUtf8(r.out),
                 udisks.mountPoint("SPARE") + " (5E1F-92A0): written, label \"SPARE 1\"\n" +
                     udisks.mountPoint("CAM2") + " (7E21-0C44): written, label \"SLOT 2\"\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readBytes(settingsOn("SPARE")), cardBytes("SPARE 1"));
        QCOMPARE(readBytes(settingsOn("CAM2")), cardBytes("SLOT 2"));
        QCOMPARE(udisks.unmounted(), QStringLiteral("/dev/sdb1"));
    }
};

QTEST_GUILESS_MAIN(TestKestraCfgUDisks)
#include "tst_kestra_cfg_udisks.moc"
