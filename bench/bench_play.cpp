// Measures what the play page costs: processor time while the program pauses or idles,
// the SELECT GAME handler, and the time from start to the first painted window against a
// bare Qt window. Run by scripts/bench.sh; prints one line per figure.
#include "app/errorreport.h"
#include "app/form1.h"
#include "fakeplayer.h"
#include "play/fluidplayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace quorvel;

namespace {

double threadCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Runs `work` and returns the window thread's processor time as a share of the wall time.
template <typename Work>
double cpuShare(Work &&work, double *wallMs = nullptr)
{
    QElapsedTimer wall;
    const double cpu0 = threadCpuMs();
    wall.start();
    work();
    const double cpu = threadCpuMs() - cpu0;
    const double elapsed = wall.nsecsElapsed() / 1e6;
    if (wallMs)
        *wallMs = elapsed;
    return 100.0 * cpu / elapsed;
}

bool copyGameFiles(const QString &to)
{
    const QString from = qEnvironmentVariable("QUORVEL_GAMES_DIR");
    const QStringList files = QDir(from).entryList(QDir::Files);
    if (files.size() < 148) {
        std::fprintf(stderr, "the default game files are missing in %s\n", qPrintable(from));
        return false;
    }
    for (const QString &f : files)
        QFile::copy(from + "/" + f, to + "/" + f);
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A child process: builds the window (or a bare one), shows it and prints the milliseconds
// from the start of main() to its first paint.
// The game's player is made as main() makes it, before the application object.
int startupChild(bool bare, QElapsedTimer &sinceMain, std::unique_ptr<MediaPlayer> player)
{
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
        window->setFixedSize(632, 436);
    } else {
        ErrorReport::setSink([](const QString &) {});
        TForm1::Options options;
        options.player = std::move(player);
        window = std::make_unique<TForm1>(std::move(options));
    }
    struct FirstPaint : QObject {
        QElapsedTimer *since;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) {
                std::printf("%.1f\n", since->nsecsElapsed() / 1e6);
                std::fflush(stdout);
                std::_Exit(0);
            }
            return false;
        }
    } first;
    first.since = &sinceMain;
    window->installEventFilter(&first);
    window->show();
    return QApplication::exec();
}

double startupMs(const QString &mode)
{
    QProcess child;
    child.setWorkingDirectory(QDir::currentPath());
    child.start(QCoreApplication::applicationFilePath(), {mode});
    child.waitForFinished(20000);
    return child.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    const std::string mode = argc > 1 ? argv[1] : "";
    std::unique_ptr<MediaPlayer> gamePlayer;
    if (mode == "startup-game")
        gamePlayer = warmFluidPlayer();
    QApplication app(argc, argv);
    if (mode == "startup-bare" || mode == "startup-game") // in the parent's folder
        return startupChild(mode == "startup-bare", sinceMain, std::move(gamePlayer));
    QTemporaryDir folder;
    if (!copyGameFiles(folder.path()))
        return 1;
    QDir::setCurrent(folder.path());

    ErrorReport::setSink([](const QString &t) { std::fprintf(stderr, "error: %s\n", qPrintable(t)); });
    auto fake = std::make_unique<FakePlayer>();
    FakePlayer *player = fake.get();
    TForm1::Options options;
    options.player = std::move(fake);
    TForm1 form(std::move(options));
    form.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    double wall = 0;
    const double wait2s = cpuShare([&] { form.WaitTicks(200); }, &wall);
    std::printf("2-second wait (WaitTicks 200): %.2f %% of one core over %.0f ms\n", wait2s, wall);

    player->polls["OQ1.mid"] = 200;
    const double tune = cpuShare([&] { form.tunes.PlayTuneToEnd("OQ1.mid"); }, &wall);
    std::printf("tune wait (200 polls + 5 ticks): %.2f %% of one core over %.0f ms\n", tune, wall);

    // How closely the real timer keeps time: the tests count ticks and never measure this.
    std::vector<double> pauseMs;
    const double pause = cpuShare([&] {
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer one;
            one.start();
            form.WaitTicks(10);
            pauseMs.push_back(one.nsecsElapsed() / 1e6);
        }
    }, &wall);
    std::printf("10-tick pauses (20 of them): %.2f %% of one core over %.0f ms; one pause "
                "min %.1f ms, median %.1f ms, max %.1f ms\n", pause, wall,
                *std::min_element(pauseMs.begin(), pauseMs.end()), median(pauseMs),
                *std::max_element(pauseMs.begin(), pauseMs.end()));

    const double idle = cpuShare([&] {
        QTimer::singleShot(3000, &app, [] { QCoreApplication::exit(0); });
        QApplication::exec();
    }, &wall);
    std::printf("idle window, nothing happening: %.2f %% of one core over %.0f ms\n", idle, wall);

    form.ui.Button2->setText("NO MUSIC");
    std::vector<double> select;
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer t;
        t.start();
        form.SelectGameClick();
        select.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("SELECT GAME handler without its 5-tick wait (19 bitmaps): median %.2f ms, "
                "max %.2f ms\n", median(select), *std::max_element(select.begin(), select.end()));

    std::vector<double> bare, game;
    for (int i = 0; i < 5; ++i) {
        bare.push_back(startupMs("startup-bare"));
        game.push_back(startupMs("startup-game"));
    }
    std::printf("start to first paint: bare Qt window %.1f ms, the game %.1f ms (median of 5; "
                "the game's includes its 5-tick wait of 50 ms)\n", median(bare), median(game));
    std::printf("game beyond bare window and the 5-tick wait: %.1f ms\n",
                median(game) - median(bare) - 50.0);
    return 0;
}
