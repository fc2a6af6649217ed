#include "fluidplayer.h"

#include "library/filecalls.h"
#include "library/gamefolder.h"
#include "library/quorvelerror.h"
#include "play/audiooutput.h"

#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <new>
#include <thread>

namespace quorvel {

namespace {

// The player's FluidSynth settings, before the options' own. FluidSynth's own drivers (ALSA,
// where no sound server runs) render periods of 512 frames (11.6 ms at 44.1 kHz) instead of
// 64, which woke them about 700 times a second; a note played at any moment still sounds
// within two periods. A player never resets the synthesiser at its end by itself: a reset
// from the audio thread could cut the next tune.
const std::pair<std::string, std::string> kPlayerSettings[] = {
    {"audio.period-size", "512"}, {"audio.periods", "2"}, {"player.reset-synth", "0"}};

// Retired players run their FluidSynth timers in every audio block until they are freed, which
// needs the output stopped. Tunes that follow each other without a pause keep it running, so
// once this many have gathered, the next tune restarts the output and frees them meanwhile.
constexpr std::size_t kRetiredLimit = 64;

// While the output runs, this often the closer looks whether the tune and its release are
// over, to stop the output.
constexpr std::chrono::milliseconds kCloserPoll{100};

// A tune opened but not played keeps the output this long, for the play that follows.
constexpr std::chrono::nanoseconds kUnplayedLimit = std::chrono::seconds(2);

// A playing tune's tick advances with every block the audio thread renders. No advance for
// this long means that the output has died (the sound server went away, say): the tune then
// no longer counts as playing, so nobody waits for it forever.
constexpr std::chrono::nanoseconds kStallLimit = std::chrono::seconds(2);

// Nanoseconds on the steady clock.
std::int64_t steadyNow()
{
    using std::chrono::nanoseconds;
    return std::chrono::duration_cast<nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reads the whole tune, so that FluidSynth's audio thread parses it from memory instead of
// touching the disk; a named pipe, a device or a file beyond the bound is refused without
// waiting or filling the memory. Throws MediaError naming the file when it cannot serve as
// a tune.
std::vector<char> readTune(const std::string &fileName)
{
    if (fileName.empty())
        throw MediaError("The tune file name is empty");
    const BoundedRead file = readBounded(FileCalls::system(), fileName, kLargestReadFile);
    switch (file.outcome) {
    case BoundedRead::Outcome::Read:
        break;
    case BoundedRead::Outcome::Missing:
        throw MediaError("The tune file " + quoted(fileName) + " does not exist");
    case BoundedRead::Outcome::NotAFile:
        throw MediaError("The file " + quoted(fileName) + " is not a MIDI file");
    case BoundedRead::Outcome::TooLarge:
        throw MediaError("The file " + quoted(fileName) + " is larger than " +
                         std::to_string(kLargestReadFile >> 20) + " MB");
    case BoundedRead::Outcome::CannotOpen:
    case BoundedRead::Outcome::Failed:
        throw MediaError("The tune file " + quoted(fileName) + " cannot be read");
    }
    // A Standard MIDI File begins so; the player reads nothing else from memory.
    if (!file.bytes.starts_with("MThd"))
        throw MediaError("The file " + quoted(fileName) + " is not a MIDI file");
    return std::vector<char>(file.bytes.begin(), file.bytes.end());
}

template <typename Number>
bool parseNumber(const std::string &text, Number &number)
{
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    return error == std::errc() && stop == end;
}

// Sets a FluidSynth setting from its text form, converted to the setting's own type.
void applySetting(fluid_settings_t *settings, const std::string &name, const std::string &value)
{
    const char *key = name.c_str();
    int whole = 0;
    double real = 0;
    bool done = false;
    switch (fluid_settings_get_type(settings, key)) {
    case FLUID_STR_TYPE:
        done = fluid_settings_setstr(settings, key, value.c_str()) == FLUID_OK;
        break;
    case FLUID_INT_TYPE:
        done = parseNumber(value, whole)
               && fluid_settings_setint(settings, key, whole) == FLUID_OK;
        break;
    case FLUID_NUM_TYPE:
        done = parseNumber(value, real)
               && fluid_settings_setnum(settings, key, real) == FLUID_OK;
        break;
    default:
        break;
    }
    if (!done)
        throw MediaError("The audio setting " + quoted(name + "=" + value) + " is not valid");
}

// One play of a tune. FluidSynth's player parses the file on the audio thread when it
// starts, so what the window's thread needs to know is handed over here, by the audio thread
// itself, instead of being read from the player's tracks while they may be changing.
struct Tune {
    fluid_synth_t *synth = nullptr;
    fluid_player_t *player = nullptr;
    // Set before the player is stopped: from then on nothing it sends reaches the synthesiser.
    std::atomic<bool> retired{false};
    std::atomic<int> totalTicks{-1}; // -1 until the audio thread has loaded the file
    std::atomic<int> tick{0};
    std::atomic<std::int64_t> lastAdvance{0}; // steadyNow() of the last tick change

    // Runs on the audio thread whenever the player's tick changes; the events up to that
    // tick reach the synthesiser within the same audio block.
    static int onTick(void *data, int tick)
    {
        auto *tune = static_cast<Tune *>(data);
        if (tune->totalTicks.load(std::memory_order_relaxed) < 0) {
            tune->totalTicks.store(fluid_player_get_total_ticks(tune->player),
                                   std::memory_order_release);
        }
        tune->tick.store(tick, std::memory_order_release);
        tune->lastAdvance.store(steadyNow(), std::memory_order_release);
        return FLUID_OK;
    }

    // Passes the player's events to the synthesiser on the audio thread. A stopped FluidSynth
    // player sends all-sounds-off on its channels in the next audio block, after the first
    // notes of a player started in the same block; a retired tune's events are dropped, so
    // they never cut the tune that follows.
    static int onEvent(void *data, fluid_midi_event_t *event)
    {
        auto *tune = static_cast<Tune *>(data);
        if (tune->retired.load(std::memory_order_acquire))
            return FLUID_OK;
        return fluid_synth_handle_midi_event(tune->synth, event);
    }
};

} // namespace

// The synthesiser, the tune and the audio output. FluidSynth forbids freeing a player while a
// driver renders for its synthesiser, and its player can neither rewind nor change its file.
// So every open gets a fresh player beside the running output, the one before is retired
// (stopped and silenced), and retired players are freed once the output has stopped. The
// output is stopped by the closer thread once the tune and its release are over, so the
// window's thread never waits for an output to stop (a FluidSynth driver can take a while),
// except when it needs the output again while the closer is still stopping it.
struct FluidPlayer::Impl {
    explicit Impl(Options options) : options(std::move(options)) {}
    ~Impl();

    void createSynth(const std::string &tuneName);
    void destroySynth();
    void ensureOutput(std::unique_lock<std::mutex> &lock, const std::string &tuneName);
    void newTune();
    void retireTune();
    void freeRetired();
    bool tuneOver() const;
    void runCloser();

    // Waits for warmUp()'s thread, if one ran; the synthesiser is the window thread's after it.
    void finishWarmUp()
    {
        if (warming.valid())
            warming.get();
    }

    Options options;
    std::future<void> warming;
    std::string fileName;
    std::vector<char> tuneData; // the open tune, as read by open()
    bool isOpen = false;
    bool played = false; // the open tune's player has been started

    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;

    // Shared with the closer thread; the window's thread changes them only under the mutex.
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::unique_ptr<AudioOutput> output;
    bool outputStopping = false; // the closer is stopping an output
    std::unique_ptr<Tune> tune;
    std::vector<std::unique_ptr<Tune>> retired; // freed only while no output runs
    std::int64_t openedAt = 0; // steadyNow() of the last open()
    std::thread closer;
    bool quitting = false;
};

FluidPlayer::Impl::~Impl()
{
    finishWarmUp();
    {
        const std::lock_guard lock(mutex);
        quitting = true;
    }
    wake.notify_all();
    if (closer.joinable())
        closer.join();
    output.reset();
    retireTune();
    freeRetired();
    destroySynth();
}

void FluidPlayer::Impl::createSynth(const std::string &tuneName)
{
    try {
        settings = new_fluid_settings();
        if (!settings)
            throw std::bad_alloc();
        for (const auto &[name, value] : kPlayerSettings)
            applySetting(settings, name, value);
        for (const auto &[name, value] : options.settings)
            applySetting(settings, name, value);
        synth = new_fluid_synth(settings);
        if (!synth)
            throw MediaError("The synthesiser to play " + quoted(tuneName)
                             + " cannot be started");
        char *configured = nullptr;
        fluid_settings_dupstr(settings, "synth.default-soundfont", &configured);
        const std::string fallback = configured ? configured : "";
        fluid_free(configured);
        const std::string font =
            findSoundFont(options.soundFont, fallback, options.soundFontFolders, tuneName);
        if (fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
            throw MediaError("The sound font " + quoted(font) + " to play "
                             + quoted(tuneName) + " cannot be loaded");
        }
    } catch (...) {
        destroySynth();
        throw;
    }
}

void FluidPlayer::Impl::destroySynth()
{
    if (synth)
        delete_fluid_synth(synth);
    if (settings)
        delete_fluid_settings(settings);
    synth = nullptr;
    settings = nullptr;
}

// Starts the output unless it runs. One that has given up makes way for a fresh one, and so
// does one that has run so long that too many retired players render beside it. An output
// the closer is still stopping is waited for first, so that never two outputs render at
// once; then the retired players are freed.
void FluidPlayer::Impl::ensureOutput(std::unique_lock<std::mutex> &lock,
                                     const std::string &tuneName)
{
    if (output && output->running() && retired.size() < kRetiredLimit)
        return;
    output.reset();
    wake.wait(lock, [this] { return !outputStopping; });
    freeRetired();
    output = startAudioOutput(options.drivers, settings, synth, tuneName);
    if (!closer.joinable())
        closer = std::thread([this] { runCloser(); });
    wake.notify_all();
}

// A fresh player for the open tune. Leaves `tune` empty when FluidSynth refuses, so that
// play() stays silent.
void FluidPlayer::Impl::newTune()
{
    auto fresh = std::make_unique<Tune>();
    fresh->synth = synth;
    fresh->player = new_fluid_player(synth);
    if (!fresh->player)
        return;
    Tune *t = fresh.get();
    if (fluid_player_set_playback_callback(t->player, Tune::onEvent, t) != FLUID_OK
        || fluid_player_set_tick_callback(t->player, Tune::onTick, t) != FLUID_OK
        || fluid_player_add_mem(t->player, tuneData.data(), tuneData.size()) != FLUID_OK) {
        retired.push_back(std::move(fresh));
        return;
    }
    tune = std::move(fresh);
}

// Stops the tune, cuts every note still sounding and restores the channels' programs and
// controllers, so that a tune never inherits the sound or the instruments of the one before.
void FluidPlayer::Impl::retireTune()
{
    if (!tune)
        return;
    tune->retired.store(true, std::memory_order_release);
    fluid_player_stop(tune->player);
    retired.push_back(std::move(tune));
    fluid_synth_system_reset(synth);
}

void FluidPlayer::Impl::freeRetired()
{
    for (const std::unique_ptr<Tune> &t : retired)
        delete_fluid_player(t->player);
    retired.clear();
}

// Over when the played tune's FluidSynth player has finished: past its last event, every
// voice silent and FluidSynth's short wait for the reverb spent. A tune opened and never
// played, or closed, is over after a while.
bool FluidPlayer::Impl::tuneOver() const
{
    if (!played || !tune)
        return steadyNow() - openedAt > kUnplayedLimit.count();
    return fluid_player_get_status(tune->player) != FLUID_PLAYER_PLAYING;
}

void FluidPlayer::Impl::runCloser()
{
    std::unique_lock lock(mutex);
    while (!quitting) {
        if (!output) {
            wake.wait(lock);
            continue;
        }
        wake.wait_for(lock, kCloserPoll);
        // An output that has given up renders nothing more, and its tune never ends.
        if (!output || quitting || (output->running() && !tuneOver()))
            continue;
        std::unique_ptr<AudioOutput> stopping = std::move(output);
        outputStopping = true;
        lock.unlock();
        stopping.reset();
        lock.lock();
        outputStopping = false;
        if (!output)
            freeRetired();
        wake.notify_all();
    }
}

FluidPlayer::FluidPlayer() : FluidPlayer(Options()) {}

FluidPlayer::FluidPlayer(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

FluidPlayer::~FluidPlayer() = default;

std::string FluidPlayer::findSoundFont(const std::string &first, const std::string &configured,
                                       const std::vector<std::string> &folders,
                                       const std::string &tuneName)
{
    namespace fs = std::filesystem;
    std::error_code error;
    for (const std::string &path : {first, configured}) {
        if (!path.empty() && fs::is_regular_file(path, error))
            return path;
    }
    std::string folderList;
    for (const std::string &folder : folders) {
        std::vector<fs::path> fonts;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            const std::string extension = it->path().extension().string();
            if ((extension == ".sf2" || extension == ".sf3") && it->is_regular_file(error))
                fonts.push_back(it->path());
        }
        if (!fonts.empty())
            return std::min_element(fonts.begin(), fonts.end())->string();
        folderList += (folderList.empty() ? "" : " and ") + folder;
        error.clear();
    }
    std::string text = "No sound font was found to play " + quoted(tuneName) + ": looked for "
                       + quoted(first);
    if (!configured.empty())
        text += ", FluidSynth's default " + quoted(configured);
    if (!folderList.empty())
        text += " and any .sf2 or .sf3 file in " + folderList;
    throw MediaError(text);
}

void FluidPlayer::warmUp()
{
    Impl *d = impl_.get();
    if (d->synth || d->warming.valid())
        return;
    d->warming = std::async(std::launch::async, [d] {
        installFluidLog();
        try {
            d->createSynth(std::string());
        } catch (...) {
            // open() tries again and reports the failure with the tune's name.
        }
    });
}

void FluidPlayer::setFileName(const std::string &fileName)
{
    impl_->fileName = fileName;
}

void FluidPlayer::open()
{
    Impl &d = *impl_;
    close();
    d.finishWarmUp();
    installFluidLog();
    std::vector<char> data = readTune(d.fileName);
    if (!d.synth)
        d.createSynth(d.fileName);
    std::unique_lock lock(d.mutex);
    d.tuneData = std::move(data);
    d.openedAt = steadyNow();
    try {
        d.ensureOutput(lock, d.fileName);
    } catch (...) {
        d.tuneData.clear();
        throw;
    }
    d.newTune();
    d.isOpen = true;
}

void FluidPlayer::play()
{
    Impl &d = *impl_;
    if (!d.isOpen)
        return;
    try {
        std::unique_lock lock(d.mutex);
        if (d.played) {
            // FluidSynth's player cannot rewind: a second play gets a fresh one.
            d.retireTune();
            d.newTune();
        }
        if (!d.tune)
            return;
        d.ensureOutput(lock, d.fileName);
        d.played = true;
        d.tune->lastAdvance.store(steadyNow(), std::memory_order_release);
        fluid_player_play(d.tune->player);
    } catch (const std::exception &) {
        // No memory or no output: the tune stays silent and isPlaying() reads false.
    }
}

bool FluidPlayer::isPlaying()
{
    const Impl &d = *impl_;
    const Tune *tune = d.tune.get();
    if (!d.played || !tune || fluid_player_get_status(tune->player) != FLUID_PLAYER_PLAYING)
        return false;
    const std::int64_t quiet = steadyNow() - tune->lastAdvance.load(std::memory_order_acquire);
    if (quiet > kStallLimit.count())
        return false;
    const int total = tune->totalTicks.load(std::memory_order_acquire);
    return total < 0 || tune->tick.load(std::memory_order_acquire) < total;
}

// Retires the tune at once; the output stops a little later, on the closer thread.
void FluidPlayer::close()
{
    Impl &d = *impl_;
    const std::lock_guard lock(d.mutex);
    d.retireTune();
    d.tuneData.clear();
    d.isOpen = false;
    d.played = false;
}

bool FluidPlayer::outputRunning() const
{
    const std::lock_guard lock(impl_->mutex);
    return impl_->output != nullptr || impl_->outputStopping;
}

} // namespace quorvel
