#pragma once
// What a process manager reports about its game process.

#include <cstddef>
#include <cstdint>

namespace plug {

class IProcessMessageSink {
public:
    virtual ~IProcessMessageSink() = default;
    // No live game window was found by the link check (or the game never linked).
    virtual bool OnLinkTimeout() = 0;
    // The game was closed or said goodbye.
    virtual bool OnGameClosed(int exitCode) = 0;
    // The game linked; relinked is true when a running game was linked again.
    virtual bool OnGameLinked(bool relinked) = 0;
    // Any other message from the game.
    virtual bool OnGameMessage(uint16_t main, uint16_t sub, const uint8_t* data, size_t length) = 0;
};

}  // namespace plug
