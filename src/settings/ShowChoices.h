#pragma once

// The user's choices about when the show holds its messages, one field per key of the
// [Choices] section (SettingKeys::choices); a new ShowChoices holds their design defaults.
struct ShowChoices
{
    ShowChoices();

    bool HoldWhileFullScreen{};
    bool HoldDuringDoNotDisturb{};
};
