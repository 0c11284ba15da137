#include "runtime/library_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <mutex>

#include "runtime/exception.h"

namespace rt {
namespace {

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool fileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

struct LoadedLibraries {
    std::mutex mutex;
    std::map<std::string, void*> handles;  // never closed: primitives stay bound until exit
};

LoadedLibraries& loaded() {
    static auto* l = new LoadedLibraries;
    return *l;
}

void* load(const std::string& library) {
    std::vector<std::string> names = libraryFileNames(library);
    if (library.find('/') == std::string::npos) {
        std::string folder = programFolder();
        for (const std::string& name : names) {
            std::string path = folder + name;
            if (!fileExists(path)) continue;
            if (void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
            // The file is there but does not load: say why, the caller's message cannot.
            std::fprintf(stderr, "%s\n", dlerror());
        }
    }
    for (const std::string& name : names) {
        if (void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> libraryFileNames(const std::string& library) {
    auto slash = library.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : library.substr(0, slash + 1);
    std::string file = library.substr(folder.size());
    if (endsWith(file, ".so")) return {library};
    if (endsWith(file, ".dll"))
        return {library, folder + "lib" + file.substr(0, file.size() - 4) + ".so"};
    return {folder + "lib" + file + ".so"};
}

std::string programFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/') + 1);
}

void* openLibrary(const std::string& library, const std::string& primitive) {
    LoadedLibraries& l = loaded();
    std::lock_guard<std::mutex> lock(l.mutex);
    if (auto it = l.handles.find(library); it != l.handles.end()) return it->second;
    void* handle = load(library);
    if (!handle) throw Exception("Could not load module " + library + "@" + primitive);
    l.handles.emplace(library, handle);
    return handle;
}

}  // namespace rt
