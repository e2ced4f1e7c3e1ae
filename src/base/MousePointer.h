#pragma once

// Values of the main window's pointer, as the handlers exchange them.
namespace MousePointer {
inline constexpr int Default = 0;
inline constexpr int Hourglass = 11;
inline constexpr int Custom = 99;

// The pointer after a move over a control whose feedback chooses `chosen`: a long operation's
// hourglass is never replaced.
constexpr int afterMove(int current, int chosen) {
    return current == Hourglass ? current : chosen;
}
} // namespace MousePointer
