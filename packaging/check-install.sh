#!/usr/bin/env bash
# Checks an installed TARNO: the files are where desktops and the program look for them,
# and the installed programs find their starting copies and demo data set there.
#   check-install.sh install BUILD_DIR    cmake --install BUILD_DIR into a scratch root
#   check-install.sh deb PACKAGE.deb      the package's listing, unpacked into a scratch root
#   check-install.sh package BUILD_DIR    makes the package of BUILD_DIR (CPack, in the scratch
#                                         folder) and checks it as deb does
set -euo pipefail
mode="$1"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/tarno-install-XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
fail() { echo "check-install: $*" >&2; exit 1; }

if [ "$mode" = package ]; then
    cpack --config "$2/CPackConfig.cmake" -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1 ||
        { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
    set -- deb "$(ls "$scratch"/package/tarno_*.deb)"
    mode=deb
fi

case "$mode" in
install)
    cmake --install "$2" --prefix "$root/usr" >/dev/null
    ;;
deb)
    listing="$(dpkg-deb -c "$2")"
    for f in ./usr/bin/tarno ./usr/bin/tarno-hostsim ./usr/share/tarno/data/NETLIST.NEW \
             ./usr/share/applications/tarno.desktop; do
        grep -q " $f\$" <<<"$listing" || fail "$f is not in the package"
    done
    depends="$(dpkg-deb -f "$2" Depends)"
    for d in libqt6widgets6 libc6 fonts-ipafont-gothic; do
        grep -q "$d" <<<"$depends" || fail "the package does not depend on $d: $depends"
    done
    dpkg-deb -x "$2" "$root"
    ;;
*)
    fail "usage: check-install.sh install BUILD_DIR | deb PACKAGE.deb | package BUILD_DIR"
    ;;
esac

for f in usr/bin/tarno usr/bin/tarno-hostsim; do
    [ -x "$root/$f" ] || fail "$f is missing or not executable"
done
# The installed program runs from there, and says the version the package carries.
version="$(timeout 30 "$root/usr/bin/tarno" --version)" || fail "tarno --version failed: $version"
if [ "$mode" = deb ]; then
    expected="$(dpkg-deb -f "$2" Version)"
    grep -qF "Ver $expected" <<<"$version" || fail "tarno --version says \"$version\", the package $expected"
fi
for f in NETLIST.NEW TARNO_I2.NEW NET.MAC Timer.NEW TXTSTY0.dat TXTSTY1.dat TXTSTY2.dat \
         TXTSTY3.dat demo/HOST.TXT demo/MBOARDS.TXT; do
    [ -f "$root/usr/share/tarno/data/$f" ] || fail "starting copy $f is missing"
done
for f in applications/tarno.desktop icons/hicolor/scalable/apps/tarno.svg man/man1/tarno.1 \
         man/man1/tarno-hostsim.1; do
    [ -f "$root/usr/share/$f" ] || fail "share/$f is missing"
done
grep -q '^Exec=tarno$' "$root/usr/share/applications/tarno.desktop" || fail "desktop entry has no Exec"
grep -q '^Icon=tarno$' "$root/usr/share/applications/tarno.desktop" || fail "desktop entry has no Icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/tarno.desktop"
fi

# A starting copy only the installed tree has: a fresh data folder must get it, which
# shows the program took its starting copies from the installed location.
printf 'installed\r\n' >"$root/usr/share/tarno/data/INSTALLED.MARK"
home="$scratch/home"
mkdir -p "$home"
export HOME="$home" XDG_DATA_HOME= TARNO_HOME=
# A net that is not there: the program makes its data folder, then stops at once.
out="$(timeout 60 "$root/usr/bin/tarno" --run 99 --data-dir "$home/data" 2>&1)" && fail "tarno --run 99 succeeded"
grep -q "no net 99" <<<"$out" || fail "tarno --run 99: $out"
[ -f "$home/data/INSTALLED.MARK" ] || fail "tarno did not take its starting copies from the installed tree"
for f in NETLIST.NEW TARNO_I2.NEW NET.MAC Timer.NEW COMPORTS.DAT; do
    [ -f "$home/data/$f" ] || fail "the new data folder has no $f"
done
if [ "$mode" = deb ]; then
    # The demo run of the installed program, on the installed demo data set, to its summary.
    out="$(timeout 300 "$root/usr/bin/tarno" --demo --data-dir "$home/demo" 2>&1)" || true
    grep -q "What the demo run brought" <<<"$out" || fail "tarno --demo did not run: $out"
    demo="$(find "$home" -maxdepth 1 -type d -name 'demo*' | sort | tail -1)"
    [ -f "$demo/INSTALLED.MARK" ] || fail "tarno --demo did not use the installed starting copies"
fi

# The simulated host serves the installed demo data set.
sed -i '0,/^Banner=/s//Banner=INSTALLED-FIXTURE /' "$root/usr/share/tarno/data/demo/HOST.TXT"
banner="$(printf '\r' | timeout 20 "$root/usr/bin/tarno-hostsim" --direct --once 2>/dev/null || true)"
grep -q INSTALLED-FIXTURE <<<"$banner" || fail "tarno-hostsim did not serve the installed demo data set"
echo "check-install: $mode ok"
