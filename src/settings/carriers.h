#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char *kCarriersFileName = "carriers.dat";
inline constexpr const char *kLastCarrierFileName = "carriers2.dat";

// One line of carriers.dat. The option fields are compared as whole texts; the helpers below
// turn them into what the Cellular page offers.
struct CarrierEntry
{
    std::string name;       // ISO 8859-1 bytes as they stand in the file
    std::string emailRows;  // "0" none, "1" one, anything else two
    std::string phoneRows;  // "0" none, "1".."3" that many, anything else four
    std::string order;      // "0" e-mail group first, anything else phone group first
    std::string phoneTitle; // "1" the text-messaging caption, anything else the plain one

    int EmailRowCount() const;
    int PhoneRowCount() const;
    bool EmailGroupFirst() const;
    bool ErrorMessagesTitle() const;

    bool operator==(const CarrierEntry &) const = default;
};

// The carriers read so far, by list position. A read overwrites rows from 0 on and never
// clears the rows after the last one it read.
class CarrierTable
{
public:
    static constexpr int kRows = 50;

    const CarrierEntry &Row(int position) const { return rows.at(static_cast<size_t>(position)); }
    CarrierEntry &Row(int position) { return rows.at(static_cast<size_t>(position)); }

private:
    std::array<CarrierEntry, kRows> rows;
};

struct CarrierList
{
    bool fileFound = false;         // false: carriers.dat could not be opened
    std::vector<std::string> names; // the list items in file order
    std::optional<int> preselect;   // from carriers2.dat, only when that item exists
};

// Splits one line (without its line end). A blank line gives nothing.
std::optional<CarrierEntry> ParseCarrierLine(std::string_view line);

// Parses the whole text of carriers.dat (LF or CR LF), at most 50 carriers, into `table`.
std::vector<std::string> ParseCarrierFile(std::string_view text, CarrierTable &table);

// The position stored in carriers2.dat's first line, as a C runtime would convert it; nothing
// for an empty line. The value may lie outside 0..49.
std::optional<long> ParseLastCarrier(std::string_view text);

// Reads carriers.dat into `table` and, when it was found, the last choice from carriers2.dat.
CarrierList ReadCarrierList(CarrierTable &table,
                            const std::filesystem::path &carriersFile = kCarriersFileName,
                            const std::filesystem::path &lastChoiceFile = kLastCarrierFileName);

// The two bytes carriers2.dat holds for a carrier index: its decimal text when it is 0..49,
// else "3"; a one-digit number is followed by a zero byte.
std::array<char, 2> LastCarrierBytes(int carrierIndex);

// Writes carriers2.dat; false when it could not be written (the caller stays silent). With
// no carrier chosen (an index outside 0..49) a file that names a position in 0..49 is left
// as it is; "3" is written only where there is no such file.
bool WriteLastCarrier(int carrierIndex,
                      const std::filesystem::path &lastChoiceFile = kLastCarrierFileName);
