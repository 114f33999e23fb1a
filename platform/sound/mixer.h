// The real-time side of the sound device: voices, the command queue and the mix.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>

namespace platform::sounddetail {

struct FreeSamples
{
    void operator()(float* p) const { std::free(p); }
};
// Interleaved stereo frames from malloc, so that a finished load can give back what it did not use.
using Samples = std::unique_ptr<float, FreeSamples>;

constexpr std::uint64_t NotYet = UINT64_MAX;

// One buffer as the audio thread sees it. The samples never change after creation.
struct Voice
{
    Voice(Samples s, std::size_t n) : samples(std::move(s)), frames(n) { }

    const Samples samples;
    const std::size_t frames;

    // Touched by the audio thread only, once the voice is added.
    std::size_t position = 0;
    std::uint64_t startAt = 0;
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    bool playing = false;
    bool pending = false;
    bool looping = false;
    Voice* next = nullptr;

    // Where the last start sounded, for the UI thread to read.
    std::atomic<std::uint64_t> startedFrame { NotYet };
    std::atomic<std::uint64_t> startedPosition { NotYet };

    // Link in the list of voices the audio thread has let go of.
    Voice* retiredNext = nullptr;
};

struct Command
{
    enum class Kind : std::uint8_t { Add, Remove, Play, Stop, Gains };
    Kind kind = Kind::Add;
    bool looping = false;
    Voice* voice = nullptr;
    std::uint64_t target = 0;
    float left = 1.0f;
    float right = 1.0f;
};

// Single producer (UI thread), single consumer (audio thread), fixed size, no locks.
class CommandQueue
{
public:
    static constexpr std::size_t Size = 1024;

    bool push(const Command& c)
    {
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        if (head - m_tail.load(std::memory_order_acquire) == Size) {
            return false;
        }
        m_items[head % Size] = c;
        m_head.store(head + 1, std::memory_order_release);
        return true;
    }

    bool pop(Command& c)
    {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail == m_head.load(std::memory_order_acquire)) {
            return false;
        }
        c = m_items[tail % Size];
        m_tail.store(tail + 1, std::memory_order_release);
        return true;
    }

private:
    std::array<Command, Size> m_items;
    alignas(64) std::atomic<std::size_t> m_head { 0 };
    alignas(64) std::atomic<std::size_t> m_tail { 0 };
};

// Mixes the voices. The UI-thread half sends commands; mix() runs on the audio thread (or, offline, on the
// UI thread when asked).
class Mixer
{
public:
    explicit Mixer(std::size_t leadFrames);
    // The audio thread must have stopped (closeOutput()); frees every voice.
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // UI thread.
    void add(Voice* voice);
    // Gives the voice to the mixer, which frees it once the audio thread no longer uses it.
    void remove(Voice* voice);
    void play(Voice* voice, bool looping);
    void stop(Voice* voice);
    void setGains(Voice* voice, float left, float right);
    // Frees the voices the audio thread let go of, and passes on commands that did not fit the queue (they
    // wait for the next call from the UI thread; the queue holds far more than a UI thread issues per block).
    void tidy();
    // Offline (no audio thread), on the UI thread: applies every command issued so far, and frees the voices
    // dropped by them.
    void takeAllCommands();

    // Audio thread: mixes the next frames into out, interleaved stereo.
    void mix(float* out, std::size_t frames);

    std::uint64_t framesMixed() const { return m_cursor.load(std::memory_order_acquire); }
    std::uint64_t lateStarts() const { return m_lateStarts.load(std::memory_order_relaxed); }

    // The SDL device that calls mix(), closed before the voices are freed; 0 offline.
    std::uint32_t output = 0;
    std::size_t leadFrames;

private:
    void send(const Command& c);
    void apply(const Command& c);
    void takeCommands();
    void mixVoice(Voice& v, float* out, std::uint64_t first, std::size_t frames);
    void freeRetired();

    CommandQueue m_queue;
    std::deque<Command> m_backlog; // UI thread: commands waiting for room in the queue
    std::atomic<Voice*> m_retired { nullptr };
    // Start of the next block the audio thread will take commands for.
    std::atomic<std::uint64_t> m_cursor { 0 };
    std::atomic<std::uint64_t> m_lateStarts { 0 };
    std::uint64_t m_lastTarget = 0; // UI thread
    bool m_hasTarget = false; // UI thread
    Voice* m_voices = nullptr; // audio thread
    std::uint64_t m_frame = 0; // audio thread

    static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
    static_assert(std::atomic<Voice*>::is_always_lock_free);
    static_assert(std::atomic<std::size_t>::is_always_lock_free);
};

} // namespace platform::sounddetail
