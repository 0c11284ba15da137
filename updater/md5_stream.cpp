#include "updater/md5_stream.h"

#include <openssl/evp.h>

namespace haldor {

void Md5Stream::Free::operator()(evp_md_ctx_st* ctx) const {
    EVP_MD_CTX_free(ctx);
}

Md5Stream::Md5Stream() : ctx_(EVP_MD_CTX_new()) {
    Reset();
}

Md5Stream::~Md5Stream() = default;

void Md5Stream::Reset() {
    ok_ = ctx_ && EVP_DigestInit_ex(ctx_.get(), EVP_md5(), nullptr) == 1;
}

bool Md5Stream::Update(const void* bytes, std::size_t length) {
    ok_ = ok_ && EVP_DigestUpdate(ctx_.get(), bytes, length) == 1;
    return ok_;
}

std::string Md5Stream::Finish() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    const bool ok = ok_ && EVP_DigestFinal_ex(ctx_.get(), digest, &size) == 1;
    ok_ = false;
    if (!ok) return "";
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0xF];
    }
    return text;
}

}  // namespace haldor
