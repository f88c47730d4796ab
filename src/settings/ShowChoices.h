#pragma once

// The user's choices about when and where the show holds and shows its messages, one field per
// key of the [Choices] section (SettingKeys::choices); a new ShowChoices holds their design
// defaults.
struct ShowChoices
{
    ShowChoices();

    // Where messages show, the value stored for "Show messages on".
    enum Monitors { PrimaryMonitor = 0, PointerMonitor = 1, EveryMonitor = 2 };

    bool HoldWhileFullScreen{};
    bool HoldDuringDoNotDisturb{};
    int ShowMessagesOn{};
};
