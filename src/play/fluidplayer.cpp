#include "fluidplayer.h"

#include "library/filecalls.h"
#include "library/gamefolder.h"
#include "library/quorvelerror.h"
#include "play/audiooutput.h"
#include "play/synthesiser.h"

#include <fluidsynth.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
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

// How long the player's end waits for its output to stop; one that does not is left behind.
constexpr std::chrono::milliseconds kLeaveLimit{500};

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

MediaError noAnswer(const std::string &tuneName)
{
    return MediaError("No audio output is available to play " + quoted(tuneName)
                      + ": the sound server does not answer");
}

// A synthesiser with the options' settings and sound font. Throws MediaError naming
// `tuneName` when it cannot be made.
std::shared_ptr<Synthesiser> makeSynthesiser(const FluidPlayer::Options &options,
                                             const std::string &tuneName)
{
    auto made = std::make_shared<Synthesiser>();
    made->settings = new_fluid_settings();
    if (!made->settings)
        throw std::bad_alloc();
    for (const auto &[name, value] : kPlayerSettings)
        applySetting(made->settings, name, value);
    for (const auto &[name, value] : options.settings)
        applySetting(made->settings, name, value);
    made->synth = new_fluid_synth(made->settings);
    if (!made->synth)
        throw MediaError("The synthesiser to play " + quoted(tuneName) + " cannot be started");
    char *configured = nullptr;
    fluid_settings_dupstr(made->settings, "synth.default-soundfont", &configured);
    const std::string fallback = configured ? configured : "";
    fluid_free(configured);
    const std::string font =
        FluidPlayer::findSoundFont(options.soundFont, fallback, options.soundFontFolders,
                                   tuneName);
    if (fluid_synth_sfload(made->synth, font.c_str(), 1) == FLUID_FAILED) {
        throw MediaError("The sound font " + quoted(font) + " to play " + quoted(tuneName)
                         + " cannot be loaded");
    }
    return made;
}

} // namespace

// The synthesiser, the tune and the audio output. FluidSynth's player can neither rewind nor
// change its file, so every open gets a fresh player beside the running output, the one
// before is retired (stopped and silenced), and retired players are freed once the output
// has stopped. The output is started on a thread of its own and given up when it does not
// answer in time; the closer thread stops it once the tune and its release are over, or once
// it no longer renders, again on a thread of its own. So the window's thread waits for no
// output longer than kAnswerLimit, and for no server at all once one has failed to answer.
struct FluidPlayer::Impl {
    explicit Impl(Options options) : options(std::move(options)) {}
    ~Impl();

    void startWarming();
    void finishWarmUp();
    void ensureOutput(const std::string &tuneName);
    void abandonSynth();
    void newTune();
    void retireTune();
    bool tuneOver() const;
    void runCloser();

    Options options;
    std::future<std::shared_ptr<Synthesiser>> warming;
    std::string fileName;
    std::vector<char> tuneData; // the open tune, as read by open()
    bool isOpen = false;
    BoundedCalls starts;
    std::shared_ptr<Synthesiser> synth; // nullptr until made, and after it was left to an output

    // Shared with the closer thread; the window's thread changes them only under the mutex.
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::unique_ptr<Rendering> output;
    Tune *tune = nullptr; // the open tune's player, one of the synthesiser's
    bool played = false;  // the open tune's player has been started
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
    retireTune();
    stopAside(std::move(output));
    if (synth)
        synth->waitIdle(kLeaveLimit);
}

// Makes the next synthesiser on a thread of its own, so that the next open() finds it ready.
// A failure there is left for open() to meet again and report.
void FluidPlayer::Impl::startWarming()
{
    try {
        warming = std::async(std::launch::async, [made = options]() {
            installFluidLog();
            try {
                return makeSynthesiser(made, std::string());
            } catch (...) {
                return std::shared_ptr<Synthesiser>();
            }
        });
    } catch (const std::system_error &) {
        // No thread to spare: open() makes it.
    }
}

// Takes the warmed-up synthesiser, if one was being made; it is the window thread's after it.
void FluidPlayer::Impl::finishWarmUp()
{
    if (!warming.valid())
        return;
    std::shared_ptr<Synthesiser> warm = warming.get();
    if (!synth)
        synth = std::move(warm);
}

// Under the mutex. Starts the output unless it runs. One that has given up makes way for a
// fresh one, and so does one that has run so long that too many retired players render
// beside it; never two render at once, so the one before must have stopped first.
void FluidPlayer::Impl::ensureOutput(const std::string &tuneName)
{
    if (output && output->output->running() && synth->retiredCount() < kRetiredLimit)
        return;
    stopAside(std::move(output));
    if (!synth->waitIdle(kAnswerLimit)) {
        abandonSynth();
        throw noAnswer(tuneName);
    }
    // A start given up earlier that still waits for its answer: the server still does not
    // answer, and asking it again would only wait as long once more.
    if (starts.late() > 0)
        throw noAnswer(tuneName);
    auto rendering = std::make_unique<Rendering>(synth);
    std::optional<std::unique_ptr<Rendering>> started = starts.run(
        [rendering = std::move(rendering), drivers = options.drivers, tuneName]() mutable {
            Synthesiser &s = *rendering->synth;
            rendering->output = startAudioOutput(drivers, s.settings, s.synth, tuneName);
            return std::move(rendering);
        },
        kAnswerLimit);
    if (!started) {
        // The late start renders for this synthesiser once it is through: it keeps it.
        abandonSynth();
        throw noAnswer(tuneName);
    }
    output = std::move(*started);
    if (!closer.joinable())
        closer = std::thread([this] { runCloser(); });
    wake.notify_all();
}

// Under the mutex. Leaves the synthesiser, with every player made for it, to the outputs
// that still render for it, and starts making a fresh one.
void FluidPlayer::Impl::abandonSynth()
{
    tune = nullptr;
    played = false;
    synth.reset();
    if (!warming.valid())
        startWarming();
}

// A fresh player for the open tune. Leaves `tune` empty when FluidSynth refuses, so that
// play() stays silent.
void FluidPlayer::Impl::newTune()
{
    tune = synth->newTune(tuneData);
}

void FluidPlayer::Impl::retireTune()
{
    if (tune)
        synth->retire(tune);
    tune = nullptr;
}

// Over when the played tune's FluidSynth player has finished: past its last event, every
// voice silent and FluidSynth's short wait for the reverb spent. A tune opened and never
// played, or closed, is over after a while; one whose output stopped rendering is over too.
bool FluidPlayer::Impl::tuneOver() const
{
    if (!played || !tune)
        return steadyNow() - openedAt > kUnplayedLimit.count();
    return fluid_player_get_status(tune->player) != FLUID_PLAYER_PLAYING || tune->stalled();
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
        if (output && !quitting && (!output->output->running() || tuneOver()))
            stopAside(std::move(output));
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
    if (!impl_->synth && !impl_->warming.valid())
        impl_->startWarming();
}

void FluidPlayer::setFileName(const std::string &fileName)
{
    impl_->fileName = fileName;
}

void FluidPlayer::open()
{
    Impl &d = *impl_;
    close();
    installFluidLog();
    std::vector<char> data = readTune(d.fileName);
    // Without an answer from the server, a fresh synthesiser still being made is not needed.
    if (d.starts.late() > 0)
        throw noAnswer(d.fileName);
    d.finishWarmUp();
    if (!d.synth)
        d.synth = makeSynthesiser(d.options, d.fileName);
    const std::lock_guard lock(d.mutex);
    d.tuneData = std::move(data);
    d.openedAt = steadyNow();
    try {
        d.ensureOutput(d.fileName);
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
        const std::lock_guard lock(d.mutex);
        if (d.played) {
            // FluidSynth's player cannot rewind: a second play gets a fresh one.
            d.retireTune();
            d.newTune();
        }
        if (!d.tune)
            return;
        d.ensureOutput(d.fileName);
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
    const Tune *tune = d.tune;
    if (!d.played || !tune || fluid_player_get_status(tune->player) != FLUID_PLAYER_PLAYING
        || tune->stalled())
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
    return impl_->output != nullptr || (impl_->synth && impl_->synth->rendering());
}

} // namespace quorvel
