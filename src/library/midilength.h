#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// The longest tune a game may bring: a found pair's tune holds the game until it ends.
inline constexpr double kLongestTuneSeconds = 180.0;

// How long FluidSynth's player plays a Standard MIDI File, in seconds: from its start to the
// last event of its longest track, each tempo change (of any track) applied from its tick on,
// 500,000 microseconds a quarter note before the first. The file is read by the rules of that
// player: running status across events and meta events, end of track, tempo and the meta
// events whose length it checks. Returns nothing for data the player would refuse to load or
// could not time: no "MThd" header of length 6, a format above 2, SMPTE timing or a division
// of 0, more than 128 tracks, a chunk other than "MTrk" where a track is due, an event that
// is cut short or malformed, or a tick count beyond what the player counts.
std::optional<double> midiPlayingSeconds(std::string_view bytes);

// Accepts a tune a game may bring: a Standard MIDI File the player can play, for at most
// kLongestTuneSeconds. Throws QuorvelError naming `shownName` otherwise.
void requirePlayableTune(std::string_view bytes, const std::string &shownName);

} // namespace quorvel
