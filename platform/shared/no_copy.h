#pragma once

namespace morvick {

// The base of the types whose objects own what two copies could not share (a descriptor, a
// process, a folder, a registration): they can be neither copied nor assigned.
class NoCopy {
public:
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;

protected:
    NoCopy() = default;
    ~NoCopy() = default;
};

}  // namespace morvick
