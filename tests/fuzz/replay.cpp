// Runs a fuzz target's checks over the inputs kept in its seed folder, once each, in an
// ordinary build: what the fuzzer once found stays found in every test run. (The search
// for new inputs is scripts/fuzz, with libFuzzer and the sanitizers.)

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::is_directory(argv[i])) {
            std::fprintf(stderr, "replay: no folder of inputs at %s\n", argv[i]);
            return 1;
        }
        for (const auto &entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++inputs;
        }
    }
    if (inputs == 0) {
        std::fprintf(stderr, "replay: no inputs found\n");
        return 1;
    }
    std::printf("replay: %d inputs, every rule held\n", inputs);
    return 0;
}
