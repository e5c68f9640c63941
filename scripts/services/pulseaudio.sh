# A private PulseAudio daemon for the voice device tests: a null sink as speakers, a sine source playing into
# it, and the sink's monitor remapped as the default microphone, so captured audio is a known tone.
# Sourced by scripts/with-test-services; exports PULSE_SERVER (and PULSE_RUNTIME_PATH) when it runs.
korvex_start_pulseaudio() {
    if ! command -v pulseaudio >/dev/null 2>&1; then
        echo "pulseaudio: not installed; sound device tests will be skipped"
        return 0
    fi
    local dir="$KORVEX_TEST_RUNTIME/pulse"
    mkdir -p "$dir/runtime" "$dir/state" "$dir/home"
    chmod 700 "$dir/runtime"
    local socket="$dir/runtime/native"
    cat >"$dir/default.pa" <<PA
load-module module-native-protocol-unix socket=$socket auth-anonymous=1
load-module module-null-sink sink_name=korvex_speakers rate=48000 channels=2
set-default-sink korvex_speakers
load-module module-sine sink=korvex_speakers frequency=440
load-module module-remap-source source_name=korvex_mic master=korvex_speakers.monitor channels=1 channel_map=mono master_channel_map=left
set-default-source korvex_mic
PA
    local extra=()
    [ "$(id -u)" -eq 0 ] && extra+=(--system=false --disallow-exit)
    HOME="$dir/home" PULSE_RUNTIME_PATH="$dir/runtime" PULSE_STATE_PATH="$dir/state" XDG_RUNTIME_DIR="$dir/runtime" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
        -F "$dir/default.pa" "${extra[@]}" >"$dir/log" 2>&1 &
    local pid=$!
    local i
    for i in $(seq 1 50); do
        if [ -S "$socket" ] && PULSE_SERVER="unix:$socket" pactl info >/dev/null 2>&1; then
            export PULSE_SERVER="unix:$socket"
            export PULSE_RUNTIME_PATH="$dir/runtime"
            on_exit "kill $pid 2>/dev/null; wait $pid 2>/dev/null"
            echo "pulseaudio: running (pid $pid), PULSE_SERVER=$PULSE_SERVER"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "pulseaudio: could not start; sound device tests will be skipped. Log:"
    tail -n 20 "$dir/log" || true
    kill "$pid" 2>/dev/null || true
    return 0
}
korvex_start_pulseaudio
