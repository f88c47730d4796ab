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

// The settings the running program holds, one field per stored key plus RunAtStartup.
struct DisplaySettings
{
    int DispInterval = 1;   // index into IntervalChoices
    int DispDuration = 2;   // index into DurationChoices
    int RandomMessage = 0;  // 0 "Random", 1 "As Written"
    int RandomLocation = 0; // 0 "Randomly on the Screen", 1 "Centre of the Screen"
    qint32 FontColor = 0;   // 0x00BBGGRR
    QString FontName = QStringLiteral("Verdana");
    double FontSize = 8;
    bool FontBold = false;
    bool FontItalic = false;
    bool Strikethrough = false;
    bool Underline = false;
    bool AutoDisplay = false;
    bool RunAtSysTray = false;
    bool RunAtStartup = false;

    int intervalMs() const { return IntervalChoices::seconds(DispInterval) * 1000; }
    int durationMs() const { return DurationChoices::milliseconds(DispDuration); }

    // The message font and colour as Qt knows them.
    QFont messageFont() const;
    void setMessageFont(const QFont& font);
    static QColor colorFromValue(qint32 value); // 0x00BBGGRR
    static qint32 valueFromColor(const QColor& color);
};
