#include "platform/sound/mixer.h"

#include "platform/sound/voice.h"

#include <algorithm>

namespace platform::sounddetail {

namespace {

// File frames the audio thread turns into float at a time for the resampler.
constexpr std::size_t kScratchFrames = 16384;
constexpr float kInt16Scale = 1.0f / 32768.0f;

// Audio thread: file frames [at, at + count) of a voice as float, one array per channel.
template<typename T>
void deinterleave(const void* samples, std::size_t at, std::size_t count, float scale, float* left, float* right)
{
    const T* s = static_cast<const T*>(samples) + 2 * at;
    for (std::size_t k = 0; k < count; ++k) {
        left[k] = static_cast<float>(s[2 * k]) * scale;
        right[k] = static_cast<float>(s[2 * k + 1]) * scale;
    }
}

// Audio thread: adds file frames [at, at + count) of a voice, times the gains, to out.
template<typename T>
void addFrames(const void* samples, std::size_t at, std::size_t count, float left, float right, float* out)
{
    const T* s = static_cast<const T*>(samples) + 2 * at;
    for (std::size_t k = 0; k < count; ++k) {
        out[2 * k] += static_cast<float>(s[2 * k]) * left;
        out[2 * k + 1] += static_cast<float>(s[2 * k + 1]) * right;
    }
}

} // namespace

Mixer::Mixer(std::size_t lead) : leadFrames(lead), m_left(kScratchFrames), m_right(kScratchFrames) { }

Mixer::~Mixer()
{
    settle();
    while (m_voices != nullptr) {
        Voice* next = m_voices->next;
        delete m_voices;
        m_voices = next;
    }
}

void Mixer::add(Voice* voice)
{
    m_startsOnly = false;
    voice->addedNext = m_added.load(std::memory_order_relaxed);
    while (!m_added.compare_exchange_weak(voice->addedNext, voice, std::memory_order_release,
                                          std::memory_order_relaxed)) { }
}

void Mixer::remove(Voice* voice)
{
    m_startsOnly = false;
    if (voice->requestedPlay) {
        voice->requestedPlay = false;
        --m_playingVoices;
    }
    voice->dropped.store(true, std::memory_order_release);
}

void Mixer::play(Voice* voice, bool looping)
{
    // A start goes one lead past the next block the audio thread will take requests for, unless it can
    // still join the previous start.
    const auto now = std::chrono::steady_clock::now();
    const std::uint64_t cursor = m_cursor.load();
    if (!m_hasTarget || (m_lastTarget < cursor && !(m_startsOnly && now - m_groupStarted <= joinWindow))) {
        m_lastTarget = cursor + leadFrames;
        m_hasTarget = true;
        m_groupStarted = now;
    }
    m_startsOnly = true;
    // After a stop that the audio thread has not taken yet, this start must begin afresh, as it would had
    // the stop been taken.
    const std::uint32_t unseen = (voice->requests - voice->seen.load(std::memory_order_acquire)) & Request::kCountMask;
    const std::uint32_t sinceStop = (voice->requests - voice->lastStop) & Request::kCountMask;
    send(voice, true, looping, !voice->requestedPlay || sinceStop < unseen, m_lastTarget);
    if (!voice->requestedPlay) {
        voice->requestedPlay = true;
        ++m_playingVoices;
    }
}

void Mixer::stop(Voice* voice)
{
    m_startsOnly = false;
    send(voice, false, false, false, 0);
    voice->lastStop = voice->requests;
    if (voice->requestedPlay) {
        voice->requestedPlay = false;
        --m_playingVoices;
    }
}

void Mixer::send(Voice* voice, bool play, bool looping, bool fresh, std::uint64_t target)
{
    voice->requests = (voice->requests + 1) & Request::kCountMask;
    voice->request.store(Request { voice->requests, play, looping, fresh, target }.pack(), std::memory_order_release);
}

void Mixer::setGains(Voice* voice, float left, float right)
{
    m_startsOnly = false;
    voice->gains.store(Voice::packGains(left, right), std::memory_order_relaxed);
}

void Mixer::freeRetired()
{
    Voice* v = m_retired.exchange(nullptr, std::memory_order_acquire);
    while (v != nullptr) {
        Voice* next = v->retiredNext;
        delete v;
        v = next;
    }
}

void Mixer::settle()
{
    takeRequests();
    freeRetired();
}

void Mixer::restartClock()
{
    m_frame = 0;
    m_cursor.store(0);
    m_hasTarget = false;
}

void Mixer::retire(Voice* voice)
{
    // Audio thread: hands the voice back to the UI thread (a push that never waits for it).
    voice->retiredNext = m_retired.load(std::memory_order_relaxed);
    while (!m_retired.compare_exchange_weak(voice->retiredNext, voice, std::memory_order_release,
                                            std::memory_order_relaxed)) { }
}

void Mixer::takeRequests()
{
    // Audio thread: takes the voices added, lets go of the ones dropped, and takes the latest request of each.
    Voice* added = m_added.exchange(nullptr, std::memory_order_acquire);
    while (added != nullptr) {
        Voice* next = added->addedNext;
        added->next = m_voices;
        m_voices = added;
        added = next;
    }
    for (Voice** link = &m_voices; *link != nullptr;) {
        Voice* v = *link;
        if (v->dropped.load(std::memory_order_acquire)) {
            *link = v->next;
            retire(v);
            continue;
        }
        link = &v->next;
        const std::uint64_t word = v->request.load(std::memory_order_acquire);
        if (word == v->takenRequest) {
            continue;
        }
        v->takenRequest = word;
        const Request r = Request::unpack(word);
        v->seen.store(r.count, std::memory_order_release);
        if (!r.play) {
            v->playing = false;
            v->pending = false;
        } else {
            v->looping = r.looping;
            if (r.fresh || (!v->playing && !v->pending)) {
                v->playing = false;
                v->pending = true;
                v->startAt = r.target;
            }
        }
    }
}

void Mixer::mix(float* out, std::size_t frames)
{
    // Audio thread. Publish the block before taking its requests: a start aimed against the old cursor still
    // lands here or later, never in a block that has already taken its requests.
    const std::uint64_t first = m_frame;
    m_cursor.store(first + frames);
    takeRequests();
    std::fill(out, out + frames * 2, 0.0f);
    for (Voice* v = m_voices; v != nullptr; v = v->next) {
        mixVoice(*v, out, first, frames);
    }
    for (std::size_t i = 0; i < frames * 2; ++i) {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
    m_frame = first + frames;
}

void Mixer::begin(Voice& v, std::uint64_t first, std::size_t frames, std::size_t& offset)
{
    // Audio thread: a pending start whose frame falls in this block (or has passed) sounds.
    if (v.startAt >= first + frames) {
        return;
    }
    v.pending = false;
    if (v.startAt >= first) {
        offset = static_cast<std::size_t>(v.startAt - first);
    } else {
        // Too late for its frame: begin as far in as it would be by now, to stay with its partners.
        const std::uint64_t skip = first - v.startAt;
        m_lateStarts.fetch_add(1, std::memory_order_relaxed);
        std::uint64_t moved = skip;
        if (v.resampler) {
            moved = v.resampler->advance(v.fraction, skip);
            v.fraction = v.resampler->fractionAfter(v.fraction, skip);
        }
        if (v.looping) {
            v.position = static_cast<std::size_t>((v.position + moved) % v.frames);
        } else if (v.position + moved >= v.frames) {
            v.position = 0;
            v.fraction = 0;
            return;
        } else {
            v.position += static_cast<std::size_t>(moved);
        }
    }
    v.playing = true;
    v.startedPosition.store(v.position, std::memory_order_relaxed);
    v.startedFrame.store(first + offset, std::memory_order_release);
}

void Mixer::mixVoice(Voice& v, float* out, std::uint64_t first, std::size_t frames)
{
    // Audio thread.
    std::size_t offset = 0;
    if (v.pending) {
        begin(v, first, frames, offset);
    }
    if (!v.playing) {
        return;
    }
    if (v.resampler) {
        mixResampled(v, out, first, offset, frames);
    } else {
        mixSameRate(v, out, first, offset, frames);
    }
}

void Mixer::mixSameRate(Voice& v, float* out, std::uint64_t first, std::size_t from, std::size_t frames)
{
    // Audio thread: the file's frames as they are.
    const std::uint64_t gains = v.gains.load(std::memory_order_relaxed);
    const bool int16 = v.format == SampleFormat::Int16;
    const float scale = int16 ? kInt16Scale : 1.0f;
    const float left = Voice::leftGain(gains) * scale;
    const float right = Voice::rightGain(gains) * scale;
    std::size_t i = from;
    while (i < frames) {
        const std::size_t count = std::min(frames - i, v.frames - v.position);
        if (int16) {
            addFrames<std::int16_t>(v.samples.get(), v.position, count, left, right, out + 2 * i);
        } else {
            addFrames<float>(v.samples.get(), v.position, count, left, right, out + 2 * i);
        }
        i += count;
        v.position += count;
        if (v.position == v.frames) {
            v.position = 0;
            if (!v.looping) {
                v.playing = false;
                return;
            }
            v.loopFrame.store(first + i, std::memory_order_relaxed);
        }
    }
}

void Mixer::mixResampled(Voice& v, float* out, std::uint64_t first, std::size_t from, std::size_t frames)
{
    // Audio thread: the file's frames through the resampler, a stretch that fits the scratch arrays at a time.
    const Resampler& resampler = *v.resampler;
    const std::uint64_t gains = v.gains.load(std::memory_order_relaxed);
    const std::size_t taps = resampler.taps();
    std::size_t i = from;
    while (i < frames) {
        std::uint64_t count = std::min<std::uint64_t>(frames - i,
                                                      resampler.framesUntil(v.fraction, kScratchFrames - taps + 1));
        if (!v.looping) {
            count = std::min(count, resampler.framesUntil(v.fraction, v.frames - v.position));
        }
        const std::uint64_t span = resampler.advance(v.fraction, count - 1) + taps;
        gather(v, static_cast<std::int64_t>(v.position) - static_cast<std::int64_t>(resampler.tapsBefore()),
               static_cast<std::size_t>(span));
        resampler.mixInto(out + 2 * i, static_cast<std::size_t>(count), m_left.data(), m_right.data(), v.fraction,
                          Voice::leftGain(gains), Voice::rightGain(gains));
        const std::uint32_t fraction = v.fraction;
        const std::uint64_t reached = v.position + resampler.advance(fraction, count);
        v.fraction = resampler.fractionAfter(fraction, count);
        i += static_cast<std::size_t>(count);
        if (reached < v.frames) {
            v.position = static_cast<std::size_t>(reached);
        } else if (!v.looping) {
            v.playing = false;
            v.position = 0;
            v.fraction = 0;
            return;
        } else {
            // The last time the position came round to the loop's beginning, as an output frame.
            const std::uint64_t lastStart = reached / v.frames * v.frames;
            const std::uint64_t at = resampler.framesUntil(fraction, lastStart - v.position);
            v.loopFrame.store(first + i - count + at, std::memory_order_relaxed);
            v.position = static_cast<std::size_t>(reached % v.frames);
        }
    }
}

void Mixer::gather(const Voice& v, std::int64_t from, std::size_t count)
{
    // Audio thread: file frames [from, from + count) as float into the scratch arrays; a loop reads on from
    // its beginning past its end (and from its end before its beginning), a single play reads silence.
    const auto length = static_cast<std::int64_t>(v.frames);
    const float scale = v.format == SampleFormat::Int16 ? kInt16Scale : 1.0f;
    std::size_t done = 0;
    while (done < count) {
        std::int64_t at = from + static_cast<std::int64_t>(done);
        if (v.looping) {
            at = (at % length + length) % length;
        }
        float* left = m_left.data() + done;
        float* right = m_right.data() + done;
        std::size_t run = count - done;
        if (at < 0 || at >= length) {
            if (at < 0) {
                run = std::min<std::size_t>(run, static_cast<std::size_t>(-at));
            }
            std::fill(left, left + run, 0.0f);
            std::fill(right, right + run, 0.0f);
        } else {
            run = std::min<std::size_t>(run, static_cast<std::size_t>(length - at));
            if (v.format == SampleFormat::Int16) {
                deinterleave<std::int16_t>(v.samples.get(), static_cast<std::size_t>(at), run, scale, left, right);
            } else {
                deinterleave<float>(v.samples.get(), static_cast<std::size_t>(at), run, scale, left, right);
            }
        }
        done += run;
    }
}

} // namespace platform::sounddetail
