// Times Haldor's MD5 of one file: prints the digest and the seconds it took.
#include <chrono>
#include <cstdio>

#include "updater/md5_digest.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: haldor_md5_bench FILE\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    auto digest = haldor::MD5_CTX::FileDigest(argv[1]);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!digest) {
        std::fprintf(stderr, "haldor_md5_bench: cannot read %s\n", argv[1]);
        return 1;
    }
    std::printf("%s %.3f\n", digest->c_str(), took.count());
    return 0;
}
