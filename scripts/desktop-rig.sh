#!/usr/bin/env bash
# Runs COMMAND inside a private headless desktop and exits with its status:
#   X server (Xvfb), session D-Bus, window manager (openbox), PulseAudio with a
#   null sink "rig_sink" and a null source "rig_mic", and a system tray (trayer).
# RIG_DISPLAY=weston or sway runs a headless Wayland compositor with XWayland
# instead of Xvfb and openbox (WAYLAND_DISPLAY and DISPLAY both set,
# XDG_SESSION_TYPE=wayland): Weston with --debug so weston-screenshooter may
# take pictures; sway, where grim takes them and `swaymsg seat seat0 cursor`
# moves and clicks a pointer.
# Everything lives in a fresh temporary folder that also serves as HOME and
# XDG_RUNTIME_DIR, so nothing of the caller's desktop is seen or touched.
# Only the daemons started here (and the children they spawned) are stopped.
#
#   scripts/desktop-rig.sh ctest --test-dir build
#   scripts/desktop-rig.sh bash            # look around interactively
#
# RIG_KEEP=1 keeps the folder (logs of every daemon are in its logs/ folder).
# Exit status 125 means the desktop itself could not be started.
set -euo pipefail

if (($# == 0)); then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

readonly ready_timeout=20 # seconds any one daemon may take to come up
readonly stop_timeout=5   # seconds a daemon may take to go after SIGTERM

rig_dir=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-rig.XXXXXX")
chmod 700 "$rig_dir"
started_pids=()
started_names=()
bus_address=
command_pid=

say() { echo "rig: $*" >&2; }

fail() {
    say "$1"
    if [[ -n ${2:-} && -s $2 ]]; then
        say "last lines of $2:"
        tail -n 20 "$2" >&2
    fi
    exit 125
}

# The children that pid spawned, and theirs, deepest first.
descendants() {
    local child
    for child in $(pgrep -P "$1" || true); do
        descendants "$child"
        echo "$child"
    done
}

# A zombie counts as gone: it waits only for its parent to reap it.
running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [[ ${stat%% *} != Z ]]
}

# Stops the processes and everything they spawned: TERM, then KILL after stop_timeout.
stop_processes() {
    local name=$1 deadline p
    shift
    local -a tree=() survivors=()
    for p in "$@"; do
        mapfile -t -O "${#tree[@]}" tree < <(descendants "$p")
        tree+=("$p")
    done
    kill -TERM "${tree[@]}" 2>/dev/null || true
    deadline=$((SECONDS + stop_timeout))
    while :; do
        survivors=()
        for p in "${tree[@]}"; do
            if running "$p"; then survivors+=("$p"); fi
        done
        ((${#survivors[@]} == 0 || SECONDS >= deadline)) && break
        sleep 0.05
    done
    if ((${#survivors[@]} > 0)); then
        say "$name did not end within ${stop_timeout}s; killing ${survivors[*]}"
        kill -KILL "${survivors[@]}" 2>/dev/null || true
    fi
    for p in "$@"; do
        wait "$p" 2>/dev/null || true
    done
}

bus_call() {
    gdbus call --address "$bus_address" --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method "org.freedesktop.DBus.$1" "${@:2}" 2>/dev/null
}

# Services the bus activated (the permission store, dconf, the accessibility
# bus) are not our children; the bus knows their pids.
bus_clients() {
    local name reply
    for name in $(bus_call ListNames | grep -o ":[0-9]*\.[0-9]*"); do
        reply=$(bus_call GetConnectionUnixProcessID "$name") || continue
        # "(uint32 1234,)"
        [[ $reply =~ ([0-9]+),\)$ ]] && running "${BASH_REMATCH[1]}" && echo "${BASH_REMATCH[1]}"
    done | sort -u
}

cleanup() {
    local status=$? i
    trap - EXIT INT TERM HUP
    local -a clients=()
    # Cleanup goes on whatever fails on the way.
    set +eu
    for ((i = ${#started_pids[@]} - 1; i >= 0; i--)); do
        if [[ ${started_names[i]} == dbus-daemon && -n $bus_address ]]; then
            mapfile -t clients < <(bus_clients)
            ((${#clients[@]} == 0)) || stop_processes "services on the session bus" "${clients[@]}"
        fi
        stop_processes "${started_names[i]}" "${started_pids[i]}"
    done
    if [[ ${RIG_KEEP:-} == 1 ]]; then
        say "kept $rig_dir"
    else
        rm -rf "$rig_dir"
    fi
    exit "$status"
}

on_signal() {
    local number=$1
    if [[ -n $command_pid ]]; then
        kill -TERM "$command_pid" 2>/dev/null || true
        wait "$command_pid" 2>/dev/null || true
    fi
    exit $((128 + number))
}

trap cleanup EXIT
trap 'on_signal 2' INT
trap 'on_signal 15' TERM
trap 'on_signal 1' HUP

track() {
    started_pids+=("$1")
    started_names+=("$2")
}

started() {
    track "$1" "$2"
    say "$2 started (pid $1)${3:+, $3}"
}

# Waits until the check command succeeds, for at most ready_timeout seconds.
await() {
    local what=$1 log=$2 pid=$3
    shift 3
    local deadline=$((SECONDS + ready_timeout))
    until "$@" >/dev/null 2>&1; do
        running "$pid" || fail "$what ended while starting" "$log"
        ((SECONDS < deadline)) || fail "$what not ready after ${ready_timeout}s" "$log"
        sleep 0.05
    done
}

# --- private folders and a clean environment ------------------------------
logs=$rig_dir/logs
export XDG_RUNTIME_DIR=$rig_dir/run
export HOME=$rig_dir/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache
export XDG_STATE_HOME=$HOME/.local/state
mkdir -p "$logs" "$HOME" "$XDG_CONFIG_HOME/pulse" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

unset WAYLAND_DISPLAY QT_QPA_PLATFORM SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS DBUS_SESSION_BUS_PID \
    PULSE_SERVER PULSE_RUNTIME_PATH PIPEWIRE_REMOTE XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP XDG_SESSION_ID \
    XDG_SEAT XDG_VTNR DESKTOP_SESSION
export XDG_SESSION_TYPE=x11
export LANG=${LANG:-C.UTF-8}

# --- display server ---------------------------------------------------------
# Xvfb: -displayfd picks a free display and reports it once ready.
start_xvfb() {
    local cookie display
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    touch "$rig_dir/server.auth" "$rig_dir/Xauthority"
    xauth -q -f "$rig_dir/server.auth" add :0 . "$cookie"
    mkfifo "$rig_dir/display.fifo"
    Xvfb -displayfd 3 -auth "$rig_dir/server.auth" -screen 0 1920x1080x24 -nolisten tcp \
        3>"$rig_dir/display.fifo" >"$logs/xvfb.log" 2>&1 &
    local pid=$!
    read -r -t "$ready_timeout" display <"$rig_dir/display.fifo" || true
    [[ $display =~ ^[0-9]+$ ]] || { track "$pid" Xvfb; fail "Xvfb did not start" "$logs/xvfb.log"; }
    export DISPLAY=:$display
    export XAUTHORITY=$rig_dir/Xauthority
    xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$cookie"
    started "$pid" Xvfb "DISPLAY=$DISPLAY"
    await Xvfb "$logs/xvfb.log" "$pid" xdpyinfo
}

# The X display a compositor's XWayland listens on, from its log: the number
# ending the first line that matches the pattern.
xwayland_display() {
    local found
    found=$(grep -m 1 -oE "$2" "$1" | grep -oE '[0-9]+$')
    [[ -n $found ]] && echo "$found"
}

# Weston draws with pixman (the headless default draws nothing) and runs with
# --debug, which lets weston-screenshooter take pictures. Its desktop has no
# panel, so nothing of its own covers the top of the screen.
start_weston() {
    local pattern='xserver listening on display :[0-9]+'
    printf '%s\n' '[shell]' 'panel-position=none' 'background-color=0xff30506f' >"$rig_dir/weston.ini"
    export WAYLAND_DISPLAY=wayland-rig
    weston --config="$rig_dir/weston.ini" --backend=headless-backend.so --use-pixman --width=1920 --height=1080 \
        --xwayland --debug --idle-time=0 --socket="$WAYLAND_DISPLAY" >"$logs/weston.log" 2>&1 &
    local pid=$!
    started "$pid" weston "WAYLAND_DISPLAY=$WAYLAND_DISPLAY"
    await weston "$logs/weston.log" "$pid" xwayland_display "$logs/weston.log" "$pattern"
    export DISPLAY=:$(xwayland_display "$logs/weston.log" "$pattern")
    await XWayland "$logs/weston.log" "$pid" xdpyinfo
}

# sway refuses to run as root, so as root it runs as nobody with a folder of
# its own; root reaches its sockets by their full paths.
start_sway() {
    local home=$rig_dir/sway
    mkdir -m 700 "$home"
    # sway tells its clients the X display only through their environment;
    # its XWayland lets in only sway's own user until told otherwise.
    local report="xhost +si:localuser:$(id -un) && printenv DISPLAY >$home/display.new"
    printf '%s\n' 'output HEADLESS-1 resolution 1920x1080 position 0 0 bg #30506f solid_color' \
        'xwayland enable' 'default_border none' "exec sh -c '$report && mv $home/display.new $home/display'" \
        >"$rig_dir/sway.conf"
    chmod 644 "$rig_dir/sway.conf"
    local -a as_user=()
    if ((EUID == 0)); then
        chown nobody: "$home"
        chmod 711 "$rig_dir"
        as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    "${as_user[@]}" env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$home" WLR_BACKENDS=headless \
        WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway --config "$rig_dir/sway.conf" \
        >"$logs/sway.log" 2>&1 &
    local pid=$!
    started "$pid" sway
    sway_ready() { compgen -G "$home/sway-ipc.*.sock" && [[ -S $home/wayland-1 ]]; }
    await sway "$logs/sway.log" "$pid" sway_ready
    export WAYLAND_DISPLAY=$home/wayland-1
    SWAYSOCK=$(compgen -G "$home/sway-ipc.*.sock")
    export SWAYSOCK
    await "sway's XWayland" "$logs/sway.log" "$pid" test -s "$home/display"
    DISPLAY=$(<"$home/display")
    export DISPLAY
    await "sway's X server" "$logs/sway.log" "$pid" xdpyinfo
}

case ${RIG_DISPLAY:=xvfb} in
xvfb) start_xvfb ;;
weston) start_weston ;;
sway) start_sway ;;
*) fail "RIG_DISPLAY=$RIG_DISPLAY is none of xvfb, weston, sway" ;;
esac
[[ $RIG_DISPLAY == xvfb ]] || export XDG_SESSION_TYPE=wayland

# --- session bus; started after DISPLAY so activated services inherit it ---
mkfifo "$rig_dir/bus.fifo"
dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus" --print-address=3 \
    3>"$rig_dir/bus.fifo" >"$logs/dbus.log" 2>&1 &
bus_pid=$!
started "$bus_pid" dbus-daemon
read -r -t "$ready_timeout" bus_address <"$rig_dir/bus.fifo" || true
[[ -n $bus_address ]] || fail "dbus-daemon did not start" "$logs/dbus.log"
export DBUS_SESSION_BUS_ADDRESS=$bus_address

# --- audio server with one null sink and one null source ------------------
# As root PulseAudio warns but runs as a per-user daemon, which is what we want.
pulseaudio --daemonize=no --exit-idle-time=-1 -n --realtime=no --high-priority=no --log-target=stderr \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=rig_sink" \
    --load="module-null-source source_name=rig_mic" \
    >"$logs/pulseaudio.log" 2>&1 &
pulse_pid=$!
started "$pulse_pid" pulseaudio
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
await pulseaudio "$logs/pulseaudio.log" "$pulse_pid" pactl info
pactl set-default-sink rig_sink
pactl set-default-source rig_mic

# --- window manager --------------------------------------------------------
# The compositors bring their own.
if [[ $RIG_DISPLAY == xvfb ]]; then
    openbox --sm-disable >"$logs/openbox.log" 2>&1 &
    openbox_pid=$!
    started "$openbox_pid" openbox
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
    await openbox "$logs/openbox.log" "$openbox_pid" wm_running
fi

# --- system tray: ready once it owns the tray selection of screen 0 --------
tray_owned() {
    python3 - <<'EOF'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XGetSelectionOwner.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
display = x.XOpenDisplay(None)
selection = x.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0) if display else 0
sys.exit(0 if selection and x.XGetSelectionOwner(display, selection) else 1)
EOF
}
trayer --edge top --align right --widthtype request --height 24 --SetDockType true --transparent false \
    >"$logs/trayer.log" 2>&1 &
trayer_pid=$!
started "$trayer_pid" trayer
await trayer "$logs/trayer.log" "$trayer_pid" tray_owned

# --- the command -----------------------------------------------------------
export TARNWICK_RIG=1 RIG_DISPLAY
say "desktop ready in $rig_dir"
# In the background so a signal reaches the traps at once; stdin passed on
# explicitly, so an interactive shell still reads the terminal.
"$@" <&0 &
command_pid=$!
status=0
wait "$command_pid" || status=$?
command_pid=
exit "$status"
