#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a package ships: exactly the
# expected files, a valid menu entry and AppStream file, programs copied unchanged, a
# companion that reports the project's version and a window that passes its own
# integrity check from there.
#   install_test.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=$1 version=$2 appid=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
  echo "install_test: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(bin/bitvane bin/bitvane-cli
  "share/applications/$appid.desktop" "share/metainfo/$appid.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$appid.svg"
  share/man/man1/bitvane.1.gz share/man/man1/bitvane-cli.1.gz share/doc/bitvane/copyright
  share/doc/bitvane/changelog.Debian.gz)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x$size/apps/$appid.png")
done
diff <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) \
  <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) ||
  fail "the installed files differ from the expected ones (< expected, > installed)"

desktop-file-validate "$prefix/share/applications/$appid.desktop" ||
  fail "the menu entry is not valid"
appstreamcli validate --no-net --explain "$prefix/share/metainfo/$appid.metainfo.xml" ||
  fail "the AppStream file is not valid"
for size in 16 24 32 48 64 128 256; do
  # a PNG's width and height: big-endian, 16 bytes in
  [[ $(od -An -tx1 -j16 -N8 "$prefix/share/icons/hicolor/${size}x$size/apps/$appid.png" |
    tr -d ' \n') == $(printf '%08x%08x' "$size" "$size") ]] || fail "icon $size is not $size x $size"
done
gzip -dc "$prefix/share/doc/bitvane/changelog.Debian.gz" | head -1 |
  grep -q "^bitvane ($version-1) " || fail "the changelog's top entry is not version $version-1"
for page in 'bitvane BITVANE' 'bitvane-cli BITVANE\\-CLI'; do
  read -r file title <<<"$page"
  gzip -dc "$prefix/share/man/man1/$file.1.gz" | grep -q "^\.TH $title 1 " ||
    fail "manual page $file is not one"
done

for program in bitvane bitvane-cli; do
  cmp -s "$build/app/$program" "$prefix/bin/$program" ||
    cmp -s "$build/cli/$program" "$prefix/bin/$program" ||
    fail "$program was changed by the install"
done
about=$("$prefix/bin/bitvane-cli" --version) || fail "bitvane-cli --version failed"
grep -Eq "Version ${version//./\\.}(\.0)*$" <<<"$about" ||
  fail "bitvane-cli --version names no version $version: $about"
grep -qx "Loaded from $prefix/bin/bitvane-cli" <<<"$about" ||
  fail "bitvane-cli ran from elsewhere: $about"

# Exit 0: the window started, so its integrity check passed, and closed; 1 is the warning.
status=0
HOME=$prefix/home XDG_CONFIG_HOME=$prefix/home QT_QPA_PLATFORM=offscreen \
  BITVANE_AUTOCLOSE_MS=200 timeout 60 "$prefix/bin/bitvane" || status=$?
((status == 0)) || fail "the installed bitvane did not start (status $status)"
echo "install_test: the install holds"
