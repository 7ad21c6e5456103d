// Runs every file named on the command line, or found in a folder named there, through
// the target once: the corpus and kept crash inputs as a plain test, without libFuzzer.
// When an input crashes the target, the input is printed in hex before the process dies.

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#if __has_include(<sanitizer/common_interface_defs.h>)
#include <sanitizer/common_interface_defs.h>
#define PELLAVO_REPLAY_HAS_SANITIZER 1
#endif
#include <unistd.h>

#include "fuzz/FuzzSupport.hpp"

namespace {

std::vector<std::uint8_t> gCurrent;
std::string gCurrentName;

// Async-signal-safe: write(2) only.
void writeAll(const char* text, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(STDERR_FILENO, text, size);
        if (n <= 0) return;
        text += n;
        size -= static_cast<std::size_t>(n);
    }
}

void printCurrentInput() {
    static constexpr char kDigits[] = "0123456789abcdef";
    const char head[] = "\n==== replay: the target died on ";
    writeAll(head, sizeof head - 1);
    writeAll(gCurrentName.data(), gCurrentName.size());
    const char hex[] = "\n==== input in hex:\n";
    writeAll(hex, sizeof hex - 1);
    char line[64 * 2 + 1];
    std::size_t at = 0;
    for (std::size_t i = 0; i < gCurrent.size(); ++i) {
        line[at++] = kDigits[gCurrent[i] >> 4];
        line[at++] = kDigits[gCurrent[i] & 15];
        if (at == 128 || i + 1 == gCurrent.size()) {
            line[at++] = '\n';
            writeAll(line, at);
            at = 0;
        }
    }
}

void onFatalSignal(int signal) {
    printCurrentInput();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path& path) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else if (std::filesystem::exists(path)) {
        files.push_back(path);
    }
    return files;
}

} // namespace

// UBSan keeps its own runtime beside ASan's, one that never calls the death callback: it
// aborts instead, so the SIGABRT handler prints the input. Options in UBSAN_OPTIONS add to this.
extern "C" const char* __ubsan_default_options() { return "abort_on_error=1"; }

int main(int argc, char** argv) {
#ifdef PELLAVO_REPLAY_HAS_SANITIZER
    __sanitizer_set_death_callback(printCurrentInput);
#endif
    std::signal(SIGABRT, onFatalSignal);
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& file : inputsOf(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            gCurrent.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            gCurrentName = file.string();
            LLVMFuzzerTestOneInput(gCurrent.data(), gCurrent.size());
            ++count;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return count > 0 ? 0 : 1;
}
