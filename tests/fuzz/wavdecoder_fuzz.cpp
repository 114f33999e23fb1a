// Fuzz target of the WAV loader: every input is written to a file and decoded. No input may crash it, hang
// it or make it take memory the input does not hold.
#include "platform/sound/wavdecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A file of its own for each input, gone again before the next one, so that a stopped run leaves none.
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/wavdecoder_fuzz_XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        return 0;
    }
    const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (written) {
        std::string error;
        (void)platform::sounddetail::decodeWavFile(path, &error);
    }
    ::unlink(path.c_str());
    return 0;
}
