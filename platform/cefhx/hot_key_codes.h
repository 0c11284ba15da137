// The program's hot keys name keys as Windows virtual-key codes with Windows modifier bits; X
// names them as key symbols and modifier masks.
#pragma once

#include <cstdint>

namespace cefhx {

// Modifier bits of a hot key as the program gives them.
inline constexpr int kModAlt = 0x1;
inline constexpr int kModControl = 0x2;
inline constexpr int kModShift = 0x4;
inline constexpr int kModWin = 0x8;
inline constexpr int kModNoRepeat = 0x4000;

// The X key symbol of a virtual-key code; 0 (no symbol) for a code that names no key here.
unsigned long keysymForVirtualKey(int virtualKey);

// The X modifier mask (Mod1 Alt, Control, Shift, Mod4 the logo key) of the modifier bits; -1
// when a bit other than these four and "no repeat" is set.
long modifierMaskFor(int modifiers);

}  // namespace cefhx
