// Fuzz target: one simulated run of the conversation against a faulty logger and line, the seed
// taken from the input. A broken invariant aborts with the seed, which a row of the seed table
// in conversation_sim_test then replays.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "fuzz_check.h"
#include "virtual_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint64_t seed = 0;
    std::memcpy(&seed, data, size < sizeof seed ? size : sizeof seed);
    const kav::simtest::RunReport report = kav::simtest::runSeed(seed);
    if (!report.broken.empty())
        std::fprintf(stderr, "seed %llu: %s\n", static_cast<unsigned long long>(seed),
                     report.broken.c_str());
    FUZZ_CHECK(report.broken.empty());
    return 0;
}
