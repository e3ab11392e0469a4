#!/bin/sh
# Builds the Debian package from an already built tree (no rebuild) into a
# temporary folder, checks where the programs and documents land, and runs
# lintian on it: anything it reports but its warning about running as root fails.
# Usage: lintian.sh BUILD_DIR    Exit status 77: lintian or dpkg-deb is missing.
set -eu
build=$(cd "$1" && pwd)
for tool in lintian dpkg-deb cpack; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# CPACK_CMAKE_GENERATOR's preinstall step would build "all"; the tree is built already.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" \
    >"$work/cpack.log" 2>&1) \
    || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
package=$(ls "$work"/hangman_*.deb)
echo "built $(basename "$package")"

failed=0
contents=$(dpkg-deb -c "$package" | awk '{print $NF}')
for path in ./usr/games/hangman ./usr/lib/games/hangman/hangman-sound.so ./usr/games/vorlix-lobby ./usr/share/man/man6/hangman.6.gz \
        ./usr/share/man/man6/vorlix-lobby.6.gz ./usr/share/doc/hangman/copyright \
        ./usr/share/doc/hangman/changelog.gz; do
    echo "$contents" | grep -qx "$path" || { echo "FAIL: $path is not in the package"; failed=1; }
done
depends=$(dpkg-deb -f "$package" Depends)
for font in fonts-comic-neue fonts-liberation2; do
    echo "$depends" | grep -q "$font" || { echo "FAIL: Depends lacks $font: $depends"; failed=1; }
done

# The installed desktop entries are valid, and the launcher's opens invitation links.
dpkg-deb -x "$package" "$work/root"
lobby_entry="$work/root/usr/share/applications/example.vorlix.lobby.desktop"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$work"/root/usr/share/applications/*.desktop || { echo "FAIL: desktop-file-validate"; failed=1; }
fi
grep -qx 'MimeType=x-scheme-handler/hangman;' "$lobby_entry" || { echo "FAIL: the lobby does not take hangman:// links"; failed=1; }
grep -q '^Exec=vorlix-lobby %u$' "$lobby_entry" || { echo "FAIL: the lobby's Exec does not pass the link"; failed=1; }
echo "$depends" | grep -q "libavahi-client3" || { echo "FAIL: Depends lacks libavahi-client3: $depends"; failed=1; }

report=$(lintian --no-cfg "$package" 2>&1 | grep -v "running with root privileges is not recommended" || true)
if [ -n "$report" ]; then
    echo "FAIL: lintian reports:"
    echo "$report"
    failed=1
fi
[ "$failed" -eq 0 ] && echo "lintian: clean"
exit "$failed"
