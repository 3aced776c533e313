# Sourced by the scripts that run Windows programs: a Wine prefix of the
# project's own under build/, a virtual X display on a number the X server
# finds free itself, and wine_session_end to stop both. The prefix is made
# once (about 20 s) and reused.
#   . scripts/wine-session.sh && wine_session_start && wine "$exe" ...

KELBRANO_ROOT=${KELBRANO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEDEBUG=-all
# Some kernels (some virtual machines) can't run 32-bit x86 programs, Wine's
# 32-bit loader included. There the session uses Wine's 64-bit loader in a
# 64-bit prefix, where only the 64-bit build of the same sources runs:
# KELBRANO_WINE_BITS tells the scripts which build to run.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    export KELBRANO_WINE_BITS=32
    export WINEPREFIX=${WINEPREFIX:-$KELBRANO_ROOT/build/wineprefix}
    export WINEARCH=win32
else
    export KELBRANO_WINE_BITS=64
    export WINEPREFIX=${WINEPREFIX:-$KELBRANO_ROOT/build/wineprefix64}
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    # Debian's wine and wineboot start the 32-bit loader whenever it is
    # installed, runnable or not.
    wine64_bin=$KELBRANO_ROOT/build/wine64-bin
    mkdir -p "$wine64_bin"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$wine64_bin/wine"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot "$@"\n' >"$wine64_bin/wineboot"
    chmod +x "$wine64_bin/wine" "$wine64_bin/wineboot"
    export PATH=$wine64_bin:$PATH
fi
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine_session_start() {
    local n
    if [ -n "${KELBRANO_DISPLAY:-}" ]; then # a desktop of the user's
        export DISPLAY=$KELBRANO_DISPLAY
        XVFB_PID=
    else
        # The server takes the first free display itself and writes its number
        # to -displayfd once it accepts connections.
        local said
        said=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$said" >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do
            n=$(cat "$said") # one write of "N\n"
            [[ $n =~ ^[0-9]+$ ]] || ! kill -0 "$XVFB_PID" 2>/dev/null && break
            sleep 0.1
        done
        rm -f "$said"
        [[ $n =~ ^[0-9]+$ ]] || { echo "Xvfb did not start" >&2; return 1; }
        export DISPLAY=":$n"
    fi
    if [ ! -f "$WINEPREFIX/.kelbrano-ready" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        # With no window manager, Wine waits 2 s whenever a dialog closes
        # unless it manages the windows itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.kelbrano-ready"
    fi
    # Keep one wineserver up for the whole session: the clipboard lives in it.
    # It stays in the foreground of a background job, so its PID is known.
    wineserver -f -p >/dev/null 2>&1 &
    WINESERVER_PID=$!
    for _ in $(seq 50); do # until it listens, in its own working directory
        [ -S "/proc/$WINESERVER_PID/cwd/socket" ] && break
        sleep 0.1
    done
}

wine_session_end() { # safe under set -e: what is already gone is no failure
    wineserver -k >/dev/null 2>&1 || true
    local pid
    for pid in ${WINESERVER_PID:-} ${XVFB_PID:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    WINESERVER_PID= XVFB_PID=
}
