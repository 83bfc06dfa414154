# Sourced by the scripts. Programs are taken from Debian's own directories only: a program
# installed by hand elsewhere (/usr/local, a home directory) can neither make the scripts work
# nor change what they test.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin

# Every program that the scripts, the CMake tests and the Python tests call, and the Debian
# package that brings it (scripts/install-deps.sh installs these packages; scripts/check-deps.py
# fails when a call is missing here or its package is not installed by install-deps.sh).
# Programs of the base system (packages marked essential or required) are listed too.
QUELLIX_PROGRAMS='
apt-get apt
basename coreutils
bash bash
cat coreutils
clang-format clang-format
clang-tidy clang-tidy
chmod coreutils
cmake cmake
cmp diffutils
convert imagemagick
cp coreutils
ctest cmake
cut coreutils
dirname coreutils
dpkg dpkg
dpkg-query dpkg
env coreutils
flock util-linux
git git
grep grep
head coreutils
i686-w64-mingw32-g++-posix g++-mingw-w64-i686-posix
iconv libc-bin
import imagemagick
locale libc-bin
locale-gen locales
ls coreutils
mkdir coreutils
mktemp coreutils
nproc coreutils
paste coreutils
python3 python3
rm coreutils
sed sed
sleep coreutils
tail coreutils
timeout coreutils
touch coreutils
tr coreutils
wine wine
winepath wine
wineserver wine
xdotool xdotool
xvfb-run xvfb
'

# require PROGRAM...: ends the calling script with a one-line message naming the first missing
# program and the Debian package that brings it.
require() {
    local program package
    for program in "$@"; do
        command -v "$program" >/dev/null 2>&1 && continue
        package=$(printf '%s\n' "$QUELLIX_PROGRAMS" | sed -n "s/^$program \(.*\)\$/\1/p")
        echo "$(basename "$0"): the program '$program' is missing; it comes with the Debian package" \
            "${package:-(not listed in scripts/require.sh)}: run scripts/install-deps.sh" >&2
        exit 1
    done
}

# stop_wine ROOT: ends every program of the Wine prefixes under ROOT (their Wine servers), so that
# nothing a run started outlives it.
stop_wine() {
    local p
    for p in "$1"/prefix-*; do
        if [ -d "$p" ]; then WINEPREFIX=$(cd "$p" && pwd) wineserver -k 2>/dev/null || true; fi
    done
}
