# Sourced by the scripts: which build the Windows programs of a run come from
# and which Wine runs them, decided before anything is installed.
#
# A host that runs 32-bit Linux programs runs the shipped 32-bit build under
# 32-bit Wine. A host that cannot (its kernel answers "Exec format error"),
# or that runs them only through an emulator registered with binfmt_misc (a
# hundred times slower), runs a 64-bit build of the same sources under 64-bit
# Wine; the shipped files are still the 32-bit build's. VTX_WINE_ARCH=32 or
# 64 forces the choice: choose_wine_arch is the only place that reads it.

# A static i386 ELF program that only calls exit(32): ELF header, one
# loadable segment, then mov eax,1 / mov ebx,32 / int 0x80.
I386_PROBE_HEX=7f454c46010101000000000000000000020003000100000054800408340000000000000000000000340020000100000000000000
I386_PROBE_HEX+=0100000000000000008004080080040860000000600000000500000000100000
I386_PROBE_HEX+=b801000000bb20000000cd80

# binfmt_claims ENTRY HEX: whether the binfmt_misc entry file ENTRY is
# enabled and its magic (under its mask, at its offset) matches the file
# that starts with the bytes HEX, as the kernel would judge it.
binfmt_claims() {
    local key value enabled=0 offset=0 magic="" mask="" i byte want keep
    while read -r key value; do
        case $key in
            enabled) enabled=1 ;;
            offset) offset=$value ;;
            magic) magic=$value ;;
            mask) mask=$value ;;
        esac
    done <"$1"
    [ "$enabled" = 1 ] && [ -n "$magic" ] || return 1
    [ $((offset * 2 + ${#magic})) -le ${#2} ] || return 1
    for ((i = 0; i < ${#magic}; i += 2)); do
        byte=$((16#${2:offset * 2 + i:2}))
        want=$((16#${magic:i:2}))
        keep=${mask:i:2}
        keep=$((16#${keep:-ff}))
        [ $((byte & keep)) = $((want & keep)) ] || return 1
    done
}

# i386_emulator DIR: the name of the binfmt_misc entry in DIR that would run
# an i386 program through an emulator; nothing when none would.
i386_emulator() {
    local entry
    [ "$(cat "$1/status" 2>/dev/null)" = enabled ] || return 0
    for entry in "$1"/*; do
        case ${entry##*/} in register | status) continue ;; esac
        if [ -f "$entry" ] && binfmt_claims "$entry" "$I386_PROBE_HEX"; then
            echo "${entry##*/}"
            return 0
        fi
    done
}

# i386_exec_result DIR: "runs" when the probe program, written to DIR,
# starts and ends with its own exit code; else the system's answer.
i386_exec_result() {
    local probe=$1/i386-exit answer status
    mkdir -p "$1"
    printf '%b' "$(sed 's/../\\x&/g' <<<"$I386_PROBE_HEX")" >"$probe"
    chmod +x "$probe"
    answer=$("$probe" 2>&1) && status=0 || status=$?
    if [ "$status" = 32 ]; then echo runs; else echo "${answer##*: }" | tail -n 1; fi
}

# decide_wine_arch FORCED MACHINE EXEC_RESULT EMULATOR: prints the choice
# ("32" or "64") and, on the next line, why; prints one line saying what is
# wrong and returns 1 when no choice can work.
decide_wine_arch() {
    local forced=$1 machine=$2 result=$3 emulator=$4
    if [ "$machine" != x86_64 ]; then
        echo "this host is $machine: the tests need an x86-64 Linux host (Wine runs the Windows x86 programs there)"
        return 1
    fi
    case $forced in
        "" | 32 | 64) ;;
        *) echo "VTX_WINE_ARCH must be 32 or 64 (or unset), not '$forced'"; return 1 ;;
    esac
    if [ "$forced" = 64 ]; then
        printf '64\nVTX_WINE_ARCH=64: the 64-bit build of the same sources runs under 64-bit Wine\n'
    elif [ "$forced" = 32 ] && [ "$result" != runs ]; then
        echo "VTX_WINE_ARCH=32, but this host cannot run 32-bit programs ($result): unset it to use the 64-bit build"
        return 1
    elif [ -n "$emulator" ] && [ "$forced" != 32 ]; then
        printf '64\nthis host runs 32-bit programs only through an emulator (binfmt_misc entry %s): the 64-bit build of the same sources runs under 64-bit Wine\n' "$emulator"
    elif [ "$result" != runs ]; then
        printf '64\nthis host cannot run 32-bit programs (%s): the 64-bit build of the same sources runs under 64-bit Wine\n' "$result"
    else
        printf '32\nthe 32-bit build runs under 32-bit Wine\n'
    fi
}

# choose_wine_arch: sets and exports VTX_CHOSEN_ARCH (32 or 64) and
# VTX_TEST_BUILD (the build tree whose programs the run starts: build or
# build/win64) and prints one line saying which and why. A script started by
# another one keeps the choice made there (VTX_CHOSEN_ARCH already set)
# without probing or printing again. Fails (status 1) when no choice can
# work: the scripts run with set -e and end there, scripts/demo with its own
# code. Run from the top of the source tree.
choose_wine_arch() {
    local decision
    case ${VTX_CHOSEN_ARCH:-} in
        32 | 64) ;;
        *)
            if ! decision=$(decide_wine_arch "${VTX_WINE_ARCH:-}" "$(uname -m)" \
                    "$(i386_exec_result build/hostprobe)" \
                    "$(i386_emulator /proc/sys/fs/binfmt_misc)"); then
                echo "$decision" >&2
                return 1
            fi
            VTX_CHOSEN_ARCH=${decision%%$'\n'*}
            echo "Windows programs: ${decision#*$'\n'}."
            ;;
    esac
    VTX_TEST_BUILD=build
    [ "$VTX_CHOSEN_ARCH" = 32 ] || VTX_TEST_BUILD=build/win64
    export VTX_CHOSEN_ARCH VTX_TEST_BUILD
}

# use_test_build: the environment of the kit's Python programs for the
# chosen build (after choose_wine_arch).
use_test_build() {
    export VTX_SOURCE_DIR=$PWD VTX_BUILD_DIR=$PWD/$VTX_TEST_BUILD VTX_WINE_ROOT=$PWD/$VTX_TEST_BUILD/wine
    export WINEARCH=win$VTX_CHOSEN_ARCH
    export PYTHONPATH=$PWD/testkit/py${PYTHONPATH:+:$PYTHONPATH}
}
