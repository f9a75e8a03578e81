#pragma once

// What the Cellular tab moves between the record and its controls, with the length check in the
// tab's order.

#include "settings/camera_settings.h"
#include "settings/refusal.h"

#include <array>
#include <string>
#include <string_view>
#include <tuple>

// The texts are the record's: one byte a character (ISO 8859-1), of any length until check()
// let them through. Each destination's kind is as its To/BCC pair shows it (0 To, 1 BCC).
struct CellularValues
{
    static constexpr int kPhoneRows = 4;
    static constexpr int kEmailRows = 2;
    static constexpr int kPhoneMaxChars = 15;
    static constexpr int kEmailMaxChars = 36;
    // The characters that would break an address list.
    static constexpr std::string_view kEmailForbidden = "()[]\\;:\",<>";
    // Numbers are stored as four-bit codes and addresses in seven bits a character.
    static constexpr char16_t kDestinationHighestCharacter = 0x7F;
    static constexpr rules::TextField kEmailField{kEmailForbidden, kDestinationHighestCharacter,
                                                  kEmailMaxChars};
    // Phone numbers take digits, blanks and "-": every letter, every other printable
    // punctuation character and every control character is refused.
    static const std::string &phoneForbiddenCharacters();
    static rules::TextField phoneField();

    // The text fields, in the order check() takes them.
    enum Field
    {
        Email1,
        Email2,
        Phone1,
        Phone2,
        Phone3,
        Phone4,
    };

    int useCellular = 0;
    int sendDailyStatus = 0;
    std::array<std::string, kPhoneRows> phoneText;
    std::array<int, kPhoneRows> phoneKind{-1, -1, -1, -1};
    std::array<std::string, kEmailRows> emailText;
    std::array<int, kEmailRows> emailKind{-1, -1};

    // A destination the record marks as none reads as an empty text sent To.
    static CellularValues fromRecord(const CameraSettings &settings);
    // Every row is stored, an empty one too. The texts must fit (check()).
    void toRecord(CameraSettings &settings) const;
    // The first text longer than the record keeps, e-mail addresses before phone numbers.
    rules::Check check() const;
};

static_assert(CellularValues::kPhoneRows ==
              std::tuple_size_v<decltype(CellularSection::phoneNumbers)>);
static_assert(CellularValues::Phone4 + 1 ==
              CellularValues::kEmailRows + CellularValues::kPhoneRows);
