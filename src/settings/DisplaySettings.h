#pragma once

#include <QFont>
#include <QString>
#include <array>

// The pauses offered between two messages, in seconds: 2, then 5, 10, ... 120.
struct IntervalChoices
{
    static constexpr int count = 25;
    static constexpr int seconds(int index) { return index == 0 ? 2 : 5 * index; }
};

// How long one message stays, in milliseconds.
struct DurationChoices
{
    static constexpr std::array<int, 8> values = {20, 40, 60, 80, 100, 125, 150, 200};
    static constexpr int count = int(values.size());
    static constexpr int milliseconds(int index) { return values[std::size_t(index)]; }
};

// The settings the running program holds, one field per stored key plus RunAtStartup. Each
// stored field's key, range and defaults are in SettingKeys.h; a new DisplaySettings holds the
// design defaults.
struct DisplaySettings
{
    DisplaySettings();

    int DispInterval{};   // index into IntervalChoices
    int DispDuration{};   // index into DurationChoices
    int RandomMessage{};  // the option of SettingKeys::RandomMessage
    int RandomLocation{}; // the option of SettingKeys::RandomLocation
    qint32 FontColor{};   // 0x00BBGGRR
    QString FontName;
    double FontSize{}; // points
    bool FontBold{};
    bool FontItalic{};
    bool Strikethrough{};
    bool Underline{};
    bool AutoDisplay{};
    bool RunAtSysTray{};
    // Not stored: the log-on entry is the only record of this choice.
    bool RunAtStartup = false;

    int intervalMs() const { return IntervalChoices::seconds(DispInterval) * 1000; }
    int durationMs() const { return DurationChoices::milliseconds(DispDuration); }

    // The message font and colour as Qt knows them. The font's face is FontName read as Qt
    // reads a face name (a comma separates faces to try in turn).
    QFont messageFont() const;
    void setMessageFont(const QFont& font);
    static QColor colorFromValue(qint32 value); // 0x00BBGGRR
    static qint32 valueFromColor(const QColor& color);
};
