// The copies of a card's settings kept before other settings replace them: which are kept,
// under which name, and which are pruned.
#include "settings/replaced_copies.h"
#include "settings/settings_file.h"
#include "settings_test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <ctime>

using testfiles::readBytes;
using testfiles::settingsFileBytes;
using testfiles::writeBytes;

namespace {

// 2015-01-05 09:05:00 UTC, and the tests run in UTC.
constexpr std::time_t kMorning = 1420448700;

std::filesystem::path path(const QString &text)
{
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

QByteArray withLabel(const char *label)
{
    CameraSettings settings = testfiles::factorySettings();
    settings.SetLabel(label);
    return settingsFileBytes(settings);
}

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

QStringList copiesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestReplacedCopies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }

    // Kept only when the card holds other bytes than those about to replace them.
    void aCopyIsKeptOnlyOfOtherBytes_data()
    {
        QTest::addColumn<QByteArray>("onCard"); // null: no file on the card
        QTest::addColumn<QStringList>("copies");
        QTest::newRow("other settings")
            << withLabel("CAM B") << QStringList{"1234-ABCD_2015-01-05_09-05-00_CAM-B.cfg"};
        QTest::newRow("an older, shorter layout")
            << withLabel("North 7").left(128)
            << QStringList{"1234-ABCD_2015-01-05_09-05-00_North-7.cfg"};
        QTest::newRow("not a settings file")
            << QByteArray("junk") << QStringList{"1234-ABCD_2015-01-05_09-05-00_unreadable.cfg"};
        QTest::newRow("the same settings") << withLabel("NEW") << QStringList{};
        QTest::newRow("no file yet") << QByteArray() << QStringList{};
    }
    void aCopyIsKeptOnlyOfOtherBytes()
    {
        QFETCH(QByteArray, onCard);
        QFETCH(QStringList, copies);
        QTemporaryDir card, data;
        const QString cardFile = card.filePath(QStringLiteral("Kestra.cfg"));
        if (!onCard.isNull())
            QVERIFY(writeBytes(cardFile, onCard));
        const QString folder = data.filePath(QStringLiteral("replaced"));
        ReplacedCopies replaced(path(folder));
        QCOMPARE(replaced.keep(path(cardFile), "1234-abcd", bytesOf(withLabel("NEW")), kMorning),
                 std::nullopt);
        QCOMPARE(copiesIn(folder), copies);
        if (!copies.isEmpty())
            QCOMPARE(readBytes(folder + QLatin1Char('/') + copies.front()), onCard);
    }

    // The newest ten of each serial stay; what this run kept stays whatever their number.
    void eachSerialKeepsItsNewestTenAndThisRunsOwn()
    {
        QTemporaryDir card, data;
        const QString cardFile = card.filePath(QStringLiteral("Kestra.cfg"));
        const QString folder = data.filePath(QStringLiteral("replaced"));
        // Another run's copies: twelve of this card, three of another.
        QVERIFY(QDir().mkpath(folder));
        for (int day = 10; day < 22; ++day)
            QVERIFY(writeBytes(folder + QStringLiteral("/1234-ABCD_2014-12-%1_08-00-00_OLD.cfg")
                                            .arg(day),
                               "x"));
        for (int day = 10; day < 13; ++day)
            QVERIFY(writeBytes(folder + QStringLiteral("/9999-0000_2014-12-%1_08-00-00_B.cfg")
                                            .arg(day),
                               "x"));

        ReplacedCopies replaced(path(folder));
        QVERIFY(writeBytes(cardFile, withLabel("ONE")));
        QCOMPARE(replaced.keep(path(cardFile), "1234-ABCD", bytesOf(withLabel("TWO")), kMorning),
                 std::nullopt);
        QStringList names = copiesIn(folder);
        QCOMPARE(names.filter(QStringLiteral("9999-0000_")).size(), 3);
        QStringList own = names.filter(QStringLiteral("1234-ABCD_"));
        QCOMPARE(own.size(), 10);
        QCOMPARE(own.front(), QStringLiteral("1234-ABCD_2014-12-13_08-00-00_OLD.cfg"));
        QCOMPARE(own.back(), QStringLiteral("1234-ABCD_2015-01-05_09-05-00_ONE.cfg"));

        // Eleven more replacements within the same second: none of them is pruned.
        for (int i = 0; i < 11; ++i) {
            QVERIFY(writeBytes(cardFile, withLabel(i % 2 ? "ONE" : "THREE")));
            QCOMPARE(replaced.keep(path(cardFile), "1234-ABCD", bytesOf(withLabel("TWO")),
                                   kMorning),
                     std::nullopt);
        }
        own = copiesIn(folder).filter(QStringLiteral("1234-ABCD_"));
        QCOMPARE(own.size(), 12);
        QCOMPARE(own.filter(QStringLiteral("_OLD")).size(), 0);
        QVERIFY(own.contains(QStringLiteral("1234-ABCD_2015-01-05_09-05-00_THREE_2.cfg")));
    }

    // A folder that cannot be made is said, with the folder's name.
    void aCopyThatCannotBeKeptIsSaid()
    {
        QTemporaryDir card, data;
        const QString cardFile = card.filePath(QStringLiteral("Kestra.cfg"));
        QVERIFY(writeBytes(cardFile, withLabel("ONE")));
        const QString blocker = data.filePath(QStringLiteral("replaced"));
        QVERIFY(writeBytes(blocker, "a file where the folder goes"));
        ReplacedCopies replaced(path(blocker));
        const auto problem =
            replaced.keep(path(cardFile), "1234-ABCD", bytesOf(withLabel("TWO")), kMorning);
        QVERIFY(problem);
        QVERIFY2(problem->starts_with("The card's previous settings could not be kept in " +
                                      blocker.toStdString() + ": "),
                 problem->c_str());
    }

    void theFolderFollowsXdgDataHome()
    {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "/srv/data");
        QCOMPARE(ReplacedCopiesFolder(), path("/srv/data/Velomar/velomar-settings/replaced"));
        qputenv("XDG_DATA_HOME", "relative/data");
        qputenv("HOME", "/home/owner");
        QCOMPARE(ReplacedCopiesFolder(),
                 path("/home/owner/.local/share/Velomar/velomar-settings/replaced"));
        qputenv("XDG_DATA_HOME", saved);
    }
};

QTEST_APPLESS_MAIN(TestReplacedCopies)
#include "tst_replaced_copies.moc"
