#!/usr/bin/env bash
# The pause readout against what had really left a sound server when the pause was asked for.
#
#   bash bench/heard/run.sh BUILD_DIR [SET-UP]   (bench/run.sh calls it with its own build;
#                                                 SET-UP picks the set-ups whose name holds it)
#
# Slowed down (0.5× and 0.75×, the pitch kept by mpv's scaletempo2) both players run at the same
# speed, and what was heard is matched on the song's own time: the sound is then the song cut
# into overlapping pieces of about 10 ms, each taken a few ms off the song's steady course, so
# the eight 10 ms pieces before a moment are matched and, carried on to the moment at the
# speed, their median gives the course heard. (The media time where the sound came back after
# a pause is matched from one 10 ms piece, so its figure is only good to a few ms.)
#
# Method. For each set-up a private sound server is started here (its own XDG_RUNTIME_DIR and
# HOME, a null sink at 48 kHz, no sound card; PipeWire with WirePlumber on a private D-Bus).
# monitor_recorder records the sink's monitor with the server's timing of every buffer. The
# song is 90 s of band-limited noise from a fixed seed (heard_analyse song), encoded by lame: any
# 50 ms of it is a recognisable event that names its own media time. heard_bench loads it 8
# times as the window's 载入歌曲 does (address, stop; none of it may be heard), then plays it
# through the program's player (MediaPlayer, real libmpv, the program's own audio output
# choice unless the set-up names one) and pauses at 20 random moments the way the pause button
# does: pause(), then read the position; it logs the CLOCK_MONOTONIC time each play and pause
# was asked for, the readout, the position read again 300 ms later while still paused, and
# positions read while playing. heard_analyse turns each logged time into the recorded sample that was
# leaving the sink then, on the sink's own clock:
#  - PipeWire: the null sink drives the graph; each buffer carries its cycle's scheduled start
#    (pw_stream_get_time_n), and the sink takes the cycle's quantum from then on.
#  - PulseAudio: the null sink renders a block when its clock reaches the block's first sample
#    and hands it to the monitor then or, while a stream plays, up to a rewind block later. The
#    sink's clock is the earliest arrival of a burst's first sample (the silence before the
#    first play gives on-time ones), less that sample's offset; late deliveries never lower it.
# It then finds the 50 ms of recording just before that sample in the song (normalised cross
# correlation, searched within 250 ms of the readout) and so the media time heard at the pause.
# Around each pause it also finds the silence the pause left (10 ms of exact zeros, which the
# song never holds): how long the sound went on after the pause was asked for, how soon it
# came back after play was asked for, and whether it came back at the media time where it had
# stopped (the 50 ms before the silence and the 50 ms after it, matched the same way).
#
# The floor. On the same server, right after the program's run, heard_floor (linked to nothing
# of the program, only libmpv) plays the same song with mpv's own settings for the same audio
# output, on the same schedule, and pauses the plainest way: set "pause", read "time-pos".
#
# Printed per set-up and player: the median and worst of |readout - heard|, the signed mean,
# the change of a second read while paused, |live position - heard| while playing, the figures
# around each pause and, for PipeWire, the quantum the graph ran at; then the program's figures
# beside the floor's, with their ratio (below 1: the program does better), as Markdown table
# rows. Figures move with
# the machine's load. The program's targets: readout 3 ms median and 10 ms worst, a second read
# while paused within 1 ms, the live position within 15 ms.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/bench}
only=${2:-}
bin="$build/bench"
work=$(mktemp -d)
here=bench/heard
server_pids=()

stop_servers() {
  local pid
  for pid in "${server_pids[@]}"; do
    kill -- "-$pid" 2>/dev/null || true
  done
  for pid in "${server_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  server_pids=()
}
trap 'stop_servers; rm -rf "$work"' EXIT

# Each server in its own session, so that stopping it also stops what it started.
start() {
  setsid "$@" >>"$work/servers.log" 2>&1 &
  server_pids+=($!)
}

# A set-up that starts the same server as the one before it (PipeWire's PulseAudio server runs on
# a PipeWire of the same quantum) must not find that one's sockets and locks.
fresh_environment() {
  export XDG_RUNTIME_DIR="$work/run-$1" HOME="$work/home-$1"
  rm -rf "$XDG_RUNTIME_DIR" "$HOME"
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset PULSE_SERVER PIPEWIRE_REMOTE DBUS_SESSION_BUS_ADDRESS
}

wait_for() {
  for _ in $(seq 50); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "heard: the server did not come up; its log:" >&2
  tail -n 20 "$work/servers.log" >&2
  return 1
}

start_pulseaudio() {
  fresh_environment "pulse"
  printf '%s\n' 'load-module module-native-protocol-unix' \
    'load-module module-null-sink sink_name=bench rate=48000 channels=2 norewinds=1' 'set-default-sink bench' >"$work/pulse.pa"
  start pulseaudio -n -F "$work/pulse.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --log-target=stderr
  wait_for pactl info
}

# start_pipewire QUANTUM [MIN MAX]: the quantum fixed, or chosen by the clients between MIN and MAX.
start_pipewire() {
  fresh_environment "pipewire-$1"
  sed -e "s/@QUANTUM@/$1/g" -e "s/@MIN_QUANTUM@/${2:-$1}/g" -e "s/@MAX_QUANTUM@/${3:-$1}/g" \
    "$here/pipewire.conf" >"$work/pipewire-$1.conf"
  start pipewire -c "$work/pipewire-$1.conf"
  wait_for test -S "$XDG_RUNTIME_DIR/pipewire-0"
  start dbus-run-session -- wireplumber
  wait_for sh -c 'timeout 2 pw-cli ls Node | grep -q "node.name = \"bench\""'
  # WirePlumber links streams once it has set the sink as the default one.
  wait_for sh -c 'timeout 2 pw-metadata 0 default.audio.sink | grep -q bench'
}

start_pipewire_pulse() {
  start_pipewire "$1"
  start pipewire-pulse
  wait_for pactl info
}

# record SET-UP RECORDER NAME SPEED COMMAND...: one run of a player against the sink's monitor.
record() {
  "$bin/monitor_recorder" "$2" bench "$work/samples" "$work/timeline" &
  local recorder=$!
  sleep 0.5
  "${@:5}"
  kill -INT "$recorder"
  wait "$recorder"
  "$bin/heard_analyse" analyse "$1 ($3)" "$2" "$work/samples" "$work/timeline" "$work/events" "$work/$3.figures" "$4"
}

# measure SET-UP RECORDER OUTPUT SPEED [PROGRAM_OUTPUT]: the program's player, then the bare
# libmpv client with the same audio output, on the same server, both at SPEED.
measure() {
  record "$1" "$2" program "$4" env QT_QPA_PLATFORM=offscreen "$bin/heard_bench" "$work/song.mp3" "$work/events" \
    "${5:--}" "$4"
  record "$1" "$2" floor "$4" "$bin/heard_floor" "$work/song.mp3" "$work/events" "$3" "$4"
  "$bin/heard_analyse" compare "$1" "$work/program.figures" "$work/floor.figures"
}

"$bin/heard_analyse" song "$work/song.wav"
lame --quiet -b 320 "$work/song.wav" "$work/song.mp3"

# Each set-up: the name printed, how its server starts, the recorder, the floor's output, the
# speed of both players and the program's output when it is not the program's own choice.
setups=(
  "PipeWire, quantum free (32-2048)|start_pipewire 1024 32 2048|pipewire|pipewire|1|"
  "PipeWire, quantum 128|start_pipewire 128|pipewire|pipewire|1|"
  "PipeWire, quantum 512|start_pipewire 512|pipewire|pipewire|1|"
  "PipeWire, quantum 2048|start_pipewire 2048|pipewire|pipewire|1|"
  "pipewire-pulse, quantum 2048|start_pipewire_pulse 2048|pipewire|pulse|1|pulse"
  "PulseAudio 16, null sink|start_pulseaudio|pulse|pulse|1|"
  "PipeWire, quantum free, speed 0.5|start_pipewire 1024 32 2048|pipewire|pipewire|0.5|"
  "PipeWire, quantum free, speed 0.75|start_pipewire 1024 32 2048|pipewire|pipewire|0.75|"
  "PulseAudio 16, null sink, speed 0.5|start_pulseaudio|pulse|pulse|0.5|"
  "PulseAudio 16, null sink, speed 0.75|start_pulseaudio|pulse|pulse|0.75|"
)
for setup in "${setups[@]}"; do
  IFS='|' read -r name server recorder output speed program_output <<<"$setup"
  [[ $name == *"$only"* ]] || continue
  $server
  measure "$name" "$recorder" "$output" "$speed" ${program_output:+"$program_output"}
  stop_servers
done
