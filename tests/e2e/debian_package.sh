#!/usr/bin/env bash
# The installed layout the Debian package ships: cmake --install puts the three
# programs, the plug-in, its toolkit library, the skin and a manual page per program
# in their places, and debian/orvalis.install takes every file of it (dh_missing
# fails the package build otherwise). The programs find the private library through
# RUNPATH, inside the package, so dpkg-shlibdeps resolves it without ldconfig;
# unpacked anywhere, the box finds its plug-in and skin with no options.
# (dpkg-buildpackage and lintian run in scripts/package.sh.) Arguments: build dir.
set -u
build=$(cd "${1:?usage: debian_package.sh BUILD_DIR}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "FAIL: $*"; exit 1; }
for tool in cmake dpkg-shlibdeps readelf; do
    command -v $tool > /dev/null || fail "$tool is not installed"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Laid out as dh_shlibdeps sees it: the package's tree in debian/orvalis of a source tree.
mkdir -p "$work/src/debian/orvalis/DEBIAN"
cp "$source/debian/control" "$work/src/debian/"
inst="$work/src/debian/orvalis"

DESTDIR="$inst" cmake --install "$build" --prefix /usr > "$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install failed"; }
files=$(cd "$inst" && find . -path ./DEBIAN -prune -o \( -type f -o -type l \) -print | sed 's|^\./||' | sort)

for f in usr/bin/orvalis-box usr/bin/orvalis-mux usr/bin/orvalis-xmltv usr/lib/orvalis/orvalis.so \
         usr/lib/orvalis/libboxhost.so usr/share/orvalis/skins/default.skin; do
    grep -qx -- "$f" <<< "$files" || fail "the install lacks $f"
done
for page in "$source"/man/*.1; do
    grep -qx "usr/share/man/man1/$(basename "$page")" <<< "$files" || fail "the install lacks the page $(basename "$page")"
done
for program in $(grep '^usr/bin/' <<< "$files"); do
    grep -qx "usr/share/man/man1/$(basename "$program").1" <<< "$files" || fail "$program has no manual page"
done
if grep -q -e '^usr/bin/box$' -e '/build' -e '/tests/' -e '\.a$' -e '^usr/include' <<< "$files"; then
    fail "the install holds files that are not ours to ship: $(grep -e '^usr/bin/box$' -e /build -e /tests/ -e '\.a$' -e ^usr/include <<< "$files")"
fi

# What scripts/setup.sh installs to build is what the package build depends on
# (build-essential is implied; the fonts are read at run time, so they are in Depends).
building=$(sed -n '/^packages=(/,/^)/p' "$source/scripts/setup.sh" | sed '1d;$d' | tr -s ' \t' '\n' | grep -v '^$')
build_depends=$(sed -n '/^Build-Depends:/,/^[A-Z]/p' "$source/debian/control" | sed 's/^Build-Depends://; /^[A-Z]/d' |
    tr ',' '\n' | sed 's/(.*)//; s/^[[:space:]]*//; s/[[:space:]]*$//' | grep -v '^$')
[ -n "$building" ] && [ -n "$build_depends" ] || fail "cannot read the build packages of scripts/setup.sh or debian/control"
for p in $building; do
    case $p in
    build-essential) ;;
    fonts-urw-base35) grep -q "^Depends:.*fonts-urw-base35" "$source/debian/control" || fail "the package does not depend on $p" ;;
    *) grep -qx -- "$p" <<< "$build_depends" || fail "scripts/setup.sh builds with $p, which debian/control's Build-Depends lacks" ;;
    esac
done

# Every installed file is taken by a line of debian/orvalis.install (shell patterns,
# a folder taking what is below it), as dh_install reads it.
mapfile -t patterns < <(grep -v -e '^#' -e '^$' "$source/debian/orvalis.install")
while read -r f; do
    taken=0
    for p in "${patterns[@]}"; do
        p=${p%/}
        # shellcheck disable=SC2053
        if [[ $f == $p || $f == $p/* ]]; then taken=1; break; fi
    done
    ((taken)) || fail "debian/orvalis.install does not take $f"
done <<< "$files"

for object in $(grep -e '^usr/bin/' -e '\.so$' <<< "$files"); do
    runpath=$(readelf -d "$inst/$object" | sed -n 's/.*(R\(UN\)\?PATH).*\[\(.*\)\]/\2/p')
    case "$object:$runpath" in
    usr/bin/*:'$ORIGIN/../lib/orvalis' | usr/lib/orvalis/*:'$ORIGIN' | usr/lib/orvalis/*:) ;;
    *) fail "$object has the library search path '$runpath'" ;;
    esac
done
(cd "$work/src" && dpkg-shlibdeps -O -l"$inst/usr/lib/orvalis" "$inst"/usr/bin/* "$inst"/usr/lib/orvalis/*.so) \
    > "$work/shlibs" 2> "$work/shlibs.err" || { cat "$work/shlibs.err"; fail "dpkg-shlibdeps failed"; }
# The private library's name carries no version, which dpkg-shlibdeps notes; it is
# in the package itself, so it needs no dependency. Anything else is a fault.
grep -v "can't extract name and version from library name 'libboxhost.so'" "$work/shlibs.err" |
    grep -i -e 'warning' -e 'error' && fail "dpkg-shlibdeps complained"
depends=$(sed -n 's/^shlibs:Depends=//p' "$work/shlibs")
echo "shlibs:Depends=$depends"
for p in libc6 libstdc++6 libsdl2-2.0-0 libfreetype6 libpng16-16 libdvbv5-0 libsigc++-3.0-0; do
    grep -q "\(^\|, \)$p\( \|,\|$\)" <<< "$depends" || fail "the libraries' dependencies lack $p"
done
for p in libgtest libbenchmark boxhost; do
    grep -q "$p" <<< "$depends" && fail "the dependencies name $p"
done

# Unpacked in a folder of its own, the programs run and the box finds what it needs.
bin="$inst/usr/bin"
for program in orvalis-box orvalis-mux orvalis-xmltv; do
    "$bin/$program" --version | grep -q "^$program [0-9]" || fail "$program --version"
    "$bin/$program" --help | grep -q -- "--help" || fail "$program --help"
done
cd "$work"
"$bin/orvalis-mux" week.ts || fail "the installed orvalis-mux failed"
"$bin/orvalis-box" --root root --ts week.ts --display headless --keys "shot:start exit" --screenshot-dir shots \
    > box.log 2>&1 || { cat box.log; fail "the installed orvalis-box failed"; }
grep -q "$inst/usr/bin/../lib/orvalis/orvalis.so" box.log || { cat box.log; fail "the box did not start the installed plug-in"; }
grep -q "cannot load skin" box.log && { cat box.log; fail "the box did not find the installed skin"; }
[ -s shots/start.png ] || fail "no screenshot from the installed box"
"$bin/orvalis-xmltv" --ts week.ts -o week.xml && grep -q "<programme" week.xml || fail "the installed orvalis-xmltv exported nothing"
echo "debian package: all checks passed"
