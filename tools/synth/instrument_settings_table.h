#pragma once

#include <optional>
#include <string>

#include "song.h"

// The names song files use for instrument types and settings.

namespace songsynth {

// "synth", "kick", "snare", "clap", "hat", "crash", "shaker", "riser".
std::optional<instrumentKind> instrumentKindNamed(const std::string& name);

// Settings that make each drum type sound like itself before any are changed.
instrumentSettings defaultSettingsFor(instrumentKind kind);

// Sets the setting `key` from its written `value`. Returns an empty string,
// or the complaint to report (unknown key, bad value, out of range).
std::string applySetting(instrumentSettings& settings, const std::string& key, const std::string& value);

}  // namespace songsynth
