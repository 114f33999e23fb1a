// Fuzz target of the WAV loader: every input is written to a file and decoded. No input may crash it, hang
// it or make it take memory the input does not hold.
#include "platform/sound/wavdecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One file for the whole run, rewritten for each input.
const std::string& inputFile()
{
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string name = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/wavdecoder_fuzz_XXXXXX";
        const int fd = ::mkstemp(name.data());
        if (fd < 0) {
            std::abort();
        }
        ::close(fd);
        std::atexit([] { ::unlink(inputFile().c_str()); });
        return name;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = inputFile();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return 0;
    }
    const bool written = std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    if (written) {
        std::string error;
        (void)platform::sounddetail::decodeWavFile(path, &error);
    }
    return 0;
}
