#include "platform/sound/mixer.h"

#include <SDL.h>

#include <algorithm>

namespace platform::sounddetail {

Mixer::Mixer(std::size_t lead) : leadFrames(lead) { }

Mixer::~Mixer()
{
    if (output != 0) {
        SDL_CloseAudioDevice(output);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    // No audio thread any more: finish the commands here, then free whatever is left.
    takeAllCommands();
    while (m_voices != nullptr) {
        Voice* next = m_voices->next;
        delete m_voices;
        m_voices = next;
    }
    freeRetired();
}

void Mixer::add(Voice* voice)
{
    send({ Command::Kind::Add, false, voice });
}

void Mixer::remove(Voice* voice)
{
    send({ Command::Kind::Remove, false, voice });
}

void Mixer::play(Voice* voice, bool looping)
{
    // Starts issued before the previous start's target frame comes up join it; otherwise the start goes one
    // lead past the next block the audio thread will take commands for.
    const std::uint64_t cursor = m_cursor.load();
    if (!m_hasTarget || m_lastTarget < cursor) {
        m_lastTarget = cursor + leadFrames;
        m_hasTarget = true;
    }
    send({ Command::Kind::Play, looping, voice, m_lastTarget });
}

void Mixer::stop(Voice* voice)
{
    send({ Command::Kind::Stop, false, voice });
}

void Mixer::setGains(Voice* voice, float left, float right)
{
    send({ Command::Kind::Gains, false, voice, 0, left, right });
}

void Mixer::tidy()
{
    freeRetired();
    while (!m_backlog.empty() && m_queue.push(m_backlog.front())) {
        m_backlog.pop_front();
    }
}

void Mixer::takeCommands()
{
    Command c;
    while (m_queue.pop(c)) {
        apply(c);
    }
}

void Mixer::takeAllCommands()
{
    do {
        tidy();
        takeCommands();
    } while (!m_backlog.empty());
    freeRetired();
}

void Mixer::send(const Command& c)
{
    tidy();
    if (!m_backlog.empty() || !m_queue.push(c)) {
        m_backlog.push_back(c);
    }
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

void Mixer::apply(const Command& c)
{
    Voice* v = c.voice;
    switch (c.kind) {
    case Command::Kind::Add:
        v->next = m_voices;
        m_voices = v;
        break;
    case Command::Kind::Remove: {
        for (Voice** link = &m_voices; *link != nullptr; link = &(*link)->next) {
            if (*link == v) {
                *link = v->next;
                break;
            }
        }
        // Hand it back to the UI thread (a push that never waits for it).
        v->retiredNext = m_retired.load(std::memory_order_relaxed);
        while (!m_retired.compare_exchange_weak(v->retiredNext, v, std::memory_order_release,
                                                std::memory_order_relaxed)) { }
        break;
    }
    case Command::Kind::Play:
        v->looping = c.looping;
        if (!v->playing && !v->pending) {
            v->pending = true;
            v->startAt = c.target;
        }
        break;
    case Command::Kind::Stop:
        v->playing = false;
        v->pending = false;
        break;
    case Command::Kind::Gains:
        v->gainLeft = c.left;
        v->gainRight = c.right;
        break;
    }
}

void Mixer::mix(float* out, std::size_t frames)
{
    const std::uint64_t first = m_frame;
    // Publish the block before taking its commands: a start read against the old cursor still lands here
    // or later, never in a block that has already taken its commands.
    m_cursor.store(first + frames);
    takeCommands();
    std::fill(out, out + frames * 2, 0.0f);
    for (Voice* v = m_voices; v != nullptr; v = v->next) {
        mixVoice(*v, out, first, frames);
    }
    for (std::size_t i = 0; i < frames * 2; ++i) {
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }
    m_frame = first + frames;
}

void Mixer::mixVoice(Voice& v, float* out, std::uint64_t first, std::size_t frames)
{
    std::size_t i = 0;
    if (v.pending) {
        if (v.startAt >= first + frames) {
            return;
        }
        v.pending = false;
        if (v.startAt >= first) {
            i = static_cast<std::size_t>(v.startAt - first);
        } else {
            // Too late for its frame: begin as far in as it would be by now, to stay with its partners.
            const std::uint64_t skip = first - v.startAt;
            m_lateStarts.fetch_add(1, std::memory_order_relaxed);
            if (v.looping) {
                v.position = static_cast<std::size_t>((v.position + skip) % v.frames);
            } else if (v.position + skip >= v.frames) {
                v.position = 0;
                return;
            } else {
                v.position += static_cast<std::size_t>(skip);
            }
        }
        v.playing = true;
        v.startedPosition.store(v.position, std::memory_order_relaxed);
        v.startedFrame.store(first + i, std::memory_order_release);
    }
    if (!v.playing) {
        return;
    }
    const float gl = v.gainLeft;
    const float gr = v.gainRight;
    const float* samples = v.samples.get();
    while (i < frames) {
        const std::size_t count = std::min(frames - i, v.frames - v.position);
        const float* s = samples + v.position * 2;
        float* o = out + i * 2;
        for (std::size_t k = 0; k < count; ++k) {
            o[2 * k] += s[2 * k] * gl;
            o[2 * k + 1] += s[2 * k + 1] * gr;
        }
        i += count;
        v.position += count;
        if (v.position == v.frames) {
            v.position = 0;
            if (!v.looping) {
                v.playing = false;
                return;
            }
        }
    }
}

} // namespace platform::sounddetail
