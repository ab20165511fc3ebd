#!/usr/bin/env bash
# Installs a built valdoria_*.deb the way a user would, checks what it put on the system, and removes it:
#   scripts/package-check.sh build/valdoria_X.Y.Z_amd64.deb
# Needs root (apt-get install); leaves nothing of the package behind in /usr.
set -euo pipefail
deb=$(realpath "${1:?usage: package-check.sh PACKAGE.deb}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
fi

step() { echo "== $*"; }

step "lintian (no errors)"
# lintian warns against running as root, but reads the package all the same.
lintian --fail-on error --tag-display-limit 0 "$deb"

step "apt-get install $deb"
# apt-get pulls the package's run-time dependencies by itself.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' >"$work/files"

step "the installed programs"
for program in valdoria valdoria-cli valdoria-sim; do
    test "$(command -v $program)" = "/usr/bin/$program"
done
/usr/bin/valdoria --version | grep -qx "Valdoria [0-9.]*"
/usr/bin/valdoria-cli --help >/dev/null
export QT_QPA_PLATFORM=offscreen
# The headless monitor follows the built-in simulator and prints what the scanner shows.
status=0
timeout 4 /usr/bin/valdoria-cli monitor --simulate --data-dir "$work/monitor" >"$work/monitor.out" 2>&1 || status=$?
if [ "$status" -ne 124 ] || [ ! -s "$work/monitor.out" ]; then
    echo "valdoria-cli monitor --simulate: status $status, output:" >&2
    cat "$work/monitor.out" >&2
    exit 1
fi
/usr/bin/valdoria-cli backup --simulate --banks 1 --name Check --data-dir "$work/backup" >"$work/backup.out"
grep -q "Check" "$work/backup.out"

step "manual pages, desktop entry, AppStream data, icon, documents"
for page in valdoria valdoria-cli valdoria-sim; do
    man -w "$page" | grep -q "/usr/share/man/man1/$page.1.gz"
done
desktop-file-validate /usr/share/applications/valdoria.desktop
appstreamcli validate --no-net /usr/share/metainfo/*valdoria*.metainfo.xml
test -f /usr/share/icons/hicolor/scalable/apps/valdoria.svg
test -f /usr/share/icons/hicolor/48x48/apps/valdoria.png
for doc in manual.md copyright changelog.gz DSEG-LICENSE.txt; do
    test -f "/usr/share/doc/valdoria/$doc"
done

step "apt-get purge valdoria"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq valdoria >/dev/null
left=0
while read -r file; do
    if [ -e "$file" ]; then
        echo "left behind: $file" >&2
        left=1
    fi
done <"$work/files"
if [ -d /usr/share/doc/valdoria ]; then
    echo "left behind: /usr/share/doc/valdoria" >&2
    left=1
fi
exit $left
