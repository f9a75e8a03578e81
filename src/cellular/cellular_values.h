#pragma once

#include "settings/camera_settings.h"

#include <QString>

#include <array>
#include <tuple>

// What the Cellular tab moves between the record and its controls: the texts as the fields show
// them, and each destination's kind as its To/BCC pair shows it (0 To, 1 BCC).
struct CellularValues
{
    static constexpr int kPhoneRows = 4;
    static constexpr int kEmailRows = 2;

    int useCellular = 0;
    int sendDailyStatus = 0;
    std::array<QString, kPhoneRows> phoneText;
    std::array<int, kPhoneRows> phoneKind{-1, -1, -1, -1};
    std::array<QString, kEmailRows> emailText;
    std::array<int, kEmailRows> emailKind{-1, -1};

    // A destination the record marks as none reads as an empty text sent To.
    static CellularValues fromRecord(const CameraSettings &settings);
    // Every row is stored, an empty one too. The texts must fit (exceededLength()).
    void toRecord(CameraSettings &settings) const;
    // The fields take any length: the record's limit that a text exceeds, e-mail addresses
    // checked first, or 0 when every text fits.
    int exceededLength() const;
};

static_assert(CellularValues::kPhoneRows ==
              std::tuple_size_v<decltype(CellularSection::phoneNumbers)>);
