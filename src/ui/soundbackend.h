#pragma once

#include <QString>

// What the sound module offers the game. The module is a library of its own, loaded with the
// first sound, so that Qt Multimedia and the audio system stay out of the start-up.
class SoundBackend {
public:
    virtual ~SoundBackend() = default;
    // Plays a WAVE resource (":/sounds/<name>.wav") in the background, cutting off the sound
    // still playing.
    virtual void play(const QString &path) = 0;
};

// The module's one exported function, by this name: a new backend, owned by the caller.
inline constexpr char kSoundBackendEntry[] = "morvello_create_sound_backend";
using CreateSoundBackend = SoundBackend *(*)();
