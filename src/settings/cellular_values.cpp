#include "settings/cellular_values.h"

#include <string_view>
#include <utility>

namespace {

// Whatever check() would refuse is cut to the record's room rather than spill over.
PhoneNumberWords packPhone(const std::string &text, bool bcc)
{
    return PackPhoneNumber(std::string_view(text).substr(0, CellularValues::kPhoneMaxChars), bcc);
}

EmailAddressBytes packEmail(const std::string &text, bool bcc)
{
    return PackEmailAddress(std::string_view(text).substr(0, CellularValues::kEmailMaxChars), bcc);
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
            Destination number = UnpackPhoneNumber(words);
            values.phoneText[i] = std::move(number.text);
            values.phoneKind[i] = number.bcc ? 1 : 0;
        }
    }
    const std::array<const EmailAddressBytes *, kEmailRows> emails{&settings.cellular.email1,
                                                                   &settings.cellular.email2};
    for (int j = 0; j < kEmailRows; ++j) {
        if (EmailAddressKind(*emails[j]) != DestinationNone) {
            Destination address = UnpackEmailAddress(*emails[j]);
            values.emailText[j] = std::move(address.text);
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

rules::Check CellularValues::check() const
{
    for (int j = 0; j < kEmailRows; ++j) {
        if (auto refusal = rules::CheckLength(emailText[j].size(), kEmailMaxChars, Email1 + j))
            return refusal;
    }
    for (int i = 0; i < kPhoneRows; ++i) {
        if (auto refusal = rules::CheckLength(phoneText[i].size(), kPhoneMaxChars, Phone1 + i))
            return refusal;
    }
    return std::nullopt;
}

const std::string &CellularValues::phoneForbiddenCharacters()
{
    static const std::string set = [] {
        std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJLKMNOPQRSTUVWXYZ";
        for (char c = 0x21; c <= 0x7E; ++c) {
            const bool alphanumeric =
                (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            if (!alphanumeric && c != '-')
                letters += c;
        }
        // A control character has no code of its own either: stored, it would end the number.
        for (char c = 0x01; c < 0x20; ++c)
            letters += c;
        return letters + '\x7F';
    }();
    return set;
}

rules::TextField CellularValues::phoneField()
{
    return {phoneForbiddenCharacters(), kDestinationHighestCharacter, kPhoneMaxChars};
}
