#pragma once

#include <string_view>

namespace rt {

// The process-wide table of member names. Each name gets one small positive identifier for the
// process's life, and the identifier gives the name back. Safe to use from any thread.
int nameId(std::string_view name);
// The name of an identifier, NUL-terminated and at a fixed address for the process's life;
// null for a number that was never handed out.
const char* nameOf(int id);
// The whole name of an identifier, NULs inside included; empty for a number never handed out.
std::string_view nameText(int id);

}  // namespace rt
