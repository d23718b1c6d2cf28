# Shell functions shared by the build, test and demo scripts. Source it; do not run it.

VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# --- Architectures ---
# Every program is built for x64 and for x86, each in a folder of its own. The x64 build is
# tested on every machine; the x86 build only where the kernel runs 32-bit programs (some
# machines refuse every i386 program: their 32-bit Wine loader fails with "Exec format
# error").

VELMORA_ARCHS=(x64 x86)
VELMORA_X64_LOADER=/usr/lib/wine/wine64
# The 32-bit loader that the probe tries (a test of these scripts may point it elsewhere).
VELMORA_X86_LOADER=${VELMORA_X86_LOADER:-/usr/lib/wine/wine}

# velmora_build_dir <arch>: the build folder of one architecture.
velmora_build_dir() {
  echo "${VELMORA_BUILD_DIR:-$VELMORA_ROOT/build}/$1"
}

# velmora_use_arch <arch>: Wine for that architecture in everything that follows. Debian's
# `wine` command takes the 32-bit loader whenever it is installed, even for a 64-bit prefix,
# so the loader is named explicitly: call Wine through wine_run, or "$WINELOADER" where a
# shell function cannot be used (setsid).
velmora_use_arch() {
  case $1 in
    x64) WINELOADER=$VELMORA_X64_LOADER WINEARCH=win64 ;;
    x86) WINELOADER=$VELMORA_X86_LOADER WINEARCH=win32 ;;
    *) echo "unknown architecture: $1" >&2; return 1 ;;
  esac
  VELMORA_ARCH=$1
  export WINELOADER WINEARCH VELMORA_ARCH
}

wine_run() {
  "$WINELOADER" "$@"
}

# x86_runs: true when 32-bit programs start on this machine; otherwise prints why not. The
# probe runs once per script.
x86_runs() {
  if [ -z "${VELMORA_X86_PROBE:-}" ]; then
    local out
    if out=$("$VELMORA_X86_LOADER" --version 2>&1 </dev/null); then
      VELMORA_X86_PROBE=yes
    else
      # The last line, without the shell's "<script>: line N: " in front of it.
      out=$(printf '%s' "$out" | tail -n 1 | sed -E 's/^.*: line [0-9]+: //')
      VELMORA_X86_PROBE="32-bit programs cannot run on this machine: $VELMORA_X86_LOADER --version failed: ${out:-no output}"
      case $out in
        *"Exec format error"*) VELMORA_X86_PROBE+=" (the kernel refuses i386 programs, as it does with IA-32 emulation off)" ;;
      esac
    fi
  fi
  [ "$VELMORA_X86_PROBE" = yes ] && return 0
  echo "$VELMORA_X86_PROBE"
  return 1
}

# velmora_build <arch>: configure (once) and build everything for one architecture.
velmora_build() {
  local build
  build=$(velmora_build_dir "$1")
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$VELMORA_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_ARCH="$1" >/dev/null
  fi
  cmake --build "$build" -- -j"${VELMORA_JOBS:-2}"
}

# wine_prefix_fresh <dir> [display]: a new prefix of the architecture chosen by
# velmora_use_arch, its wineserver left running detached. Windows use the null graphics driver unless `display` is given (then they need
# an X display: see display_run). Nothing may read Wine's output through a pipe while the
# prefix's services start: they would inherit it and keep whoever reads it waiting.
wine_prefix_fresh() {
  local display=${2:-}
  : "${WINELOADER:?velmora_use_arch first}"
  export WINEPREFIX=$1 WINEDEBUG=-all
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 </dev/null || true
    wineserver -w >/dev/null 2>&1 </dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1 </dev/null
  wine_run wineboot --init >/dev/null 2>&1 </dev/null
  # Debian's Wine looks for its own TrueType fonts (Tahoma, Marlett for the caption buttons)
  # in a folder that does not exist, so windows fall back to other faces and caption buttons
  # show letters. Windows keeps them in its Fonts folder, where every Wine process finds them
  # at its start (the server restarts below come before any program of ours).
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # A program that crashes ends with a backtrace on standard error instead of a crash
  # dialog that nobody answers.
  (cd / && wine_run reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f) \
    >/dev/null 2>&1 </dev/null
  [ -z "$display" ] || return 0
  # Windows work without a display once the desktop starts with the null driver, so the
  # server is restarted after the setting is made.
  (cd / && wine_run reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f) >/dev/null 2>&1 </dev/null
  wineserver -k >/dev/null 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 </dev/null || true
  wineserver -p >/dev/null 2>&1 </dev/null
  wine_run wineboot >/dev/null 2>&1 </dev/null
}

wine_prefix_stop() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k >/dev/null 2>&1 </dev/null || true
}

# free_udp_port: a UDP port on 127.0.0.1 that nothing uses now.
free_udp_port() {
  python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# ntp_server_start <state dir> [port] [shift]: chronyd on 127.0.0.1 serving this machine's
# clock (it never adjusts it: -x), or that clock moved by `shift` (libfaketime syntax, such as
# +125s). Exports NTP_SERVER_PORT and NTP_SERVER_PID; ntp_server_stop ends every server started.
ntp_server_start() {
  local dir=$1 port=${2:-} shift=${3:-}
  local wrapper=()
  if [ -n "$shift" ]; then
    wrapper=(env LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 FAKETIME="$shift"
             FAKETIME_DONT_FAKE_MONOTONIC=1)
  fi
  [ -n "$port" ] || port=$(free_udp_port)
  mkdir -p "$dir"
  rm -f "$dir/chronyd.pid"
  cat >"$dir/chrony.conf" <<CONF
port $port
bindaddress 127.0.0.1
cmdport 0
allow 127.0.0.1
local stratum 3
pidfile $dir/chronyd.pid
driftfile $dir/chrony.drift
CONF
  "${wrapper[@]}" chronyd -x -u root -f "$dir/chrony.conf" </dev/null >"$dir/chronyd.log" 2>&1
  local i
  for i in $(seq 50); do
    if [ -s "$dir/chronyd.pid" ] && ntp_server_answers "$port"; then
      NTP_SERVER_PORT=$port
      NTP_SERVER_PID=$(cat "$dir/chronyd.pid")
      NTP_SERVER_PIDS="${NTP_SERVER_PIDS:-} $NTP_SERVER_PID"
      export NTP_SERVER_PORT NTP_SERVER_PID
      return 0
    fi
    sleep 0.1
  done
  echo "chronyd did not start on port $port:" >&2
  cat "$dir/chronyd.log" >&2
  return 1
}

ntp_server_answers() {
  python3 - "$1" <<'PY'
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.settimeout(0.2)
s.sendto(b'\x1b' + 47 * b'\0', ('127.0.0.1', int(sys.argv[1])))
try:
    data = s.recv(100)
    sys.exit(0 if len(data) >= 48 and data[1] != 0 else 1)
except OSError:
    sys.exit(1)
PY
}

ntp_server_stop() {
  local pid
  for pid in ${NTP_SERVER_PIDS:-}; do
    kill "$pid" 2>/dev/null || true
  done
  NTP_SERVER_PIDS=
}

# http_server_start <root>: the update tests' loopback HTTP server (python3) serving the new,
# empty folder <root> on a free port of 127.0.0.1. Exports VELMORA_HTTP_PORT and
# VELMORA_HTTP_ROOT; http_server_stop ends it.
http_server_start() {
  local root=$1 ready=$1.port i
  rm -rf "$root" "$ready"
  mkdir -p "$root"
  python3 "$VELMORA_ROOT/tests/update/update_server.py" 0 "$root" "$ready" </dev/null >"$root.log" 2>&1 &
  HTTP_SERVER_PID=$!
  for i in $(seq 100); do
    [ -s "$ready" ] && break
    sleep 0.1
  done
  if [ ! -s "$ready" ]; then
    echo "the update tests' HTTP server did not start (see $root.log)" >&2
    return 1
  fi
  VELMORA_HTTP_PORT=$(cat "$ready")
  VELMORA_HTTP_ROOT=$root
  export VELMORA_HTTP_PORT VELMORA_HTTP_ROOT
}

http_server_stop() {
  if [ -n "${HTTP_SERVER_PID:-}" ]; then
    kill "$HTTP_SERVER_PID" 2>/dev/null || true
  fi
  HTTP_SERVER_PID=
}

# --- Display phase: programs that need a real screen and the taskbar's notification area ---

# The Wine desktop the display phase runs in. The desktop named "shell" shows a taskbar with
# the notification area.
VELMORA_DESKTOP=shell
VELMORA_SCREEN=1024x768

# wine_prefix_fresh_display <dir>: a new prefix that draws on $DISPLAY (an Xvfb) and
# puts every program into a $VELMORA_SCREEN Wine desktop with a taskbar. Its wineserver and
# the desktop are left running detached.
wine_prefix_fresh_display() {
  wine_prefix_fresh "$1" display
  (cd / && wine_run reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$VELMORA_DESKTOP" /f) >/dev/null 2>&1 </dev/null
  (cd / && wine_run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$VELMORA_DESKTOP" /d "$VELMORA_SCREEN" /f) \
    >/dev/null 2>&1 </dev/null
  # The desktop settings are read when the desktop process starts: start the server again.
  wineserver -k >/dev/null 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 </dev/null || true
  wineserver -p >/dev/null 2>&1 </dev/null
  wine_run wineboot >/dev/null 2>&1 </dev/null
  (cd / && setsid "$WINELOADER" explorer "/desktop=$VELMORA_DESKTOP,$VELMORA_SCREEN" >/dev/null 2>&1 </dev/null &)
}

# display_run <prefix dir> <command...>: runs the command under Xvfb in a fresh display prefix
# and ends every Wine process of that prefix before Xvfb goes. Returns the command's status.
display_run() {
  local prefix=$1
  shift
  xvfb-run -a -s "-screen 0 ${VELMORA_SCREEN}x24" bash -c '
    source "$1"
    prefix=$2
    shift 2
    trap "wineserver -k >/dev/null 2>&1 </dev/null; wineserver -w >/dev/null 2>&1 </dev/null" EXIT
    wine_prefix_fresh_display "$prefix"
    "$@"' display_run "$VELMORA_ROOT/scripts/lib.sh" "$prefix" "$@"
}

# display_tests_selected <build dir> [ctest arguments]: true when ctest would run any test
# labelled xvfb with these arguments (ctest lists them through the current prefix).
display_tests_selected() {
  local build=$1
  shift
  (cd "$build" && ctest -N -L xvfb "$@" >"$build/display-tests.txt" 2>&1 </dev/null) || return 1
  grep -q 'Total Tests: [1-9]' "$build/display-tests.txt"
}

# --- Pages phase: Chronel's pages in headless Chromium against the automation object ---

# unix_to_wine_path <path>: the path as Wine programs see it (drive Z: is the root).
unix_to_wine_path() {
  local p
  p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  echo "Z:${p//\//\\}"
}

# pages_bridge_start <build dir> [NTP port]: the test bridge (PagesBridge.exe) in the current
# prefix, serving the built Pages folder and Chronel's automation object, its clock checks
# asking 127.0.0.1 at the NTP port. Started detached, as every Wine program the scripts leave
# running; it writes its HTTP port to a file when it serves. Sets PAGES_BRIDGE_URL and
# PAGES_BRIDGE_PID.
pages_bridge_start() {
  local build=$1 ntp=${2:-0} state
  state=$build/pages-bridge
  mkdir -p "$state"
  rm -f "$state/port" "$state/port.log"
  local exe pages
  exe=$(find "$build" -name PagesBridge.exe -print -quit)
  pages=$(dirname "$(find "$build" -name Chronel.exe -print -quit)")/Pages
  if [ -z "$exe" ] || [ ! -f "$pages/HomePage.htm" ]; then
    echo "pages bridge: PagesBridge.exe or the Pages folder is missing under $build" >&2
    return 1
  fi
  (cd / && setsid "$WINELOADER" "$exe" "$(unix_to_wine_path "$pages")" "$(unix_to_wine_path "$state/port")" "$ntp" \
    >"$state/bridge.out" 2>&1 </dev/null & echo $! >"$state/pid")
  PAGES_BRIDGE_PID=$(cat "$state/pid")
  local i
  for i in $(seq 300); do
    if [ -s "$state/port" ]; then
      PAGES_BRIDGE_URL="http://127.0.0.1:$(tr -d '\r\n' <"$state/port")/"
      export PAGES_BRIDGE_URL PAGES_BRIDGE_PID
      return 0
    fi
    if ! kill -0 "$PAGES_BRIDGE_PID" 2>/dev/null; then
      break
    fi
    sleep 0.1
  done
  echo "pages bridge did not start:" >&2
  cat "$state/port.log" "$state/bridge.out" >&2 2>/dev/null || true
  return 1
}

# pages_bridge_stop: asks the bridge to end, then ends its process if it is still there.
pages_bridge_stop() {
  [ -n "${PAGES_BRIDGE_PID:-}" ] || return 0
  if [ -n "${PAGES_BRIDGE_URL:-}" ]; then
    python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1] + "control/quit", timeout=5).read()' \
      "$PAGES_BRIDGE_URL" >/dev/null 2>&1 || true
  fi
  local i
  for i in $(seq 50); do
    kill -0 "$PAGES_BRIDGE_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill "$PAGES_BRIDGE_PID" 2>/dev/null || true
  PAGES_BRIDGE_PID= PAGES_BRIDGE_URL=
}
