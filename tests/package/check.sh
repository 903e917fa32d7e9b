#!/usr/bin/env bash
# The Debian package as a user gets it: built from the build tree with CPack, its contents against
# the list of what it must hold, its control fields, unpacked into a scratch root and run from there,
# the desktop entry and the metainfo validated, the man pages against the programs' --help, and
# lintian: no errors, and every warning explained in the README.
#   check.sh BUILD_DIR SOURCE_DIR VERSION APP_ID
# Exits 77 (skipped) when a packaging tool is missing; scripts/test installs them.
set -euo pipefail
build="$1" source="$2" version="$3" app="$4"

missing=()
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
    command -v "$tool" > /dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIPPED: ${missing[*]} not installed (./scripts/test installs them)"
    exit 77
fi

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

scratch="$build/tests/package"
rm -rf "$scratch"
mkdir -p "$scratch/out" "$scratch/root" "$scratch/home" "$scratch/run"

# Built from the tree as it is, into a folder of its own (scripts/package may run meanwhile).
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" > "$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb="$scratch/out/pavo_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$scratch/out"; echo "FAIL: no $deb"; exit 1; }

expected=(
    usr/bin/pavo
    usr/bin/pavo-cli
    usr/bin/pavo-unit
    "usr/share/applications/$app.desktop"
    "usr/share/icons/hicolor/scalable/apps/$app.svg"
    "usr/share/metainfo/$app.metainfo.xml"
    usr/share/man/man1/pavo.1.gz
    usr/share/man/man1/pavo-cli.1.gz
    usr/share/man/man1/pavo-unit.1.gz
    usr/lib/udev/rules.d/60-pavo-ftdi-latency.rules
    usr/share/doc/pavo/copyright
    usr/share/doc/pavo/changelog.gz
    usr/share/doc/pavo/README.md
)
# Files only, "./usr/..." -> "usr/...".
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort)
if ! diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$actual") > "$scratch/contents.diff"; then
    fail "contents differ from the list (< missing, > unexpected):"
    cat "$scratch/contents.diff"
fi
if dpkg-deb --fsys-tarfile "$deb" | tar -tv | grep -v ' root/root '; then
    fail "files not owned by root"
fi

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version $(dpkg-deb -f "$deb" Version), not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6svg6; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib (dpkg-shlibdeps): $depends"
done

dpkg -x "$deb" "$scratch/root"
bin="$scratch/root/usr/bin"
[ "$("$bin/pavo-cli" --version)" = "pavo-cli $version" ] || fail "pavo-cli --version: $("$bin/pavo-cli" --version)"
[ "$("$bin/pavo" --version)" = "pavo $version" ] || fail "pavo --version: $("$bin/pavo" --version)"
# Shown off line on the offscreen platform, then closed; in a folder and home of its own, since it
# makes folders in the current directory and keeps a setting.
if ! (cd "$scratch/run" && HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" \
    QT_QPA_PLATFORM=offscreen timeout 60 "$bin/pavo" --offline --exit-when-shown) > "$scratch/pavo.log" 2>&1; then
    cat "$scratch/pavo.log"
    fail "the installed pavo did not start and show its window"
fi

share="$scratch/root/usr/share"
if ! out=$(desktop-file-validate "$share/applications/$app.desktop" 2>&1) || [ -n "$out" ]; then
    fail "desktop-file-validate: $out"
fi
appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml" > "$scratch/appstream.log" 2>&1 ||
    { cat "$scratch/appstream.log"; fail "appstreamcli validate"; }
grep -q "<release version=\"$version\"" "$share/metainfo/$app.metainfo.xml" || fail "metainfo lacks release $version"

# Every option a program's --help names is in its man page.
for program in pavo pavo-cli pavo-unit; do
    page=$(zcat "$share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
    for option in $("$bin/$program" --help | grep -o -E -- '--[a-z][a-z-]*' | sort -u); do
        grep -q -E -- "$option([^a-z-]|\$)" <<< "$page" || fail "$program.1 does not describe $option"
    done
done

# lintian: no errors; each warning named in the README (where it is explained).
lintian --no-cfg --tag-display-limit 0 "$deb" > "$scratch/lintian.log" 2>&1 || true
if grep -q '^E:' "$scratch/lintian.log"; then
    cat "$scratch/lintian.log"
    fail "lintian reports errors"
fi
for tag in $(sed -n 's/^W: [^ ]* \([a-z0-9-]*\).*/\1/p' "$scratch/lintian.log" | sort -u); do
    grep -q -- "$tag" "$source/README.md" || fail "lintian warning $tag is not explained in README.md"
done

[ $failures -eq 0 ] && echo "package $(basename "$deb"): $(echo "$actual" | wc -l) files, all checks passed"
exit $((failures > 0))
