#pragma once

// The face the program was designed in: the windows' own text, the painted captions, the
// display window's first label and the message font of a new DisplaySettings. Where the
// system lacks it, text falls back to kDesignFontStandIn, its closest common stand-in.
inline constexpr char kDesignFontFamily[] = "Verdana";
inline constexpr char kDesignFontStandIn[] = "DejaVu Sans";
