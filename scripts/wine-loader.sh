# Sourced by the scripts that start Wine. Decides once per script run whether Wine runs 32-bit
# programs here; the answer is passed on to the scripts and tests it starts through
# QUELLIX_WINE_BITS (32 or 64), and on the 64-bit path QUELLIX_WINE_WHY says why.
# The kernel is asked first (scripts/kernel-probe.sh): a kernel booted without IA-32 emulation
# refuses every 32-bit program, and Debian's `wine` command always takes the 32-bit loader when it
# is installed, so no Windows program would start at all, not even a 64-bit one. There, and where
# Wine's 32-bit part could not be installed (scripts/install-deps.sh says why), Wine is started
# through its 64-bit loader, and only 64-bit Windows programs can run: the 64-bit build stands in
# for the shipped 32-bit one.
# QUELLIX_WINE64=1 takes the 64-bit path on any machine, so that it is exercised everywhere.
# Sets QUELLIX_WINE (the loader to start) and, on the 64-bit path, WINELOADER (the loader Wine
# starts programs with). Stops the calling script with one line when no loader starts.
quellix_wine32=/usr/lib/wine/wine
quellix_wine64=/usr/lib/wine/wine64
if [ -z "${QUELLIX_WINE_BITS:-}" ]; then
    if [ "${QUELLIX_WINE64:-0}" = 1 ]; then
        QUELLIX_WINE_BITS=64
        QUELLIX_WINE_WHY="QUELLIX_WINE64=1 forces Wine's 64-bit loader"
    elif . "$(dirname "${BASH_SOURCE[0]}")/kernel-probe.sh" && [ "$QUELLIX_KERNEL32" = no ]; then
        QUELLIX_WINE_BITS=64
        QUELLIX_WINE_WHY="this machine's kernel runs no 32-bit programs (a static i386 program: Exec format error)"
    elif [ ! -x "$quellix_wine32" ]; then
        QUELLIX_WINE_BITS=64
        QUELLIX_WINE_WHY="Wine's 32-bit part is not installed here ($quellix_wine32, Debian package wine32:i386;"
        QUELLIX_WINE_WHY+=" scripts/install-deps.sh says why it could not install it)"
    # Started by the shell itself, in a subshell whose messages are in English: a program that the
    # kernel refuses is "cannot execute binary file: Exec format error" (env or Python would retry
    # it as a shell script).
    elif quellix_probe=$( (LC_ALL=C; exec "$quellix_wine32" --version) 2>&1 </dev/null); then
        QUELLIX_WINE_BITS=32
    elif [[ $quellix_probe == *"Exec format error"* ]]; then
        QUELLIX_WINE_BITS=64
        QUELLIX_WINE_WHY="this machine's kernel runs no 32-bit programs ($quellix_wine32: Exec format error)"
    else
        quellix_probe=${quellix_probe#*: line [0-9]*: }
        echo "$(basename "$0"): Wine's 32-bit loader $quellix_wine32 does not start" \
            "(${quellix_probe%%$'\n'*}): reinstall it (apt-get install --reinstall wine32:i386)," \
            "or set QUELLIX_WINE64=1 to run the 64-bit build only" >&2
        exit 1
    fi
    if [ "$QUELLIX_WINE_BITS" = 64 ] && ! quellix_probe=$( (LC_ALL=C; exec "$quellix_wine64" --version) 2>&1 </dev/null)
    then
        quellix_probe=${quellix_probe#*: line [0-9]*: }
        echo "$(basename "$0"): Wine starts no program here: ${QUELLIX_WINE_WHY%% (*}, and its 64-bit loader" \
            "$quellix_wine64 does not start either (${quellix_probe%%$'\n'*}): run scripts/install-deps.sh" \
            "(Debian package wine64)" >&2
        exit 1
    fi
    export QUELLIX_WINE_BITS QUELLIX_WINE_WHY=${QUELLIX_WINE_WHY:-}
fi
if [ "$QUELLIX_WINE_BITS" = 64 ]; then
    QUELLIX_WINE=$quellix_wine64
    export WINELOADER=$quellix_wine64
else
    QUELLIX_WINE=wine
fi
