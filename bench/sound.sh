#!/usr/bin/env bash
# Measures the game as a user meets it, on a real sound server: processor time of the whole
# process (all threads, from /proc/PID/stat) while a tune plays and when idle, beside the
# `fluidsynth` program on the same server; start to first paint against a bare Qt window under
# one X server; the window and the program's end while the sound server is stopped; dropouts
# with four busy processes; and the installed launcher's first start. Run by scripts/bench.sh
# with the optimised build folder as its argument.
set -euo pipefail
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
export QT_QPA_PLATFORM=xcb # every window here opens under Xvfb
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A sound server: the running one, else a private one with a null sink in a runtime folder
# of its own, stopped again at the end.
if ! pactl info >/dev/null 2>&1; then
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # At debug level the server logs every underrun of a stream, which counts the dropouts.
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr --log-level=debug \
    --load="module-null-sink sink_name=bench_null" --load=module-native-protocol-unix \
    2>"$work/pulseaudio.log" &
  server_pid=$!
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink bench_null
  echo "sound server: a private PulseAudio with a null sink"
else
  echo "sound server: the running one ($(pactl get-default-sink))"
fi

# Underruns of the game's stream that the private server has logged so far.
underruns() {
  local n
  n=$(grep -c "underrun of 'Tune'" "$work/pulseaudio.log" 2>/dev/null) || true
  echo "${n:-0}"
}

ticks_per_second=$(getconf CLK_TCK)
# Processor time of process $1, user and system, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Share of one core that process $1 uses over the next $2 seconds.
cpu_share() {
  local before after
  before=$(cpu_ticks "$1")
  sleep "$2"
  after=$(cpu_ticks "$1")
  awk -v a="$before" -v b="$after" -v t="$ticks_per_second" -v s="$2" \
    'BEGIN { printf "%.2f %%", 100 * (b - a) / t / s }'
}

games="$work/games"
mkdir "$games"
cp "$build"/games/* "$games"/
rm -f "$games/quorvels.dat"
tune="$games/OQ1.mid" # the start tune of the first game, 14.3 s

# The game: its start tune plays from the start; 2 to 12 s is playing, 24 to 34 s idle (the
# tune, its release and FluidSynth's 2-second wait for the reverb are over by 19 s).
(cd "$games" && xvfb-run -a sh -c 'echo $$ > ../game.pid; exec "$0"' \
  "$build/festral-quorvel" >"$work/game.log" 2>&1) &
for _ in $(seq 50); do [ -s "$work/game.pid" ] && break; sleep 0.1; done
game=$(cat "$work/game.pid")
sleep 2
quiet_before=$(underruns)
echo "the game while its 14-second start tune plays (10 s): $(cpu_share "$game" 10)"
# What the server holds of the tune, its own share included: the longest a note waits.
pactl list sink-inputs | awk '/Buffer Latency|Sink Latency/ { sum += $3 }
  END { printf "the tune'"'"'s latency on the server (buffer and sink): %.0f ms\n", sum / 1000 }'
quiet_underruns=$(($(underruns) - quiet_before))
sleep 12
echo "the game idle, the window open after the tune (10 s): $(cpu_share "$game" 10)"
kill "$game"

# The window probe: a window manager's ping every 100 ms, and its close request.
probe="$work/windowprobe"
cc -O2 -o "$probe" "$root/bench/windowprobe.c" -lX11
# Milliseconds until process $1 has ended, at most 10 s.
ended_after() {
  local start end
  start=$(date +%s%N)
  for _ in $(seq 1000); do [ -e "/proc/$1" ] || break; sleep 0.01; done
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
# Runs the function `$1` below under a fresh Xvfb, in the games folder, with the game as $0,
# the probe as $1 and the sound server's process as $2.
under_x() {
  (cd "$games" && xvfb-run -a bash -c "$(declare -f "$1" ended_after); $1 \"\$@\"" \
    "$build/festral-quorvel" "$probe" "$server_pid") 2>/dev/null
}

# The sound server stopped while the start tune plays (SIGSTOP, as a suspended, swapped-out or
# hung server behaves): the window goes on answering, and a close request ends the program.
stopped_during_tune() {
  "$0" >/dev/null 2>&1 &
  local game=$!
  sleep 3
  kill -STOP "$2"
  echo "server stopped during the tune, the next 4 s: $("$1" "$game" 4)"
  "$1" "$game" close
  echo "server stopped, the window closed: the program ended after $(ended_after "$game") ms"
  kill "$game" 2>/dev/null || true
  kill -CONT "$2"
}
# The server stopped before the game starts: the start tune waits for it at most its bound,
# then the window opens with an error box.
stopped_at_start() {
  kill -STOP "$2"
  "$0" >/dev/null 2>&1 &
  local game=$!
  echo "server stopped before the start, the first 4 s: $("$1" "$game" 4)"
  kill -CONT "$2"
  kill "$game"
}
# No sound server at all: the window and its error box come at once.
no_server() {
  PULSE_SERVER=unix:/nonexistent "$0" >/dev/null 2>&1 &
  local game=$!
  echo "no sound server at all: $("$1" "$game" 1)"
  kill "$game"
}
# Four busy processes on the machine's cores for 12 s of the start tune; the game ends after
# the tune, as a game killed in the middle of one leaves its stream one last underrun.
under_load() {
  local busy=()
  for _ in 1 2 3 4; do
    sh -c 'while :; do :; done' &
    busy+=($!)
  done
  "$0" >/dev/null 2>&1 &
  local game=$!
  sleep 12
  kill "${busy[@]}"
  sleep 8
  kill "$game"
}
if [ -n "$server_pid" ]; then
  under_x stopped_during_tune
  under_x stopped_at_start
  under_x no_server
  before=$(underruns)
  under_x under_load
  echo "dropouts (the server's underruns of the game's stream) during the start tune:" \
    "quiet machine $quiet_underruns, four busy processes for 12 s $(($(underruns) - before))"
else
  echo "the stalled server, its dropouts: not measured (the running server is not ours)"
fi

# The anchor: FluidSynth's own program on the same server with the same sound font.
font=/usr/share/sounds/sf2/TimGM6mb.sf2
mkfifo "$work/shell"
fluidsynth -q -a pulseaudio "$font" <"$work/shell" >/dev/null 2>&1 &
anchor=$!
exec 4>"$work/shell" # its shell waits for commands that never come
sleep 2
echo "fluidsynth program idle (10 s): $(cpu_share "$anchor" 10)"
exec 4>&-
wait "$anchor" 2>/dev/null || true
fluidsynth -q -i -a pulseaudio "$font" "$tune" >/dev/null 2>&1 &
anchor=$!
sleep 2
echo "fluidsynth program playing the same tune (10 s): $(cpu_share "$anchor" 10)"
kill "$anchor" 2>/dev/null || true
wait "$anchor" 2>/dev/null || true

# Start to first paint, the game against a bare window of its size, five each, under one X
# server with the sound server running.
(cd "$games" && xvfb-run -a sh -c '
  for i in 1 2 3 4 5; do
    echo "bare $("$0" startup-bare)"
    echo "game $("$0" startup-game)"
  done' "$build/bench/bench_play") >"$work/startup.txt" 2>/dev/null
median() { grep "^$1 " "$work/startup.txt" | cut -d' ' -f2 | sort -n | sed -n 3p; }
bare=$(median bare)
game=$(median game)
awk -v b="$bare" -v g="$game" 'BEGIN {
  printf "start to first paint under Xvfb, median of 5: bare Qt window %.1f ms, the game " \
         "%.1f ms, difference %.1f ms (50 ms of it the start tune'"'"'s 5-tick wait)\n", b, g, g - b
}' 

# The installed launcher's first start: stocking an empty player's folder, the game replaced
# by a program that does nothing.
cmake --install "$build" --prefix "$work/prefix" >/dev/null 2>&1
first_start() {
  local data="$work/data$1" start end
  start=$(date +%s%N)
  XDG_DATA_HOME="$data" QUORVEL_PROGRAM=true "$work/prefix/bin/festral-quorvel"
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
starts="$(first_start 1) $(first_start 2) $(first_start 3)"
echo "installed first start, stocking 148 files (ms, three runs): $starts"
