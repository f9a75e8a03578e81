#pragma once

#include "settings/byte_order.h"
#include "settings/camera_settings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>

// Each section's layout, written once: its fields in file order, with their byte offsets and
// how `kestra-cfg show --json` shows them. encode(), decode() and the JSON writer all walk
// these lists through visitFields(), so a new field is one line in its section's list.

// How `kestra-cfg show --json` shows a field.
enum class JsonForm
{
    Hidden,        // not shown: section tags, sizes and reserved words
    Number,        // the integer
    ScheduleWords, // the day schedule's six words, an array of numbers
    Text,          // the bytes up to the first zero, ISO 8859-1 read as UTF-8
    PhoneNumber,   // {"text", "bcc", "kind"} of the unpacked phone number
    EmailAddress,  // {"text", "bcc", "kind"} of the unpacked e-mail address
};

// ---- Encoding of one field's value, little-endian, element by element ---------------------

// The bytes a value of type T takes in the file; 0 for a type that has no encoding.
template <class T> inline constexpr std::size_t kEncodedBytes = 0;
template <> inline constexpr std::size_t kEncodedBytes<std::uint8_t> = 1;
template <> inline constexpr std::size_t kEncodedBytes<std::uint16_t> = 2;
template <class T, std::size_t N>
inline constexpr std::size_t kEncodedBytes<std::array<T, N>> = N *kEncodedBytes<T>;
template <>
inline constexpr std::size_t kEncodedBytes<DaySchedule> =
    kEncodedBytes<decltype(DaySchedule::words)>;

inline void writeValue(LittleEndianWriter &w, std::uint8_t value)
{
    w.u8(value);
}
inline void writeValue(LittleEndianWriter &w, std::uint16_t value)
{
    w.u16(value);
}
template <class T, std::size_t N>
void writeValue(LittleEndianWriter &w, const std::array<T, N> &values)
{
    for (const T &value : values)
        writeValue(w, value);
}
inline void writeValue(LittleEndianWriter &w, const DaySchedule &schedule)
{
    writeValue(w, schedule.words);
}

inline void readValue(LittleEndianReader &r, std::uint8_t &value)
{
    value = r.u8();
}
inline void readValue(LittleEndianReader &r, std::uint16_t &value)
{
    value = r.u16();
}
template <class T, std::size_t N> void readValue(LittleEndianReader &r, std::array<T, N> &values)
{
    for (T &value : values)
        readValue(r, value);
}
inline void readValue(LittleEndianReader &r, DaySchedule &schedule)
{
    readValue(r, schedule.words);
}

// ---- Field descriptors ---------------------------------------------------------------------

template <class T> inline constexpr bool kIsByteArray = false;
template <std::size_t N> inline constexpr bool kIsByteArray<std::array<std::uint8_t, N>> = true;

// A JSON form that cannot show a value of type T is a compile error, not a wrong output.
template <class T, JsonForm Form> constexpr bool FormFits()
{
    switch (Form) {
    case JsonForm::Hidden:
        return true;
    case JsonForm::Number:
        return std::is_same_v<T, std::uint8_t> || std::is_same_v<T, std::uint16_t>;
    case JsonForm::ScheduleWords:
        return std::is_same_v<T, DaySchedule>;
    case JsonForm::Text:
        return kIsByteArray<T>;
    case JsonForm::PhoneNumber:
        return std::is_same_v<T, PhoneNumberWords>;
    case JsonForm::EmailAddress:
        return std::is_same_v<T, EmailAddressBytes>;
    }
    return false;
}

// A member of the section. `name` is the member's name and its key in `show --json`.
template <class Section, class T, JsonForm Form> struct Field
{
    static_assert(kEncodedBytes<T> > 0, "a field needs a little-endian encoding");
    static_assert(FormFits<T, Form>(), "this JSON form cannot show this field's type");
    static constexpr JsonForm form = Form;
    static constexpr std::size_t bytes = kEncodedBytes<T>;

    T Section::*member;
    std::size_t offset;
    std::string_view name;

    constexpr const T &of(const Section &section) const { return section.*member; }
    constexpr T &of(Section &section) const { return section.*member; }
};

// One element of an array member that the file and the JSON treat as a field of its own
// (phoneNumbers[0] is phoneNumber1).
template <class Section, class T, std::size_t N, JsonForm Form> struct ElementField
{
    static_assert(kEncodedBytes<T> > 0, "a field needs a little-endian encoding");
    static_assert(FormFits<T, Form>(), "this JSON form cannot show this field's type");
    static constexpr JsonForm form = Form;
    static constexpr std::size_t bytes = kEncodedBytes<T>;
    static constexpr std::size_t elements = N;

    std::array<T, N> Section::*member;
    std::size_t index;
    std::size_t offset;
    std::string_view name;

    constexpr const T &of(const Section &section) const { return (section.*member)[index]; }
    constexpr T &of(Section &section) const { return (section.*member)[index]; }
};

template <JsonForm Form, class Section, class T>
constexpr Field<Section, T, Form> fieldAt(T Section::*member, std::size_t offset,
                                          std::string_view name)
{
    return {member, offset, name};
}

template <JsonForm Form, class Section, class T, std::size_t N>
constexpr ElementField<Section, T, N, Form> elementAt(std::array<T, N> Section::*member,
                                                      std::size_t index, std::size_t offset,
                                                      std::string_view name)
{
    return {member, index, offset, name};
}

// ---- The sections ---------------------------------------------------------------------------

template <class Section> struct SectionLayout;

template <> struct SectionLayout<CoreSection>
{
    using S = CoreSection;
    using enum JsonForm;
    static constexpr std::tuple fields{
        fieldAt<Hidden>(&S::tag, 0, "tag"),
        fieldAt<Hidden>(&S::size, 2, "size"),
        fieldAt<Number>(&S::triggerFlags, 4, "triggerFlags"),
        fieldAt<Number>(&S::pulseCount, 6, "pulseCount"),
        fieldAt<Number>(&S::pulseWindow, 7, "pulseWindow"),
        fieldAt<Number>(&S::picturesPerTrigger, 8, "picturesPerTrigger"),
        fieldAt<Number>(&S::pictureInterval, 10, "pictureInterval"),
        fieldAt<Number>(&S::quietPeriod, 12, "quietPeriod"),
        fieldAt<ScheduleWords>(&S::triggerDaySchedule, 14, "triggerDaySchedule"),
        fieldAt<Number>(&S::timeLapseFlags, 26, "timeLapseFlags"),
        fieldAt<Number>(&S::timeLapseInterval, 28, "timeLapseInterval"),
        fieldAt<ScheduleWords>(&S::timeLapseDaySchedule, 30, "timeLapseDaySchedule"),
        fieldAt<Number>(&S::brightness, 42, "brightness"),
        fieldAt<Number>(&S::contrast, 43, "contrast"),
        fieldAt<Number>(&S::imageFlags, 44, "imageFlags"),
        fieldAt<Number>(&S::sharpness, 46, "sharpness"),
        fieldAt<Number>(&S::saturation, 47, "saturation"),
        fieldAt<Text>(&S::label, 48, "label"),
        fieldAt<Number>(&S::optionFlags, 68, "optionFlags"),
        fieldAt<Number>(&S::loadTime, 70, "loadTime"),
        fieldAt<Number>(&S::loadDate, 72, "loadDate"),
    };
};

template <> struct SectionLayout<DualScheduleSection>
{
    using S = DualScheduleSection;
    using enum JsonForm;
    static constexpr std::tuple fields{
        fieldAt<Hidden>(&S::tag, 0, "tag"),
        fieldAt<Hidden>(&S::size, 2, "size"),
        fieldAt<Number>(&S::dayAssignment, 4, "dayAssignment"),
        fieldAt<ScheduleWords>(&S::triggerSchedule1, 6, "triggerSchedule1"),
        fieldAt<ScheduleWords>(&S::triggerSchedule2, 18, "triggerSchedule2"),
        fieldAt<ScheduleWords>(&S::timeLapseSchedule1, 30, "timeLapseSchedule1"),
        fieldAt<ScheduleWords>(&S::timeLapseSchedule2, 42, "timeLapseSchedule2"),
    };
};

template <> struct SectionLayout<CellularSection>
{
    using S = CellularSection;
    using enum JsonForm;
    static constexpr std::tuple fields{
        fieldAt<Hidden>(&S::tag, 0, "tag"),
        fieldAt<Hidden>(&S::size, 2, "size"),
        fieldAt<Number>(&S::cellFlags, 4, "cellFlags"),
        fieldAt<Number>(&S::statusFlags, 6, "statusFlags"),
        fieldAt<Hidden>(&S::reserved, 8, "reserved"),
        elementAt<PhoneNumber>(&S::phoneNumbers, 0, 10, "phoneNumber1"),
        elementAt<PhoneNumber>(&S::phoneNumbers, 1, 18, "phoneNumber2"),
        elementAt<PhoneNumber>(&S::phoneNumbers, 2, 26, "phoneNumber3"),
        elementAt<PhoneNumber>(&S::phoneNumbers, 3, 34, "phoneNumber4"),
        fieldAt<EmailAddress>(&S::email1, 42, "email1"),
        fieldAt<EmailAddress>(&S::email2, 74, "email2"),
    };
};

// Calls visit(field, value) for each field of the section in file order; value is a reference
// to the member, const when the section is.
template <class Section, class Visitor>
constexpr void visitFields(Section &section, Visitor &&visit)
{
    std::apply([&](const auto &...field) { (visit(field, field.of(section)), ...); },
               SectionLayout<std::remove_const_t<Section>>::fields);
}

// ---- What the lists must hold ---------------------------------------------------------------

// Every byte of the section belongs to exactly one field: each field starts where the one
// before it ends, the first at 0, and the last ends at kBytes.
template <class Section> constexpr bool CoversEveryByteOnce()
{
    std::size_t next = 0;
    bool contiguous = true;
    std::apply(
        [&](const auto &...field) {
            ((contiguous = contiguous && field.offset == next, next += field.bytes), ...);
        },
        SectionLayout<Section>::fields);
    return contiguous && next == Section::kBytes;
}

// Two fields of one name would be one JSON key, and one of them would not be shown.
template <class Section> constexpr bool NamesAreDistinct()
{
    constexpr auto names = std::apply(
        [](const auto &...field) {
            return std::array<std::string_view, sizeof...(field)>{field.name...};
        },
        SectionLayout<Section>::fields);
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j)
            if (names[i] == names[j])
                return false;
    return true;
}

// Byte coverage alone would pass a member listed twice in place of another one (a copied line
// left unchanged), which would then never be read or written.
template <class A, class B> constexpr bool SameMember(const A &a, const B &b)
{
    if constexpr (!std::is_same_v<decltype(a.member), decltype(b.member)>) {
        return false;
    } else if constexpr (requires {
                             a.index;
                             b.index;
                         }) {
        return a.member == b.member && a.index == b.index;
    } else {
        return a.member == b.member; // the whole array, or one element of it
    }
}

template <class Section> constexpr bool EachMemberOnce()
{
    return std::apply(
        [](const auto &...field) {
            const auto listedOnce = [&](const auto &one) {
                if constexpr (requires { one.index; })
                    if (one.index >= one.elements)
                        return false;
                return (std::size_t(0) + ... + std::size_t(SameMember(one, field))) == 1;
            };
            return (listedOnce(field) && ...);
        },
        SectionLayout<Section>::fields);
}

static_assert(CoversEveryByteOnce<CoreSection>());
static_assert(CoversEveryByteOnce<DualScheduleSection>());
static_assert(CoversEveryByteOnce<CellularSection>());
static_assert(NamesAreDistinct<CoreSection>());
static_assert(NamesAreDistinct<DualScheduleSection>());
static_assert(NamesAreDistinct<CellularSection>());
static_assert(EachMemberOnce<CoreSection>());
static_assert(EachMemberOnce<DualScheduleSection>());
static_assert(EachMemberOnce<CellularSection>());
