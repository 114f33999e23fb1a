// The real-time side of the sound device: the voices, the requests that reach them, and the mix.
//
// Nothing the UI thread sends waits in a queue: a start or stop is one word per voice and a level and pan
// another, both overwritten by the next call, and a new or dropped voice is a link or a flag. The audio
// thread takes them all at the start of each block, so whatever was sent before a block reaches it, however
// much was sent.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::sounddetail {

struct Voice;

// Mixes the voices. The UI-thread half sends requests; mix() runs on the audio thread, or on the UI thread
// while no audio thread runs (offline, or the device resting).
class Mixer
{
public:
    explicit Mixer(std::size_t leadFrames);
    // No audio thread may run any more; frees every voice.
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // UI thread.
    void add(Voice* voice);
    // Gives the voice to the mixer, which frees it once the audio thread no longer uses it.
    void remove(Voice* voice);
    // Starts issued before the target frame of the previous start comes up join it; so do starts that follow
    // it with no other request between, within the join window of the group's first start.
    void play(Voice* voice, bool looping);
    void stop(Voice* voice);
    void setGains(Voice* voice, float left, float right);
    // Whether any voice was started and neither stopped nor removed since.
    bool anyPlaying() const { return m_playingVoices > 0; }
    // Frees the voices the audio thread let go of.
    void freeRetired();
    // While no audio thread runs: takes every request as the next block would, and frees dropped voices.
    void settle();
    // While no audio thread runs, before one starts: output frames count from 0 again.
    void restartClock();

    // Audio thread: mixes the next frames into out, interleaved stereo.
    void mix(float* out, std::size_t frames);

    // Frames mixed since the clock last started (including the block being mixed).
    std::uint64_t framesMixed() const { return m_cursor.load(std::memory_order_acquire); }
    std::uint64_t lateStarts() const { return m_lateStarts.load(std::memory_order_relaxed); }

    // Frames by which a start aims past the next block that takes requests.
    std::size_t leadFrames;
    // Starts issued one after the other within this time of the first join it even when the audio thread has
    // passed its frame meanwhile (the UI thread was held up): they begin as far in as their partners are by then.
    std::chrono::steady_clock::duration joinWindow {};

private:
    void send(Voice* voice, bool play, bool looping, bool fresh, std::uint64_t target);
    void takeRequests();
    void retire(Voice* voice);
    void begin(Voice& v, std::uint64_t first, std::size_t frames, std::size_t& offset);
    void mixVoice(Voice& v, float* out, std::uint64_t first, std::size_t frames);
    void mixSameRate(Voice& v, float* out, std::uint64_t first, std::size_t from, std::size_t frames);
    void mixResampled(Voice& v, float* out, std::uint64_t first, std::size_t from, std::size_t frames);
    void gather(const Voice& v, std::int64_t from, std::size_t count);

    std::atomic<Voice*> m_added { nullptr };
    std::atomic<Voice*> m_retired { nullptr };
    // Start of the next block the audio thread will take requests for.
    std::atomic<std::uint64_t> m_cursor { 0 };
    std::atomic<std::uint64_t> m_lateStarts { 0 };
    std::uint64_t m_lastTarget = 0; // UI thread
    std::chrono::steady_clock::time_point m_groupStarted; // UI thread
    bool m_hasTarget = false; // UI thread
    bool m_startsOnly = false; // UI thread: nothing but starts since the group's first
    std::size_t m_playingVoices = 0; // UI thread
    Voice* m_voices = nullptr; // audio thread
    std::uint64_t m_frame = 0; // audio thread
    // Audio thread: a voice's file frames around its position, as float, one array per channel.
    std::vector<float> m_left;
    std::vector<float> m_right;

    static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
    static_assert(std::atomic<Voice*>::is_always_lock_free);
};

} // namespace platform::sounddetail
