// Summarises pairs written by a script, one "<project> <reference>" line each:
//   bench_pairs NAME UNIT PROJECT-LABEL REFERENCE-LABEL [reference-over-project] < pairs
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>

#include "bench/support/pair_summary.h"

int main(int argc, char** argv) {
    if (argc != 5 && !(argc == 6 && std::strcmp(argv[5], "reference-over-project") == 0)) {
        std::fprintf(stderr,
                     "usage: bench_pairs NAME UNIT PROJECT-LABEL REFERENCE-LABEL "
                     "[reference-over-project] < pairs\n");
        return 2;
    }
    try {
        bench::PairSummary summary(argv[1], argv[2], argc == 6);
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream fields(line);
            double project = 0;
            double reference = 0;
            if (!(fields >> project >> reference)) {
                std::fprintf(stderr, "bench_pairs %s: not a pair: \"%s\"\n", argv[1], line.c_str());
                return 1;
            }
            summary.add(project, reference);
        }
        if (summary.size() == 0) {
            std::fprintf(stderr, "bench_pairs %s: no pairs\n", argv[1]);
            return 1;
        }
        std::fputs(summary.report(argv[3], argv[4]).c_str(), stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_pairs: %s\n", e.what());
        return 1;
    }
    return 0;
}
