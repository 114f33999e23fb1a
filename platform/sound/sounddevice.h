// The sound device: static buffers decoded whole from WAV files, mixed in real time on SDL's audio thread.
//
// Everything here is called from one thread, the user-interface thread. The device's audio thread only mixes:
// it never locks, waits, allocates or frees. Whatever the UI thread sends reaches it by the next block, and a
// buffer the UI thread drops is freed on the UI thread once the audio thread has let go of it.
//
// A buffer keeps its file's frames as they are, at the file's own rate (16-bit where the file has no more),
// and plays them at that rate: the mix resamples each buffer to the device's rate, which is the output's own
// where SDL tells it (else 44100 Hz). Output is stereo float. Volume is in hundredths of a decibel (0 full,
// -10000 silence); pan runs from -10000 (full left) to +10000 (full right). Per channel:
//     left  = 10^((volume - max(pan, 0)) / 2000)
//     right = 10^((volume + min(pan, 0)) / 2000)
// where an attenuation of 10000 or more is silence.
//
// Once no buffer has played for the rest delay (half a second unless set), the device rests: SDL's device is
// closed by a thread of its own, so nothing runs. The next start opens it again (on the calling thread), and
// the output frames count from 0 again.
//
// Tests and tools can open an offline device: it has no SDL device and no thread, and mixes only when
// render() is called, on the UI thread. Starts issued before a render() begin on that render's first frame.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

namespace sounddetail {
class Engine;
struct Voice;
} // namespace sounddetail

class SoundDevice;

// Flag of SoundBuffer::play(): repeat until stopped.
constexpr std::uint32_t kPlayLooping = 1;

// One static buffer: a whole file at its own rate. Created stopped, at its beginning, at full volume and
// centre pan. Dropping the last reference silences it.
class SoundBuffer
{
public:
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // Starts the buffer from its position, or lets a playing buffer go on (taking the new flags).
    // Starts issued back to back begin on the same output frame. False, with the reason in error, when the
    // resting device cannot open again; the next start tries again.
    bool play(std::uint32_t flags, std::string* error = nullptr);
    // Halts the buffer and keeps its position.
    bool stop();
    // Hundredths of a decibel, -10000 to 0; anything else is refused and the volume stays.
    bool setVolume(int volume);
    // -10000 to +10000; anything else is refused and the pan stays.
    bool setPan(int pan);

    // What the UI thread last set, answered without asking the audio thread.
    const std::string& path() const { return m_path; }
    int volume() const { return m_volume; }
    int pan() const { return m_pan; }
    bool playing() const { return m_playing; }
    // How long one pass lasts, in frames of the device's rate (rounded).
    std::size_t frames() const;
    // What the buffer holds: frames at the file's rate.
    std::size_t fileFrames() const;
    int fileRate() const;

    // Reported by the audio thread: the output frame on which the last start sounded, the file frame it
    // sounded from, and the output frame on which a loop last came round to its beginning (UINT64_MAX until
    // then).
    std::uint64_t startFrame() const;
    std::uint64_t startPosition() const;
    std::uint64_t loopFrame() const;

private:
    friend class SoundDevice;
    SoundBuffer(std::shared_ptr<sounddetail::Engine> engine, sounddetail::Voice* voice, std::string path);

    std::shared_ptr<sounddetail::Engine> m_engine;
    sounddetail::Voice* m_voice;
    std::string m_path;
    int m_volume = 0;
    int m_pan = 0;
    bool m_playing = false;
};

class SoundDevice
{
public:
    // The rate of an offline device, and of a real one whose own rate SDL does not tell.
    static constexpr int kDefaultRate = 44100;
    static constexpr int kChannels = 2;
    // Frames the audio thread mixes per call, asked of SDL.
    static constexpr int kBlockFrames = 256;

    // Opens an output device through SDL (SDL_AUDIODRIVER is honoured); an empty name is the default
    // device. Returns nullptr, with the reason in error, when none opens.
    static std::unique_ptr<SoundDevice> open(const std::string& name, std::string* error = nullptr);
    // An offline device that mixes only when render() is called. leadFrames delays every start by that
    // many frames past the next render's first frame, as the real device does by one block.
    static std::unique_ptr<SoundDevice> openOffline(std::size_t leadFrames = 0, int rate = kDefaultRate);

    // The device closes when this object and every buffer created from it are gone.
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Decodes a WAV file whole, as stereo at the file's own rate. Returns nullptr, with the reason in error,
    // for a file that is missing, empty, truncated, corrupt or of another kind.
    std::shared_ptr<SoundBuffer> createSoundBufferFromFile(const std::string& path, std::string* error = nullptr);

    // Offline device only: mixes the next frames into out (interleaved left, right). False on a real device.
    bool render(float* out, std::size_t frames);

    bool offline() const;
    // Output frames per second.
    int rate() const;
    // Whether SDL's device is closed because nothing plays (never for an offline device).
    bool resting() const;
    // How long the device goes on with nothing playing before it rests.
    void setRestDelay(std::chrono::milliseconds delay);
    // How long after the first of a group of back-to-back starts a start held up on the UI thread still joins
    // it: 50 ms unless set, and none on an offline device, where starts join when issued before the same render.
    void setJoinWindow(std::chrono::milliseconds window);
    // Frames the device has mixed since it last woke from rest.
    std::uint64_t framesMixed() const;
    // Starts that reached the audio thread after their target frame and began that many frames in, so as to
    // stay aligned with the starts issued together with them.
    std::uint64_t lateStarts() const;

private:
    explicit SoundDevice(std::shared_ptr<sounddetail::Engine> engine);
    std::shared_ptr<sounddetail::Engine> m_engine;
};

} // namespace platform
