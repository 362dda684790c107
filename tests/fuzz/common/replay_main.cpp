// Runs a fuzz entry point over every file of its corpus folders, and over seeded variations of
// each file (bytes flipped, cut, repeated), so the ordinary build keeps the corpus passing.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kVariationsPerFile = 64;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void run(const Bytes& input) {
    // An empty vector's data() may be null; the fuzzer passes a valid pointer.
    static const uint8_t none = 0;
    LLVMFuzzerTestOneInput(input.empty() ? &none : input.data(), input.size());
}

// A small, reproducible change of the kind libFuzzer makes.
Bytes vary(Bytes input, std::mt19937& rng) {
    if (input.empty()) return Bytes(1, uint8_t(rng()));
    const auto at = [&] { return std::size_t(rng() % input.size()); };
    switch (rng() % 5) {
        case 0:
            for (int i = 0; i < 4; ++i) input[at()] = uint8_t(rng());
            break;
        case 1:
            input.resize(at());
            break;
        case 2:
            input.erase(input.begin() + std::ptrdiff_t(at()));
            break;
        case 3:
            input.insert(input.begin() + std::ptrdiff_t(at()), uint8_t(rng()));
            break;
        default: {
            const std::size_t from = at(),
                              n = std::min<std::size_t>(rng() % 64, input.size() - from);
            Bytes copy(input.begin() + std::ptrdiff_t(from),
                       input.begin() + std::ptrdiff_t(from + n));
            input.insert(input.begin() + std::ptrdiff_t(at()), copy.begin(), copy.end());
        }
    }
    return input;
}

std::vector<std::filesystem::path> corpusFiles(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR|FILE...\n", argv[0]);
        return 2;
    }
    std::size_t files = 0, runs = 0;
    std::mt19937 rng(20220530);
    for (int a = 1; a < argc; ++a) {
        const std::filesystem::path path = argv[a];
        const auto list =
            std::filesystem::is_directory(path) ? corpusFiles(path) : std::vector{path};
        for (const auto& file : list) {
            const Bytes input = readFile(file);
            std::printf("replay %s (%zu bytes)\n", file.filename().c_str(), input.size());
            std::fflush(stdout);
            run(input);
            for (int v = 0; v < kVariationsPerFile; ++v) run(vary(input, rng));
            ++files;
            runs += 1 + kVariationsPerFile;
        }
    }
    std::printf("%zu corpus files, %zu runs\n", files, runs);
    // An empty or missing corpus would pass without testing anything.
    return files > 0 ? 0 : 1;
}
