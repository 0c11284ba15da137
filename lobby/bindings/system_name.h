#pragma once

#include <string>

namespace bindings {

// The name of the system the program believes it runs on. The stand-in platform presents itself
// as "Windows", so every road of the program that tests the system stays open.
std::string systemName();

// Makes the program believe it runs on `name` (tests reach the other roads with it).
void setSystemName(std::string name);

}  // namespace bindings
