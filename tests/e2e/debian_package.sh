#!/usr/bin/env bash
# The Debian package: cpack builds it from the build folder; it holds the three
# programs, the plug-in, its toolkit library and the skin in their places, depends
# on the libraries the binaries link (computed from them) and the fonts; unpacked
# anywhere, the box finds its plug-in and skin with no options. Arguments: build dir.
set -u
build=$(cd "${1:?usage: debian_package.sh BUILD_DIR}" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps file; do
    command -v $tool > /dev/null || fail "$tool is not installed"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pack" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }
deb=$(ls "$work"/pack/orvalis_*.deb 2> /dev/null | head -n1)
[ -n "$deb" ] || fail "cpack made no orvalis_*.deb"

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in ./usr/bin/orvalis-box ./usr/bin/orvalis-mux ./usr/bin/orvalis-xmltv ./usr/lib/orvalis/orvalis.so \
         ./usr/lib/orvalis/libboxhost.so ./usr/share/orvalis/skins/default.skin; do
    grep -qx -- "$f" <<< "$contents" || fail "the package lacks $f"
done
if grep -q -e '^./usr/bin/box$' -e '/build' -e '/tests/' <<< "$contents"; then
    fail "the package holds files that are not ours to install: $(grep -e '^./usr/bin/box$' -e /build -e /tests/ <<< "$contents")"
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libc6 libstdc++6 libsdl2-2.0-0 libfreetype6 libpng16-16 libdvbv5-0 libsigc++-3.0-0 fonts-urw-base35; do
    grep -q "\(^\|, \)$p\( \|,\|$\)" <<< "$depends" || fail "Depends lacks $p"
done
# Nothing the tests alone need.
for p in libgtest libbenchmark chromium xmltv-util; do
    grep -q "$p" <<< "$depends" && fail "Depends names $p"
done

# Unpacked in a folder of its own, the programs run and the box finds what it needs.
dpkg-deb -x "$deb" "$work/inst"
bin="$work/inst/usr/bin"
for program in orvalis-box orvalis-mux orvalis-xmltv; do
    "$bin/$program" --version | grep -q "^$program [0-9]" || fail "$program --version"
    "$bin/$program" --help | grep -q -- "--help" || fail "$program --help"
done
cd "$work"
"$bin/orvalis-mux" week.ts || fail "the installed orvalis-mux failed"
"$bin/orvalis-box" --root root --ts week.ts --display headless --keys "shot:start exit" --screenshot-dir shots \
    > box.log 2>&1 || { cat box.log; fail "the installed orvalis-box failed"; }
grep -q "$work/inst/usr/bin/../lib/orvalis/orvalis.so" box.log || { cat box.log; fail "the box did not start the installed plug-in"; }
grep -q "cannot load skin" box.log && { cat box.log; fail "the box did not find the installed skin"; }
[ -s shots/start.png ] || fail "no screenshot from the installed box"
"$bin/orvalis-xmltv" --ts week.ts -o week.xml && grep -q "<programme" week.xml || fail "the installed orvalis-xmltv exported nothing"
echo "debian package: all checks passed"
