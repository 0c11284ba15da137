// Server file lists come from the download server; the local list from the installation
// folder. Both parse any text or fail with an exception; a path the server names is
// used only when it is safe, and a safe one never leaves the folder; the local list written
// from what was read reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "lobby/download/game_file_lists.h"
#include "lobby/download/safe_path.h"
#include "runtime/name_table.h"
#include "runtime/strings.h"

namespace {

void checkSafe(const std::string& path) {
    if (!download::isSafeGamePath(path)) return;
    if (path.empty() || (path[0] != '\\' && path[0] != '/')) std::abort();
    for (const std::string& part : rt::split(rt::replaceAll(path, "\\", "/"), "/")) {
        if (part == ".." || part.find(':') != std::string::npos) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkSafe(text);
    try {
        for (const download::ServerEntry& entry : download::parseServerList(text)) {
            checkSafe(entry.file);
        }
    } catch (const std::exception&) {
    }
    rt::Ref<rt::Record> list;
    try {
        list = download::parseLocalList(text);
    } catch (const std::exception&) {
        return 0;
    }
    const rt::Ref<rt::Record> back = download::parseLocalList(download::localListText(*list));
    if (back->size() != list->size()) std::abort();
    for (const rt::Record::Field& field : list->fields()) {
        const std::string_view path = rt::nameText(field.id);
        if (!back->has(path)) std::abort();
        for (const char* key : {"md5", "dep"}) {
            if (!(back->get(path).get(key) == field.value.get(key))) std::abort();
        }
    }
    return 0;
}
