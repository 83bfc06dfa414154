# Sourced by the scripts that start Wine. Decides once per script run (the answer is passed on to
# the scripts and tests it starts through QUELLIX_WINE_BITS) whether this machine runs 32-bit
# programs, by starting Wine's 32-bit loader. Debian's `wine` command always takes that loader
# when it is installed, and a kernel booted without IA-32 emulation refuses it ("Exec format
# error"), so no Windows program would start at all. There Wine is started through its 64-bit
# loader, and only 64-bit Windows programs can run.
# QUELLIX_WINE64=1 takes the 64-bit path on any machine, so that it is exercised everywhere.
# Sets QUELLIX_WINE (the loader to start) and, on the 64-bit path, WINELOADER.
quellix_wine32=/usr/lib/wine/wine
quellix_wine64=/usr/lib/wine/wine64
if [ -z "${QUELLIX_WINE_BITS:-}" ]; then
    if [ "${QUELLIX_WINE64:-0}" = 1 ]; then
        QUELLIX_WINE_BITS=64
    elif "$quellix_wine32" --version >/dev/null 2>&1; then
        QUELLIX_WINE_BITS=32
    else
        QUELLIX_WINE_BITS=64
    fi
    export QUELLIX_WINE_BITS
fi
if [ "$QUELLIX_WINE_BITS" = 64 ]; then
    QUELLIX_WINE=$quellix_wine64
    export WINELOADER=$quellix_wine64
else
    QUELLIX_WINE=wine
fi
