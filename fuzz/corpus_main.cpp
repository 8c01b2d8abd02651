// Replays files through the fuzz target without libFuzzer, so that every build (g++ and the
// sanitizer build included) runs the corpus once as a test:
//     fuzz_corpus FOLDER_OR_FILE...
// Each folder's regular files are fed in name order. Fails when nothing was fed: a missing or
// empty corpus must not pass unnoticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool feed(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "fuzz_corpus: cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_corpus FOLDER_OR_FILE...\n");
        return 2;
    }
    std::size_t fed = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path argument(argv[i]);
        std::error_code error;
        std::vector<fs::path> files;
        if (fs::is_directory(argument, error)) {
            for (const auto& entry : fs::directory_iterator(argument, error)) {
                if (entry.is_regular_file(error)) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(argument);
        }
        if (error) {
            std::fprintf(stderr, "fuzz_corpus: cannot list %s: %s\n", argv[i],
                         error.message().c_str());
            return 1;
        }
        for (const fs::path& file : files) {
            if (!feed(file)) {
                return 1;
            }
            ++fed;
        }
    }
    std::printf("fuzz_corpus: %zu inputs read without a finding\n", fed);
    return fed > 0 ? 0 : 1;
}
