#pragma once

#include <cstdint>

namespace haldor {

// Window messages between the updater's parts.
constexpr std::uint32_t WM_SOCKET_EVENT = 0x464;       // to a socket's hidden window
constexpr std::uint32_t WM_TRANSFER_PROGRESS = 0x464;  // from a transfer to the dialog
constexpr std::uint32_t WM_TRANSFER_DONE = 0x465;      // from a transfer to the dialog
constexpr std::uint32_t WM_TRAY_NOTIFY = 0x466;

// What a transfer fetches.
enum TransferKind : std::uint32_t {
    kVersionFile = 0,
    kFileList = 1,
    kUpdateFile = 2,
};

// How a transfer ended (the value of WM_TRANSFER_DONE).
enum TransferResult : std::uint32_t {
    kTransferDone = 0,
    kTransferNotStarted = 1,
    kTransferFailed = 6,
    kTargetNotCreated = 7,
};

}  // namespace haldor
