# Shared set-up of ./test and ./run: packages, libjpeg, build, Wine prefix, Xvfb.
# Sourced, not executed. Every step is idempotent and skips work already done.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${SLOVANTA_BUILD:-$ROOT/build}
CACHE=${SLOVANTA_CACHE:-/var/cache/slovanta-build}
JPEG_VERSION=2.1.5
JPEG_PREFIX=$CACHE/libjpeg-turbo-$JPEG_VERSION

PACKAGES="wine wine32:i386 xvfb imagemagick g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
binutils-mingw-w64-i686 cmake ninja-build googletest dpkg-dev x11-utils xdotool locales fp-utils-3.2.2
mpg123 lame"

log() { printf '[setup] %s\n' "$*" >&2; }

need_root() {
  if [ "$(id -u)" != 0 ]; then
    log "missing system packages; run once as root to install them"; exit 1
  fi
}

install_packages() {
  local missing=()
  for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  need_root
  log "installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Wine maps Windows file names to Unix ones through the Unix locale: without
# a generated pl_PL.UTF-8 it cannot create a file with a Polish name.
ensure_locale() {
  locale -a 2>/dev/null | grep -qix 'pl_PL.utf8' && return 0
  need_root
  log "generating the pl_PL.UTF-8 locale"
  localedef -i pl_PL -c -f UTF-8 -A /usr/share/locale/locale.alias pl_PL.UTF-8
}

ensure_source_list() {
  if ! grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    need_root
    cat > /etc/apt/sources.list.d/slovanta-src.sources <<'LIST'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
LIST
    apt-get update -q
  fi
}

build_libjpeg() {
  [ -f "$JPEG_PREFIX/lib/libjpeg.a" ] && return 0
  ensure_source_list
  log "building libjpeg-turbo $JPEG_VERSION for i686 into $JPEG_PREFIX"
  local work; work=$(mktemp -d)
  mkdir -p "$CACHE"
  (cd "$work" && apt-get source -q libjpeg-turbo >/dev/null)
  local src; src=$(find "$work" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$JPEG_PREFIX.tmp" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF >/dev/null
  cmake --build "$work/build" >/dev/null
  cmake --install "$work/build" >/dev/null
  rm -rf "$JPEG_PREFIX"; mv "$JPEG_PREFIX.tmp" "$JPEG_PREFIX"
  rm -rf "$work"
}

build_project() {
  if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJPEG_PREFIX="$JPEG_PREFIX" >/dev/null
  fi
  cmake --build "$BUILD" -- -j"$(nproc)"
}

# --- the Wine side ---------------------------------------------------------

# The Polish locale gives Wine the system code page 1250. Passed per command:
# glibc need not have the locale, and the shell would warn if it were exported.
wenv() { env LC_ALL=pl_PL.UTF-8 "$@"; }

# ./test and ./run each have a Wine prefix of their own: the trainer keeps its
# settings (dict.cfg) in C:\windows of the prefix, so nothing a test leaves
# there, even one that dies, reaches the trainer. Build steps and
# scripts/wine-run use the tests' prefix; ./run switches with use_prefix run.
use_prefix() { export WINEPREFIX=$BUILD/wine-$1; }
use_prefix test
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export XAUTHORITY=${XAUTHORITY:-$HOME/.Xauthority}
export HOME=$BUILD/home

# Xvfb picks a free display itself and writes its number once it accepts
# connections: builds that start at the same time never share a display.
STARTED_XVFB=
start_xvfb() {
  local numberfile n=
  numberfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
  STARTED_XVFB=$!
  for _ in $(seq 300); do
    n=$(head -n 1 "$numberfile")
    [ -n "$n" ] && break
    kill -0 "$STARTED_XVFB" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numberfile"
  if [ -z "$n" ]; then log "Xvfb did not start"; exit 1; fi
  export DISPLAY=:$n
  if ! xdpyinfo >/dev/null 2>&1; then log "Xvfb on :$n does not answer"; exit 1; fi
}

stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$STARTED_XVFB" ] && kill "$STARTED_XVFB" 2>/dev/null && wait "$STARTED_XVFB" 2>/dev/null
  STARTED_XVFB=
}

prepare_wine() {
  mkdir -p "$HOME"
  # Wave output without sound hardware.
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$HOME/.asoundrc"
  if [ ! -f "$WINEPREFIX/.slovanta-ready" ]; then
    log "creating the Wine prefix"
    rm -rf "$WINEPREFIX"
    wenv wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.slovanta-ready"
  fi
  # Settings of the prefix, re-applied whenever this list changes: Windows
  # XP, and windows that no window manager handles (without a window
  # manager on Xvfb, Wine otherwise waits two seconds for each hidden window).
  local settings=2
  if [ "$(cat "$WINEPREFIX/.slovanta-settings" 2>/dev/null)" != "$settings" ]; then
    wenv wine winecfg -v winxp >/dev/null 2>&1
    wenv wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    echo "$settings" > "$WINEPREFIX/.slovanta-settings"
  fi
  # A persistent server keeps the start of each test program short.
  wineserver -p >/dev/null 2>&1 || true
  # Start Wine's own services now, detached from our output: started by the
  # first test program, they would hold its output pipe open.
  wenv wine cmd /c exit >/dev/null 2>&1 </dev/null
}
