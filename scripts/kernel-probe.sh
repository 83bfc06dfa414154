# Sourced by scripts/install-deps.sh and scripts/wine-loader.sh. Asks the kernel itself whether this
# machine runs 32-bit programs, by starting a 96-byte static i386 program that needs nothing
# installed and exits with 42. A kernel booted without IA-32 emulation refuses it ("Exec format
# error"); the answer does not depend on whether Wine's 32-bit part is installed.
# Sets and exports QUELLIX_KERNEL32 (yes or no) once; the scripts started later inherit it.
if [ -z "${QUELLIX_KERNEL32:-}" ]; then
    QUELLIX_KERNEL32=yes # where no folder lets the probe run at all, as before: Wine's loader decides
    for quellix_dir in "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build" "${TMPDIR:-/tmp}"; do
        mkdir -p "$quellix_dir" 2>/dev/null || continue
        quellix_probe_file=$(mktemp "$quellix_dir/kernel-probe.XXXXXX" 2>/dev/null) || continue
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' \
            >"$quellix_probe_file"
        chmod +x "$quellix_probe_file"
        # Started by the shell itself, with messages in English: env or Python would retry a program
        # that the kernel refuses as a shell script.
        quellix_status=0
        quellix_probe=$( (LC_ALL=C; exec "$quellix_probe_file") 2>&1 </dev/null) || quellix_status=$?
        rm -f "$quellix_probe_file"
        if [ "$quellix_status" = 42 ]; then
            break
        elif [[ $quellix_probe == *"Exec format error"* ]]; then
            QUELLIX_KERNEL32=no
            break
        fi
        # Anything else (a folder mounted noexec, say) tells nothing: the next folder is tried.
    done
    export QUELLIX_KERNEL32
fi
