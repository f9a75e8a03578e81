#include "cellular/cellular_values.h"

#include "settings/setting_rules.h"

#include <QByteArray>

namespace {

using rules::kEmailMaxChars;
using rules::kPhoneMaxChars;

QString fromLatin1(const std::string &text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Texts are stored one byte a character.
PhoneNumberWords packPhone(const QString &text, bool bcc)
{
    const QByteArray bytes = text.left(kPhoneMaxChars).toLatin1();
    return PackPhoneNumber(std::string_view(bytes.constData(), bytes.size()), bcc);
}

EmailAddressBytes packEmail(const QString &text, bool bcc)
{
    const QByteArray bytes = text.left(kEmailMaxChars).toLatin1();
    return PackEmailAddress(std::string_view(bytes.constData(), bytes.size()), bcc);
}

} // namespace

CellularValues CellularValues::fromRecord(const CameraSettings &settings)
{
    CellularValues values;
    values.useCellular = settings.CellularOff() ? 0 : 1;
    values.sendDailyStatus = settings.DailyStatusOff() ? 0 : 1;
    values.phoneKind.fill(0);
    values.emailKind.fill(0);
    for (int i = 0; i < kPhoneRows; ++i) {
        const PhoneNumberWords &words = settings.cellular.phoneNumbers[i];
        if (PhoneNumberKind(words) != DestinationNone) {
            const Destination number = UnpackPhoneNumber(words);
            values.phoneText[i] = fromLatin1(number.text);
            values.phoneKind[i] = number.bcc ? 1 : 0;
        }
    }
    const std::array<const EmailAddressBytes *, kEmailRows> emails{&settings.cellular.email1,
                                                                   &settings.cellular.email2};
    for (int j = 0; j < kEmailRows; ++j) {
        if (EmailAddressKind(*emails[j]) != DestinationNone) {
            const Destination address = UnpackEmailAddress(*emails[j]);
            values.emailText[j] = fromLatin1(address.text);
            values.emailKind[j] = address.bcc ? 1 : 0;
        }
    }
    return values;
}

void CellularValues::toRecord(CameraSettings &settings) const
{
    settings.SetCellularOff(useCellular == 0);
    settings.SetDailyStatusOff(sendDailyStatus == 0);
    for (int i = 0; i < kPhoneRows; ++i)
        settings.cellular.phoneNumbers[i] = packPhone(phoneText[i], phoneKind[i] == 1);
    settings.cellular.email1 = packEmail(emailText[0], emailKind[0] == 1);
    settings.cellular.email2 = packEmail(emailText[1], emailKind[1] == 1);
}

int CellularValues::exceededLength() const
{
    for (const QString &text : emailText) {
        if (text.size() > kEmailMaxChars)
            return kEmailMaxChars;
    }
    for (const QString &text : phoneText) {
        if (text.size() > kPhoneMaxChars)
            return kPhoneMaxChars;
    }
    return 0;
}
