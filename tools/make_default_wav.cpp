// Writes the player's built-in default sound: 756 bytes of 8-bit mono silence at 11000 samples per second
// (samples 128 and 127 only), with a small INFO list chunk, and two zero bytes after the RIFF data.
// Usage: make_default_wav <output file>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {
void put32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int i = 0; i < 4; ++i) {
        v.push_back(uint8_t(x >> (8 * i)));
    }
}
void put16(std::vector<uint8_t>& v, uint16_t x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void putTag(std::vector<uint8_t>& v, const char* tag)
{
    v.insert(v.end(), tag, tag + 4);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
        return 2;
    }
    const std::string software = "Corvadel default sound";
    std::vector<uint8_t> info; // INFO list: one ISFT (software) entry, NUL-terminated, padded to even
    putTag(info, "INFO");
    putTag(info, "ISFT");
    const uint32_t textSize = uint32_t(software.size() + 1);
    put32(info, textSize);
    info.insert(info.end(), software.begin(), software.end());
    info.push_back(0);
    if (textSize % 2) {
        info.push_back(0);
    }

    const uint32_t dataSize = 756;
    std::vector<uint8_t> wav;
    putTag(wav, "RIFF");
    put32(wav, 4 + (8 + 16) + (8 + uint32_t(info.size())) + (8 + dataSize));
    putTag(wav, "WAVE");
    putTag(wav, "fmt ");
    put32(wav, 16);
    put16(wav, 1); // PCM
    put16(wav, 1); // mono
    put32(wav, 11000); // samples per second
    put32(wav, 11000); // bytes per second
    put16(wav, 1); // block align
    put16(wav, 8); // bits per sample
    putTag(wav, "LIST");
    put32(wav, uint32_t(info.size()));
    wav.insert(wav.end(), info.begin(), info.end());
    putTag(wav, "data");
    put32(wav, dataSize);
    for (uint32_t i = 0; i < dataSize; ++i) {
        wav.push_back(i % 2 ? 127 : 128);
    }
    wav.push_back(0); // two zero bytes after the RIFF data
    wav.push_back(0);

    FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(wav.data(), 1, wav.size(), f) != wav.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
