// A main() for the fuzz targets without libFuzzer, for CTest: the target's
// seed mode writes its seeds into a scratch folder (in a child process, as the
// seed mode ends the process), then every seed, and every file or folder named
// on the command line, goes once through LLVMFuzzerTestOneInput.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    char dirTemplate[] = "/tmp/vela-seeds-XXXXXX";
    const char* seeds = mkdtemp(dirTemplate);
    if (!seeds)
        return 2;
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("VELA_FUZZ_SEEDS", seeds, 1);
        LLVMFuzzerInitialize(&argc, &argv);
        _exit(1);  // the seed mode ends the process itself
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the seed mode failed\n");
        return 1;
    }

    std::vector<fs::path> inputs;
    auto add = [&](const fs::path& p) {
        if (fs::is_directory(p)) {
            for (const auto& e : fs::directory_iterator(p)) inputs.push_back(e.path());
        } else {
            inputs.push_back(p);
        }
    };
    add(seeds);
    for (int i = 1; i < argc; ++i) add(argv[i]);

    int one = 1;
    char* name[] = {argv[0], nullptr};
    char** args = name;
    LLVMFuzzerInitialize(&one, &args);
    for (const fs::path& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    fs::remove_all(seeds);
    return 0;
}
