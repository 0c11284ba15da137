#pragma once

namespace lobby::games {

// The class initialisers of the plug-in game windows, run once at the lobby's start-up: they bind
// the primitives of PexmorPlug, Sondrel and RavoPlug (npPlug is bound when its first window
// opens) and make the held-back queues. A plug-in library that cannot be loaded raises
// "Could not load module ...".
void initClasses();

}  // namespace lobby::games
