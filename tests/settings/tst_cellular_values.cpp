#include "settings/cellular_values.h"

#include <QTest>

namespace {

// The record's texts, one byte a character, as the tables write them.
QStringList texts(const auto &array)
{
    QStringList out;
    for (const std::string &text : array)
        out << QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    return out;
}

std::string bytes(const QString &text)
{
    return text.toLatin1().toStdString();
}

} // namespace

// The Cellular tab's values without its widgets: what reaches the record, and what comes back.
class TestCellularValues : public QObject
{
    Q_OBJECT

private slots:
    void destinationsReachTheRecordAndComeBack_data()
    {
        QTest::addColumn<bool>("useCellular");
        QTest::addColumn<bool>("sendDailyStatus");
        QTest::addColumn<QStringList>("phones");
        QTest::addColumn<QList<int>>("phoneKinds");
        QTest::addColumn<QStringList>("emails");
        QTest::addColumn<QList<int>>("emailKinds");
        QTest::addColumn<QStringList>("phonesBack");
        QTest::addColumn<QStringList>("emailsBack");
        const QStringList noPhones{"", "", "", ""};
        const QStringList noEmails{"", ""};
        QTest::newRow("off and empty") << false << false << noPhones << QList<int>{0, 0, 0, 0}
                                       << noEmails << QList<int>{0, 0} << noPhones << noEmails;
        QTest::newRow("four numbers, the second and last BCC")
            << true << true << QStringList{"1-555-0100", "20 7946 0000", "0", "99"}
            << QList<int>{0, 1, 0, 1} << noEmails << QList<int>{0, 0}
            << QStringList{"1-555-0100", "20 7946 0000", "0", "99"} << noEmails;
        QTest::newRow("two addresses, the second BCC")
            << true << false << noPhones << QList<int>{0, 0, 0, 0}
            << QStringList{"field@example.org", "Office@Example.com"} << QList<int>{0, 1}
            << noPhones << QStringList{"field@example.org", "Office@Example.com"};
        QTest::newRow("rows between empty ones keep their places")
            << true << true << QStringList{"", "12", "", "34"} << QList<int>{0, 0, 0, 1}
            << QStringList{"", "b@example.net"} << QList<int>{0, 1}
            << QStringList{"", "12", "", "34"} << QStringList{"", "b@example.net"};
        QTest::newRow("texts at the record's limits")
            << true << true << QStringList{"123456789012345", "", "", ""} << QList<int>{0, 0, 0, 0}
            << QStringList{QString(36, QLatin1Char('a')), ""} << QList<int>{1, 0}
            << QStringList{"123456789012345", "", "", ""}
            << QStringList{QString(36, QLatin1Char('a')), ""};
        QTest::newRow("longer texts are cut to the record's limits")
            << true << true << QStringList{"1234567890123456", "", "", ""} << QList<int>{0, 0, 0, 0}
            << QStringList{QString(37, QLatin1Char('a')), ""} << QList<int>{0, 0}
            << QStringList{"123456789012345", "", "", ""}
            << QStringList{QString(36, QLatin1Char('a')), ""};
    }
    void destinationsReachTheRecordAndComeBack()
    {
        QFETCH(bool, useCellular);
        QFETCH(bool, sendDailyStatus);
        QFETCH(QStringList, phones);
        QFETCH(QList<int>, phoneKinds);
        QFETCH(QStringList, emails);
        QFETCH(QList<int>, emailKinds);
        QFETCH(QStringList, phonesBack);
        QFETCH(QStringList, emailsBack);

        CellularValues entered;
        entered.useCellular = useCellular ? 1 : 0;
        entered.sendDailyStatus = sendDailyStatus ? 1 : 0;
        for (int i = 0; i < CellularValues::kPhoneRows; ++i) {
            entered.phoneText[i] = bytes(phones[i]);
            entered.phoneKind[i] = phoneKinds[i];
        }
        for (int j = 0; j < CellularValues::kEmailRows; ++j) {
            entered.emailText[j] = bytes(emails[j]);
            entered.emailKind[j] = emailKinds[j];
        }
        CameraSettings settings;
        settings.ResetAll();
        entered.toRecord(settings);

        // The record as the camera reads it: flags, then each destination with its kind.
        QCOMPARE(settings.CellularOff(), !useCellular);
        QCOMPARE(settings.DailyStatusOff(), !sendDailyStatus);
        for (int i = 0; i < CellularValues::kPhoneRows; ++i) {
            const PhoneNumberWords &words = settings.cellular.phoneNumbers[i];
            const int kind = phonesBack[i].isEmpty() ? DestinationNone
                             : phoneKinds[i] == 1    ? DestinationBcc
                                                     : DestinationTo;
            QCOMPARE(PhoneNumberKind(words), kind);
            QCOMPARE(QString::fromStdString(UnpackPhoneNumber(words).text), phonesBack[i]);
        }
        const EmailAddressBytes *stored[] = {&settings.cellular.email1, &settings.cellular.email2};
        for (int j = 0; j < CellularValues::kEmailRows; ++j) {
            const int kind = emailsBack[j].isEmpty() ? DestinationNone
                             : emailKinds[j] == 1    ? DestinationBcc
                                                     : DestinationTo;
            QCOMPARE(EmailAddressKind(*stored[j]), kind);
            QCOMPARE(QString::fromStdString(UnpackEmailAddress(*stored[j]).text), emailsBack[j]);
        }

        // And back as the page shows it: an empty row reads as To.
        const CellularValues shown = CellularValues::fromRecord(settings);
        QCOMPARE(shown.useCellular, entered.useCellular);
        QCOMPARE(shown.sendDailyStatus, entered.sendDailyStatus);
        QCOMPARE(texts(shown.phoneText), phonesBack);
        QCOMPARE(texts(shown.emailText), emailsBack);
        for (int i = 0; i < CellularValues::kPhoneRows; ++i)
            QCOMPARE(shown.phoneKind[i], phonesBack[i].isEmpty() ? 0 : phoneKinds[i]);
        for (int j = 0; j < CellularValues::kEmailRows; ++j)
            QCOMPARE(shown.emailKind[j], emailsBack[j].isEmpty() ? 0 : emailKinds[j]);
    }

    void theLimitNamedInTheRefusal_data()
    {
        QTest::addColumn<int>("phoneLength");
        QTest::addColumn<int>("phoneRow");
        QTest::addColumn<int>("emailLength");
        QTest::addColumn<int>("emailRow");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("field");
        QTest::newRow("everything fits") << 15 << 0 << 36 << 0 << 0 << -1;
        QTest::newRow("a number one too long")
            << 16 << 0 << 0 << 0 << 15 << int(CellularValues::Phone1);
        QTest::newRow("the last number too long")
            << 16 << 3 << 0 << 0 << 15 << int(CellularValues::Phone4);
        QTest::newRow("an address one too long")
            << 0 << 0 << 37 << 0 << 36 << int(CellularValues::Email1);
        QTest::newRow("the second address too long")
            << 0 << 0 << 37 << 1 << 36 << int(CellularValues::Email2);
        QTest::newRow("both too long: the addresses are named")
            << 20 << 0 << 40 << 1 << 36 << int(CellularValues::Email2);
    }
    void theLimitNamedInTheRefusal()
    {
        QFETCH(int, phoneLength);
        QFETCH(int, phoneRow);
        QFETCH(int, emailLength);
        QFETCH(int, emailRow);
        QFETCH(int, limit);
        QFETCH(int, field);
        CellularValues values;
        values.phoneText[phoneRow] = std::string(phoneLength, '5');
        values.emailText[emailRow] = std::string(emailLength, 'e');
        const rules::Check refusal = values.check();
        QCOMPARE(refusal.has_value(), limit != 0);
        if (!refusal)
            return;
        QCOMPARE(QString::fromStdString(refusal->text()),
                 QStringLiteral("Please enter no more than %1 characters.").arg(limit));
        QCOMPARE(refusal->field, field);
    }
};

QTEST_APPLESS_MAIN(TestCellularValues)
#include "tst_cellular_values.moc"
