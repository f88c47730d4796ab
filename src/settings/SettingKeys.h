#pragma once

#include "core/DesignFont.h"
#include "settings/DisplaySettings.h"
#include "settings/ShowChoices.h"

#include <array>
#include <limits>
#include <optional>
#include <tuple>

// Every stored setting, one entry per key: its name in the store, the field of DisplaySettings
// (or, for the [Choices] section, of ShowChoices) that holds it, its type and range, its defaults,
// and (by the kind of entry) how it is written as text. DisplaySettings, StoredSettings, the
// settings page and the font dialog all take them from here; the text forms themselves are
// SettingsText's.
//
// Two defaults, kept apart where they differ on purpose:
// - `design` is what the program holds before anything is loaded, and what a field keeps when
//   its stored text does not read: the message font is the main window's own 8-point design face
//   (core/DesignFont.h) in black, and the show is off.
// - `firstRun` is what an absent key stands for, so it is what a first run loads and then
//   stores: the show starts, and the message font is 10 points. A key without one stands for
//   its design default.
namespace SettingKeys {

// How the stored text of a key is read.
enum class Reading {
    // The value its text form gives, within the range; any other text leaves the field as it
    // was.
    Checked,
    // True unless the text is exactly the text form of false.
    AllButFalse,
    // Not read with the other keys: the choice is read only while the log-on entry exists,
    // and then only the exact text form of true ticks it.
    WithLogonEntry,
};

// The kinds of entry, by the type of the field and its text form (SettingsText), for the
// fields of `Owner`: one struct per section.

// fromBool / toBool.
template <typename Owner> struct TrueFalseKeyOf
{
    const char* name;
    bool Owner::*field;
    bool design;
    std::optional<bool> firstRun = {};
    Reading reading = Reading::Checked;
};

// A number within [low, high]: fromWhole / toWhole for a WholeKey, fromDecimal / toDecimal for
// a DecimalKey.
template <typename Owner, typename Number> struct NumberKeyOf
{
    const char* name;
    Number Owner::*field;
    Number design;
    Number low;
    Number high;
    std::optional<Number> firstRun = {};
};
template <typename Owner> using WholeKeyOf = NumberKeyOf<Owner, int>;

// One of two options, by the captions the settings page shows: fromWhole of 0 for the first
// and of 1 for any other value; toWhole of 0 or 1.
template <typename Owner> struct OptionKeyOf
{
    const char* name;
    int Owner::*field;
    int design;
    std::array<const char*, 2> captions;
    std::optional<int> firstRun = {};
};

// The text as it is; a blank text reads as none.
template <typename Owner> struct TextKeyOf
{
    const char* name;
    QString Owner::*field;
    const char* design;
    const char* firstRun = nullptr;
};

// The [Settings] section.
using TrueFalseKey = TrueFalseKeyOf<DisplaySettings>;
using WholeKey = WholeKeyOf<DisplaySettings>;
using DecimalKey = NumberKeyOf<DisplaySettings, double>;
using OptionKey = OptionKeyOf<DisplaySettings>;
using TextKey = TextKeyOf<DisplaySettings>;

inline constexpr TrueFalseKey AutoDisplay{.name = "AutoDisplay",
                                          .field = &DisplaySettings::AutoDisplay,
                                          .design = false,
                                          .firstRun = true,
                                          .reading = Reading::AllButFalse};
inline constexpr WholeKey DispInterval{.name = "DispInterval",
                                       .field = &DisplaySettings::DispInterval,
                                       .design = 1, // 5 s
                                       .low = 0,
                                       .high = IntervalChoices::count - 1};
inline constexpr WholeKey DispDuration{.name = "DispDuration",
                                       .field = &DisplaySettings::DispDuration,
                                       .design = 2, // 60 ms
                                       .low = 0,
                                       .high = DurationChoices::count - 1};
inline constexpr OptionKey RandomMessage{.name = "RandomMessage",
                                         .field = &DisplaySettings::RandomMessage,
                                         .design = 0,
                                         .captions = {"Random", "As Written"}};
inline constexpr OptionKey RandomLocation{
    .name = "RandomLocation",
    .field = &DisplaySettings::RandomLocation,
    .design = 0,
    .captions = {"Randomly on the Screen", "Centre of the Screen"}};
// 0x00BBGGRR
inline constexpr WholeKey FontColor{.name = "FontColor",
                                    .field = &DisplaySettings::FontColor,
                                    .design = 0,
                                    .low = std::numeric_limits<qint32>::min(),
                                    .high = std::numeric_limits<qint32>::max()};
inline constexpr TextKey FontName{
    .name = "FontName", .field = &DisplaySettings::FontName, .design = kDesignFontFamily};
inline constexpr TrueFalseKey FontBold{
    .name = "FontBold", .field = &DisplaySettings::FontBold, .design = false};
inline constexpr TrueFalseKey FontItalic{
    .name = "FontItalic", .field = &DisplaySettings::FontItalic, .design = false};
// Points; the range is what the font dialog offers.
inline constexpr DecimalKey FontSize{.name = "FontSize",
                                     .field = &DisplaySettings::FontSize,
                                     .design = 8,
                                     .low = 1,
                                     .high = 1638,
                                     .firstRun = 10};
inline constexpr TrueFalseKey Strikethrough{
    .name = "Strikethrough", .field = &DisplaySettings::Strikethrough, .design = false};
inline constexpr TrueFalseKey Underline{
    .name = "Underline", .field = &DisplaySettings::Underline, .design = false};
// The tray box of the settings page: stored on its own as soon as its tick changes, and with
// the other keys at every save.
inline constexpr TrueFalseKey RunAtSysTray{.name = "RunAtSysTray",
                                           .field = &DisplaySettings::RunAtSysTray,
                                           .design = false,
                                           .reading = Reading::WithLogonEntry};

// Every key, in the order a save passes them to the store.
inline constexpr std::tuple all{
    AutoDisplay, DispInterval, DispDuration, RandomMessage, RandomLocation, FontColor,   FontName,
    FontBold,    FontItalic,   FontSize,     Strikethrough, Underline,      RunAtSysTray};

// The [Choices] section: what the user chose beyond the settings page, each stored on its own
// when it changes. An absent key stands for its design default.
inline constexpr const char* kChoicesSection = "Choices";
inline constexpr std::tuple choices{
    TrueFalseKeyOf<ShowChoices>{
        .name = "HoldWhileFullScreen", .field = &ShowChoices::HoldWhileFullScreen, .design = false},
    TrueFalseKeyOf<ShowChoices>{.name = "HoldDuringDoNotDisturb",
                                .field = &ShowChoices::HoldDuringDoNotDisturb,
                                .design = true},
    // A number out of range reads as the primary monitor.
    WholeKeyOf<ShowChoices>{.name = "ShowMessagesOn",
                            .field = &ShowChoices::ShowMessagesOn,
                            .design = ShowChoices::PrimaryMonitor,
                            .low = ShowChoices::PrimaryMonitor,
                            .high = ShowChoices::EveryMonitor},
};

} // namespace SettingKeys
