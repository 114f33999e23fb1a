// How closely three layers of different rates, started back to back, line up in the device thread's output.
//
// Each trial does what a synchronised start does: load three slots (44.1, 48 and 16 kHz files), then start
// them one after the other. The device's output is read back from SDL's disk driver (paced at one block a
// millisecond). Each layer is "on" for a stretch from its beginning and then "off"; from the frame the output
// first sounds, the frame where each layer turns off tells where that layer's beginning sounded, to a
// fraction of a frame. Half the trials start from a resting device, half while another slot keeps it running.
// A start that the machine holds up until the others have sounded for a while begins as far in as they are,
// maybe past its own turn-off: such a layer is checked from where the device says it began instead, and the
// layers measured in the output are measured against the layers that really sound there.
// Usage: bench_sound_alignment [trials] (10000 by default). Each trial whose layers sounded apart gets a line
// on standard error: where each layer began by the device's report, and where it turned off in the output.
#include "benchmarks/benchsupport.h"
#include "platform/sound/sounddevice.h"
#include "sound/dx7sound.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

namespace {

struct Layer
{
    int rate;
    int frames; // a tenth of a second
    int on; // file frames from the beginning that hold the level
    float level;
};
// They turn off some 1500, 2000 and 2500 output frames in, past where a start held up by a few blocks begins.
const Layer Layers[3] = { { 44100, 4410, 1500, 0.5f }, { 48000, 4800, 2177, 0.25f }, { 16000, 1600, 907, 0.125f } };
constexpr int OutputRate = 44100;
constexpr std::size_t Region = 2700; // output frames after the onset that hold every layer's turn

std::string writeLayer(const std::filesystem::path& folder, int index, const Layer& layer)
{
    const std::string path = (folder / ("layer_" + std::to_string(index + 1) + ".wav")).string();
    SF_INFO info {};
    info.samplerate = layer.rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> s(std::size_t(layer.frames) * 2, 0.0f);
    std::fill(s.begin(), s.begin() + 2 * layer.on, layer.level);
    sf_writef_float(f, s.data(), layer.frames);
    sf_close(f);
    return path;
}

// Frames the disk driver's file holds.
std::uint64_t framesWritten(const std::string& file)
{
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(file, error);
    return error ? 0 : bytes / (2 * sizeof(float));
}

// The left channel of the disk driver's file from frame `from` on.
std::vector<float> readLeft(const std::string& file, std::uint64_t from)
{
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from * 2 * sizeof(float)));
    std::vector<float> frames;
    float frame[2];
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) {
        frames.push_back(frame[0]);
    }
    return frames;
}

// Where layer k turns off in output frames after the onset, had it begun there.
double expectedTurnOff(int k)
{
    return (Layers[k].on - 0.5) * OutputRate / Layers[k].rate;
}

// Where layer k of the output turned off (the sum falls through the middle of its step), by linear
// interpolation, in frames after `start`, the file frame on which the group's starts aimed to sound; -1 when
// it cannot be found. Layer j sounds from begun[j] frames after that until its own turn-off.
double turnOff(const std::vector<float>& out, double start, int k, const double (&begun)[3])
{
    const double expected = expectedTurnOff(k);
    float before = 0;
    for (int j = 0; j < 3; ++j) {
        before += begun[j] < expected && expectedTurnOff(j) >= expected ? Layers[j].level : 0.0f;
    }
    const float middle = before - Layers[k].level / 2;
    const auto from = static_cast<std::size_t>(std::max(0.0, start + expected - 150));
    for (std::size_t i = from; i + 1 < std::min(out.size(), from + 300); ++i) {
        if (out[i] >= middle && out[i + 1] < middle) {
            return double(i) - start + (out[i] - middle) / (out[i] - out[i + 1]);
        }
    }
    return -1;
}

// Whether a layer that began `late` output frames after its partners began at the file frame they had
// reached by then (the position of the mix's own conversion from the file's rate).
bool beganWithItsPartners(int k, std::uint64_t late, std::uint64_t position)
{
    const std::uint64_t reached = late * std::uint64_t(Layers[k].rate) / OutputRate;
    return position == reached % std::uint64_t(Layers[k].frames);
}

} // namespace

int main(int argc, char** argv)
{
    const long trials = argc > 1 ? std::atol(argv[1]) : 10000;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "corvadel-bench-alignment";
    std::filesystem::create_directories(folder);
    const std::string output = (folder / "output.raw").string();
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    ::setenv("SDL_DISKAUDIODELAY", "1", 1);
    // The disk driver announces itself at every opening.
    SDL_LogSetOutputFunction([](void*, int, SDL_LogPriority, const char*) {}, nullptr);

    std::vector<std::string> files;
    for (int k = 0; k < 3; ++k) {
        files.push_back(writeLayer(folder, k, Layers[k]));
    }
    const std::string silence = writeLayer(folder, 3, { 44100, 4410, 0, 0.0f });
    if (!DX7Sound::InitDX(0)) {
        std::printf("no sound device opened\n");
        return 1;
    }
    DX7Sound::InitBuffers(10, silence);
    // Rest as soon as nothing plays, so that every other run of trials starts from rest.
    DX7Sound::DS->setRestDelay(std::chrono::milliseconds(0));

    long misaligned = 0;
    long offPosition = 0;
    long lost = 0;
    long notFound = 0; // layers whose turn-off was not where it should be, within 150 frames
    long heldPast = 0; // layers whose start came after the others had sounded past its turn-off
    long heldApart = 0; // trials whose starts this thread issued more than the join window apart
    long heldApartSounded = 0; // and that sounded apart
    // Trials from rest: frames of silence SDL wrote before the device's first block, the trials with any, and
    // those with two blocks or more (a reading that takes the device's frame count for the file's would find
    // the last layer's turn-off cut off).
    std::int64_t longestSilence = 0;
    long silentLead = 0;
    long cutShort = 0;
    double worst = 0;
    long crossed = 0; // baseline: trials whose later starts came after the audio thread had begun another block
    const auto began = std::chrono::steady_clock::now();
    bool settled = true; // the last trial's stops reached the file
    for (long t = 0; t < trials; ++t) {
        // Runs of 100 trials from rest, then 100 with the device kept running by slot 3.
        // A run of trials from rest starts each trial with the device at rest. A run with the device running
        // first lets the last trial's device rest (it would, a moment later, under this trial) and wakes it.
        const bool running = (t / 100) % 2 == 1;
        if (!running || t % 100 == 0) {
            DX7Sound::StopBuffer(3);
            settled = bench::waitUntil([] { return DX7Sound::DS->resting(); }, 60) && settled;
        }
        if (running && t % 100 == 0) {
            DX7Sound::PlayBuffer(3, 1);
        }
        for (int16_t layer = 0; layer < 3; ++layer) {
            DX7Sound::LoadBufferLevels(layer, files[std::size_t(layer)], 100, 50);
        }
        // A resting device writes its file afresh when it wakes; a running one goes on where it is. SDL may
        // write blocks of silence before the device first runs, so the file's frames are not the device's:
        // the trial's sound is found in the file from here on, not at the frame the device counted.
        const bool wakes = DX7Sound::DS->resting();
        const std::uint64_t origin = wakes ? 0 : framesWritten(output);
        // In every other trial the UI thread is held up for up to 0.6 ms between starts (a block takes 1 ms),
        // so that the audio thread often moves on between them.
        const auto holdUp = [&] {
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(t % 2 == 0 ? 0 : random() % 600);
            while (std::chrono::steady_clock::now() < until) { }
        };
        const auto issued = std::chrono::steady_clock::now();
        DX7Sound::PlayBuffer(0, 1);
        const std::uint64_t block = DX7Sound::DS->framesMixed();
        holdUp();
        DX7Sound::PlayBuffer(1, 1);
        holdUp();
        DX7Sound::PlayBuffer(2, 1);
        // Starts further apart than the join window are not issued together: the machine held this thread.
        const bool together = std::chrono::steady_clock::now() - issued <= std::chrono::milliseconds(50);
        crossed += DX7Sound::DS->framesMixed() != block ? 1 : 0;
        const auto buffer = [](int k) -> const platform::SoundBuffer& {
            return *DX7Sound::SoundBuffers[std::size_t(k)].Buffer;
        };
        std::vector<float> out;
        std::size_t onset = 0;
        const bool heard = bench::waitUntil([&] {
            for (int k = 0; k < 3; ++k) {
                if (buffer(k).startFrame() == UINT64_MAX) {
                    return false;
                }
            }
            out = readLeft(output, origin);
            onset = std::size_t(std::find_if(out.begin(), out.end(), [](float v) { return v != 0.0f; }) - out.begin());
            return onset + Region <= out.size();
        }, 60);
        if (!heard || !settled) {
            ++lost;
        } else {
            // The frame the first of them sounded on (the onset), and the frame the group aimed at: that of a
            // layer that began at its file's beginning, else where the 44.1 kHz layer's position puts it.
            std::uint64_t group = UINT64_MAX;
            std::uint64_t aim = UINT64_MAX;
            for (int k = 0; k < 3; ++k) {
                group = std::min(group, buffer(k).startFrame());
                aim = std::min(aim, buffer(k).startPosition() == 0 ? buffer(k).startFrame() : UINT64_MAX);
            }
            if (aim == UINT64_MAX) {
                aim = buffer(0).startFrame() - std::min(buffer(0).startFrame(), buffer(0).startPosition());
            }
            const double start = double(onset) - double(group) + double(aim); // the aimed frame in the file
            double begun[3];
            for (int k = 0; k < 3; ++k) {
                begun[k] = double(buffer(k).startFrame()) - double(aim);
            }
            if (wakes) {
                // How far the file's onset lies past the frame the device counted for it.
                const auto shift = static_cast<std::int64_t>(onset) - static_cast<std::int64_t>(group);
                longestSilence = std::max(longestSilence, shift);
                silentLead += shift > 0 ? 1 : 0;
                cutShort += shift >= 2 * platform::SoundDevice::kBlockFrames ? 1 : 0;
            }
            double spread = 0;
            bool apart = false;
            for (int k = 0; k < 3; ++k) {
                const std::uint64_t position = buffer(k).startPosition();
                if (position != 0) {
                    ++offPosition;
                }
                if (begun[k] > expectedTurnOff(k) - 150) {
                    // Held up past its turn-off: where the device says it began.
                    ++heldPast;
                    apart = apart || !beganWithItsPartners(k, std::uint64_t(begun[k]), position);
                    continue;
                }
                const double off = turnOff(out, start, k, begun);
                if (off < 0) {
                    ++notFound;
                    apart = true;
                } else {
                    spread = std::max(spread, std::fabs(off - expectedTurnOff(k)));
                }
            }
            if (spread >= 0.5 || apart) {
                std::fprintf(stderr, "trial %ld (%s, starts %s): onset at file frame %llu, device frame %llu;", t,
                             wakes ? "from rest" : "running", together ? "together" : "held apart",
                             (unsigned long long)(origin + onset), (unsigned long long)group);
                for (int k = 0; k < 3; ++k) {
                    std::fprintf(stderr, " layer %d began %.0f frames after the aim at file frame %llu, off at %.2f;",
                                 k + 1, begun[k], (unsigned long long)buffer(k).startPosition(),
                                 begun[k] > expectedTurnOff(k) - 150 ? -1.0 : turnOff(out, start, k, begun));
                }
                std::fprintf(stderr, "\n");
            }
            if (together) {
                worst = std::max(worst, spread);
                misaligned += spread >= 0.5 || apart ? 1 : 0;
            } else {
                ++heldApart;
                heldApartSounded += spread >= 0.5 || apart ? 1 : 0;
            }
        }
        for (int16_t layer = 0; layer < 3; ++layer) {
            DX7Sound::StopBuffer(layer);
        }
        if (running) {
            // Let the stops land, and the blocks before them reach the file (SDL writes it through a buffer of
            // 512 frames), before the next trial takes the file's end as its beginning.
            const std::uint64_t now = DX7Sound::DS->framesMixed();
            settled = bench::waitUntil([&] { return DX7Sound::DS->framesMixed() > now + 2048; }, 60);
        } else {
            settled = true;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("alignment: %ld trials of three back-to-back starts (44.1, 48, 16 kHz layers) on the device thread, "
                "read from its output (%.1f s)\n",
                trials, seconds);
    std::printf("  trials whose layers' beginnings sounded a frame or more apart, or a turn-off was not found: %ld "
                "(largest offset %.4f frames); "
                "baseline: trials where the audio thread began a block between the first start and the last (each "
                "start aimed on its own, they would sound a block apart): %ld\n",
                misaligned, worst, crossed);
    std::printf("  starts that reached the audio thread late (begun as far in as their partners): %llu; layers "
                "not begun at their file's first frame: %ld\n",
                (unsigned long long)DX7Sound::DS->lateStarts(), offPosition);
    std::printf("  trials whose starts this thread issued more than the 50 ms join window apart (the machine held it "
                "up), left out of the above: %ld, of which sounded apart: %ld\n",
                heldApart, heldApartSounded);
    std::printf("  trials whose output could not be read, or whose device did not settle from the last within a "
                "minute: %ld; layers whose turn-off was not found: %ld; layers "
                "whose start was held up past their turn-off (checked from where the device says they began): %ld\n",
                lost, notFound, heldPast);
    std::printf("  trials from rest whose sound came later in the file than the device's frame count (silence SDL "
                "wrote before the device first ran): %ld, by up to %lld frames; by two blocks or more: %ld\n",
                silentLead, (long long)longestSilence, cutShort);
    DX7Sound::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
