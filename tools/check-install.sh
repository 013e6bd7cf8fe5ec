#!/usr/bin/env bash
# Installs the built game into a temporary prefix and checks what the desktop, AppStream, man
# and a package manager read from it, runs the installed copy, builds the Debian package from
# the same build directory, checks it with lintian and runs the copy it holds, unpacked.
# Each copy starts by its full path. Called by tools/test.sh after the tests; usage:
#   tools/check-install.sh [build-dir]
# Leaves nothing behind and never touches the user's files or port 7772.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
app_id=io.github.morvello.Morvello

tmp=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$tmp"
}
trap cleanup EXIT

passed=0
failed=0
# check NAME COMMAND...: the command's output is shown only when it fails.
check() {
    local name=$1 output
    shift
    if output=$("$@" 2>&1); then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "install check FAILED: $name"
        [ -n "$output" ] && printf '%s\n' "$output" | sed 's/^/    /'
    fi
}
# silent COMMAND...: succeeds when the command succeeds and writes nothing to either stream.
silent() {
    local output
    output=$("$@" 2>&1) || { printf '%s\n' "$output"; return 1; }
    [ -z "$output" ] || { printf '%s\n' "$output"; return 1; }
}

prefix=$tmp/prefix
check "cmake --install" cmake --install "$build" --prefix "$prefix"

has_files() {
    local missing=0 f
    for f in "$@"; do
        [ -f "$prefix/$f" ] || { echo "missing: $f"; missing=1; }
    done
    return $missing
}
check "installed files" has_files bin/morvello lib/morvello/libmorvello_sound.so lib/morvello/libmorvello_download.so \
    "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
    share/man/man6/morvello.6.gz share/doc/morvello/copyright share/doc/morvello/changelog.gz

icon_sizes() {
    local size info status=0
    for size in 48 64 128 256; do
        info=$(file -b "$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
        case $info in
            "PNG image data, $size x $size,"*) ;;
            *) echo "${size}x${size}: $info"; status=1 ;;
        esac
    done
    return $status
}
check "icon sizes" icon_sizes

check "desktop-file-validate" silent desktop-file-validate "$prefix/share/applications/$app_id.desktop"
# The menu starts the executable by its full path, where this install put it.
desktop_exec() {
    local entry=$1 wanted=$2 exec
    exec=$(sed -n 's/^Exec=//p' "$entry")
    [ "$exec" = "$wanted" ] || { echo "Exec=$exec, not $wanted"; return 1; }
}
check "desktop entry Exec" desktop_exec "$prefix/share/applications/$app_id.desktop" "$prefix/bin/morvello"
check "appstreamcli validate" appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
man_warnings() {
    local errors
    errors=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/morvello.6.gz" 2>&1 >/dev/null)
    [ -z "$errors" ] || { printf '%s\n' "$errors"; return 1; }
}
check "man --warnings" man_warnings

# The version the program prints is the one the metainfo and the package announce.
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$prefix/share/metainfo/$app_id.metainfo.xml")
check "version" test "$("$prefix/bin/morvello" --version 2>&1)" = "Morvello $release"
# So does the changelog's first entry, with the metainfo's release date.
changelog_entry() {
    local version date
    zcat "$prefix/share/doc/morvello/changelog.gz" >"$tmp/changelog" || return 1
    version=$(dpkg-parsechangelog -l "$tmp/changelog" -S Version) || return 1
    date=$(date -ud "$(dpkg-parsechangelog -l "$tmp/changelog" -S Date)" +%F) || return 1
    [ "$version $date" = "$release $release_date" ] ||
        { echo "changelog: $version of $date, metainfo: $release of $release_date"; return 1; }
}
release_date=$(sed -n 's/.*<release version="[^"]*" date="\([^"]*\)".*/\1/p' "$prefix/share/metainfo/$app_id.metainfo.xml")
check "changelog" changelog_entry

# An installed copy, hosting and joining in a private home: both find the sound module in its
# installed place when their first sound plays; the host, stopped from outside, tells the joining
# copy it has closed the game; and the joining copy, stopped the same way, saves its tally in the
# per-user data directory, not beside the executable.
#   installed_run EXECUTABLE MODULE-DIRECTORY
free_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 30000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return 0; }
    done
    return 1
}
installed_run() {
    local exe=$1 modules=$2 home port host joiner i
    # This runs in check's subshell: its end ends the copies a failed step leaves running.
    trap 'kill "${pids[@]}" 2>/dev/null' EXIT
    home=$(mktemp -d "$tmp/home.XXXXXX")
    mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
    port=$(free_port) || { echo "no free port"; return 1; }
    # Started with "&", so the exec replaces the background shell: the pid is the game's.
    run() {
        exec env -u MORVELLO_DIR -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" \
            XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen MORVELLO_PORT="$port" \
            MORVELLO_ECHO_CHAT=1 "$exe" "$@"
    }
    run Ann 127.0.0.1 true >"$home/host.out" 2>"$home/host.err" &
    host=$!
    pids+=("$host")
    waitfor() {
        for i in $(seq 150); do
            grep -qsx "chat: $2" "$1" && return 0
            sleep 0.1
        done
        echo "no \"$2\" in $1:" && cat "$1"
        return 1
    }
    waitfor "$home/host.out" "You are Connected." || return 1
    run Bob 127.0.0.1 false >"$home/joiner.out" 2>"$home/joiner.err" &
    joiner=$!
    pids+=("$joiner")
    waitfor "$home/joiner.out" "Ann is Connected." || return 1
    grep -qF "$modules/libmorvello_sound.so" "/proc/$host/maps" ||
        { echo "the host did not load the installed sound module"; grep morvello "/proc/$host/maps"; cat "$home/host.err"; return 1; }
    kill "$host"
    waitfor "$home/joiner.out" "The host has closed the game." || return 1
    wait "$host" || { echo "the host ended with status $?"; cat "$home/host.err"; return 1; }
    kill -0 "$joiner" 2>/dev/null || { echo "the joining copy ended with the host"; return 1; }
    kill "$joiner"
    for i in $(seq 100); do
        kill -0 "$joiner" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$joiner" 2>/dev/null && { echo "the joining copy did not end when asked"; return 1; }
    wait "$joiner" || { echo "the joining copy ended with status $?"; cat "$home/joiner.err"; return 1; }
    [ -f "$home/.local/share/Morvello/morvellotally.tld" ] ||
        { echo "no tally in ~/.local/share/Morvello"; ls -laR "$home"; return 1; }
    [ -z "$(ls "$(dirname "$exe")" | grep -vx morvello)" ] ||
        { echo "files written beside the installed executable:"; ls "$(dirname "$exe")"; return 1; }
}
check "installed copy runs" installed_run "$prefix/bin/morvello" "$prefix/lib/morvello"

# The Debian package, from the same build directory: a games package, with the program in
# /usr/games and its modules in /usr/lib/games/morvello.
package() {
    local deb depends
    (cd "$build" && cpack -G DEB -B "$tmp/package") >"$tmp/cpack.log" 2>&1 ||
        { cat "$tmp/cpack.log"; return 1; }
    deb=$(ls "$tmp"/package/morvello_*.deb) || return 1
    dpkg-deb --info "$deb" >"$tmp/info" || return 1
    depends=$(sed -n 's/^ Depends: //p' "$tmp/info")
    for wanted in qt6-qpa-plugins fonts-liberation2 'libqt6[a-z]*6' libqt6multimedia6 libcurl4; do
        grep -Eq "(^|, )$wanted( |,|$)" <<<"$depends" || { echo "Depends lacks $wanted: $depends"; return 1; }
    done
    grep -q "^ Maintainer: .*<.*@.*>" "$tmp/info" || { echo "no maintainer contact"; return 1; }
    grep -qx " Version: $release" "$tmp/info" || { echo "package version is not $release"; return 1; }
    grep -qx " Section: games" "$tmp/info" || { echo "the package is not in the games section"; return 1; }
    dpkg-deb --contents "$deb" >"$tmp/contents" || return 1
    for file in usr/games/morvello usr/lib/games/morvello/libmorvello_sound.so \
        usr/lib/games/morvello/libmorvello_download.so usr/share/doc/morvello/changelog.gz \
        usr/share/man/man6/morvello.6.gz; do
        grep -q " \./$file\$" "$tmp/contents" || { echo "the package lacks /$file"; return 1; }
    done
}
check "cpack -G DEB" package
deb=$(ls "$tmp"/package/morvello_*.deb 2>/dev/null)

# Debian's own checks of the package: not an error nor a warning.
lintian_clean() {
    local output
    [ -n "$deb" ] || { echo "no package"; return 1; }
    output=$(lintian --fail-on error,warning "$deb" 2>&1) && ! grep -q '^[EW]: ' <<<"$output" ||
        { printf '%s\n' "$output"; return 1; }
}
check "lintian" lintian_clean

# The packaged copy, unpacked into a directory of its own: its desktop entry starts
# /usr/games/morvello, and it runs from its games directory as the copy above from bin.
packaged_copy() {
    local root=$tmp/root
    [ -n "$deb" ] || { echo "no package"; return 1; }
    dpkg-deb -x "$deb" "$root" || return 1
    silent desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || return 1
    desktop_exec "$root/usr/share/applications/$app_id.desktop" /usr/games/morvello || return 1
    installed_run "$root/usr/games/morvello" "$root/usr/lib/games/morvello"
}
check "packaged copy runs" packaged_copy

echo "install check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
