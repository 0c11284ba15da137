#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/bindings/primitive_binder.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/library_loader.h"
#include "runtime/md5.h"
#include "runtime/primitive.h"

namespace lobby {

std::string Config::getMachineCode() {
    if (machineCodeStr) return *machineCodeStr;
    const std::string stored = installPaths().appDataPath + "/Velto/Client.dat";
    if (rt::FileSystem::exists(stored)) {
        machineCodeStr = rt::File::getContent(stored);
        return *machineCodeStr;
    }
    // The hardware library is consulted only when it is installed beside the program, where the
    // loader looks for it first.
    if (!rt::FileSystem::exists(rt::programFolder() + "libZorbtools.so")) {
        machineCodeStr = "";
        return "";
    }
    const rt::Primitive hardInfo = bindings::bindPrimitive("Zorbtools", "trox_gethardinfo", 0);
    const rt::Value info = hardInfo();
    machineCodeStr = rt::md5Hex(info.isString() ? std::string(info.str()) : info.toString());
    try {
        if (rt::FileSystem::exists(installPaths().appDataPath)) {
            const std::string folder = installPaths().appDataPath + "/Velto";
            if (!rt::FileSystem::exists(folder)) rt::FileSystem::createDirectory(folder);
            rt::File::saveContent(stored, *machineCodeStr);
        }
    } catch (const std::exception&) {
        // The code is still answered and cached; it is computed again on the next run.
    }
    return *machineCodeStr;
}

}  // namespace lobby
