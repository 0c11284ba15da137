#pragma once

#include <cstddef>
#include <memory>
#include <string>

struct evp_md_ctx_st;

namespace haldor {

// MD5 of bytes fed in order (RFC 1321).
class Md5Stream {
public:
    Md5Stream();
    ~Md5Stream();

    // Starts over with no bytes.
    void Reset();
    // False once any step failed; the digest is then unusable.
    bool Update(const void* bytes, std::size_t length);
    // 32 lower-case hexadecimal digits of the bytes fed since the last reset, or "" after a
    // failure. The stream must be reset before it is fed again.
    std::string Finish();

private:
    struct Free {
        void operator()(evp_md_ctx_st* ctx) const;
    };
    std::unique_ptr<evp_md_ctx_st, Free> ctx_;
    bool ok_ = false;
};

}  // namespace haldor
