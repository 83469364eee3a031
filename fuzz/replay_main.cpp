// A stand-in for libFuzzer's driver, so that the fuzz targets build with any compiler and run
// under ctest: feeds every seed file to LLVMFuzzerTestOneInput, then a fixed number of
// deterministic mutations of the seeds (the same inputs on every run).
//
//   <target> [--mutations=N] <seed file or folder>...

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::size_t kDefaultMutations = 5000;
// libFuzzer's default -max_len for these targets' seeds is about this size.
constexpr std::size_t kMaxMutatedSize = 4096;

// Bytes the notations, the entry checks and the command set format treat specially.
constexpr std::string_view kInterestingBytes{"^|@_ \r\n\x1E~0123456789ABCDEFafgG\x08\x7F\xFF\x00",
                                             33};

// xorshift64: small, fast and the same everywhere.
class Random {
public:
    std::uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t Below(std::size_t bound) { return bound == 0 ? 0 : Next() % bound; }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

char AnyByte(Random& random) {
    return random.Below(2) == 0 ? kInterestingBytes[random.Below(kInterestingBytes.size())]
                                : static_cast<char>(random.Below(256));
}

std::string Mutate(const std::vector<std::string>& seeds, Random& random) {
    std::string input = seeds[random.Below(seeds.size())];
    const std::size_t steps = 1 + random.Below(4);
    for (std::size_t step = 0; step < steps; ++step) {
        const std::size_t at = random.Below(input.size() + 1);
        switch (random.Below(6)) {
            case 0:  // flip one bit
                if (!input.empty()) {
                    input[random.Below(input.size())] ^= static_cast<char>(1 << random.Below(8));
                }
                break;
            case 1:  // replace one byte
                if (!input.empty()) {
                    input[random.Below(input.size())] = AnyByte(random);
                }
                break;
            case 2:  // insert one byte
                input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), AnyByte(random));
                break;
            case 3:  // erase a short run
                input.erase(at, 1 + random.Below(4));
                break;
            case 4: {  // repeat a short run
                const std::string run = input.substr(at, 1 + random.Below(8));
                input.insert(at, run);
                break;
            }
            default: {  // splice in part of another seed
                const std::string& other = seeds[random.Below(seeds.size())];
                const std::size_t from = random.Below(other.size() + 1);
                input.insert(at, other.substr(from, random.Below(32)));
                break;
            }
        }
        if (input.size() > kMaxMutatedSize) {
            input.resize(kMaxMutatedSize);
        }
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t mutations = kDefaultMutations;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--mutations=")) {
            mutations = std::stoul(std::string(arg.substr(std::strlen("--mutations="))));
            continue;
        }
        const std::filesystem::path path(arg);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else if (std::filesystem::is_regular_file(path)) {
            files.push_back(path);
        } else {
            std::fprintf(stderr, "No seed file or folder: %s\n", argv[i]);
            return 2;
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "No seeds given\n");
        return 2;
    }
    std::sort(files.begin(), files.end());

    std::vector<std::string> seeds;
    for (const auto& file : files) {
        seeds.push_back(ReadFile(file));
        std::fprintf(stderr, "seed %s\n", file.filename().c_str());
        Run(seeds.back());
    }
    Random random;
    for (std::size_t i = 0; i < mutations; ++i) {
        Run(Mutate(seeds, random));
    }
    std::printf("%zu seeds and %zu mutations passed\n", seeds.size(), mutations);
    return 0;
}
