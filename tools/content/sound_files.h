// Synthesised sounds: the ambient one-shots, the looping music stream and a tracker module.
#pragma once
#include <string>
#include <vector>

// Ogg Vorbis from interleaved float samples in [-1, 1]; fixed serial number, so repeatable.
bool WriteOggVorbis(const std::string& path, const std::vector<float>& samples, int channels, int rate,
                    float quality);

// "birds1.ogg" .. "birds3.ogg", "brook.ogg", "waterfall.ogg".
bool WriteSounds(const std::string& soundsDir);
// The stream named `name` and, beside it, the same tune as a module ("music.xm").
bool WriteMusic(const std::string& dataDir, const std::string& name);
