#include "platform/card_lock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using platform::CardLock;

class TestCardLock : public QObject
{
    Q_OBJECT

private slots:
    // One writer a card at a time, and nothing left on the card by the lock.
    void oneWriterACardAtATime()
    {
        QTemporaryDir card;
        QVERIFY(QDir(card.path()).mkdir(QStringLiteral("VELOMAR")));
        const std::string root = card.path().toStdString();
        {
            const CardLock first(root);
            QVERIFY(first.held());
            const CardLock second(root, std::chrono::milliseconds(100));
            QVERIFY(!second.held());
        }
        const CardLock again(root, std::chrono::milliseconds(0));
        QVERIFY(again.held());
        QCOMPARE(
            QDir(card.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"VELOMAR"});
        QVERIFY(QDir(card.filePath(QStringLiteral("VELOMAR")))
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    // Without its folder there is nothing to write to; a link in the folder's place leads off
    // the card.
    void noCardFolderNoLock()
    {
        QTemporaryDir card;
        const std::string root = card.path().toStdString();
        QVERIFY(!CardLock(root, std::chrono::milliseconds(0)).held());
        QVERIFY(QDir(card.path()).mkdir(QStringLiteral("elsewhere")));
        QVERIFY(QFile::link(card.filePath(QStringLiteral("elsewhere")),
                            card.filePath(QStringLiteral("VELOMAR"))));
        QVERIFY(!CardLock(root, std::chrono::milliseconds(0)).held());
    }
};

QTEST_GUILESS_MAIN(TestCardLock)
#include "tst_card_lock.moc"
