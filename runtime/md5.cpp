#include "runtime/md5.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "runtime/file_system.h"
#include "runtime/io_error.h"

namespace rt {
namespace {

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

struct Md5::Context {
    struct Free {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> evp{EVP_MD_CTX_new()};

    void start() {
        if (!evp || EVP_DigestInit_ex(evp.get(), EVP_md5(), nullptr) != 1) {
            throw std::runtime_error("MD5 digest could not be started");
        }
    }
};

Md5::Md5() : context_(std::make_unique<Context>()) {
    context_->start();
}

Md5::~Md5() = default;

void Md5::update(const void* data, size_t length) {
    if (EVP_DigestUpdate(context_->evp.get(), data, length) != 1) {
        throw std::runtime_error("MD5 digest could not be updated");
    }
}

std::string Md5::hex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_->evp.get(), digest, &length) != 1) {
        throw std::runtime_error("MD5 digest could not be finished");
    }
    context_->start();
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 0x0F];
    }
    return out;
}

std::string md5Hex(const uint8_t* data, size_t length) {
    Md5 md5;
    md5.update(data, length);
    return md5.hex();
}

std::string md5Hex(const std::vector<uint8_t>& bytes) {
    return md5Hex(bytes.data(), bytes.size());
}

std::string md5Hex(std::string_view text) {
    return md5Hex(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string md5File(std::string_view path) {
    const std::string disk = FileSystem::diskPath(path);
    if (FileSystem::isDirectory(disk)) {
        throw IoError("Could not read file " + std::string(path) + ": " + std::strerror(EISDIR));
    }
    std::unique_ptr<std::FILE, Closer> file(std::fopen(disk.c_str(), "rb"));
    if (!file)
        throw IoError("Could not read file " + std::string(path) + ": " + std::strerror(errno));
    Md5 md5;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) md5.update(buffer, got);
    if (std::ferror(file.get())) {
        throw IoError("Could not read file " + std::string(path) + ": " + std::strerror(errno));
    }
    return md5.hex();
}

}  // namespace rt
