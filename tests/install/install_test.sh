#!/usr/bin/env bash
# install_test.sh BUILD_DIR SOURCE_DIR: installs, moves the prefix and uses it as a user would:
# layout, no build paths, sldb demo, pkg-config, and the events-logger example built and run.
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/staged" > /dev/null
# Relocatable: the tree works from wherever it is moved.
mv "$tmp/staged" "$tmp/prefix"
prefix=$tmp/prefix

for f in include/sl_db/LibraryReactor.h include/OdString.h include/stocklib/Library.h \
         include/dbprops/DbProperty.h include/oa/PropertySource.h include/tdx/PropertyValue.h \
         lib/libodsdk.so lib/libut.so lib/libstocklib.so lib/libdbprops.so lib/libpropfw.so \
         lib/stocklib_db.tx lib/sldb_commands.tx bin/sldb bin/stocklib-tool \
         share/stocklib_db/Support/stocklib.xml share/stocklib_db/Support/stocklib_units.xml \
         share/stocklib_db/Support/metric.stocklib share/stocklib_db/Support/imperial.stocklib \
         share/stocklib_db/Support/locale/de/LC_MESSAGES/stocklib.mo \
         lib/cmake/StocklibDb/StocklibDbConfig.cmake \
         lib/cmake/StocklibDb/StocklibDbConfigVersion.cmake lib/pkgconfig/stocklib_db.pc; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done

# No build path in the programs' data or in any search path of an installed binary.
for f in "$prefix"/bin/* "$prefix"/lib/*.so "$prefix"/lib/*.tx; do
  if readelf -p .rodata -d "$f" 2>/dev/null | grep -qF -e "$build" -e "$source"; then
    fail "$f names the build or source tree"
  fi
done

(cd "$tmp" && "$prefix/bin/sldb" demo) > "$tmp/demo.out" || fail "sldb demo failed"
grep -q "OdDbPolyline" "$tmp/demo.out" || fail "sldb demo printed no drawing contents"
"$prefix/bin/stocklib-tool" check "$prefix/share/stocklib_db/Support/metric.stocklib" > /dev/null \
  || fail "the installed metric library fails its check"

# pkg-config: a program compiled and linked with its flags alone runs.
if command -v pkg-config > /dev/null; then
  flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs stocklib_db) \
    || fail "pkg-config does not resolve stocklib_db"
  printf '%s\n' '#include "sl_db/LibraryReactor.h"' \
    'int main() { return sl_db::LibraryReactor::instance() ? 1 : 0; }' > "$tmp/pc.cpp"
  # shellcheck disable=SC2086 # the flags are words
  c++ -std=c++17 "$tmp/pc.cpp" $flags -Wl,-rpath,"$prefix/lib" -o "$tmp/pc" \
    || fail "a program built with the pkg-config flags does not build: $flags"
  "$tmp/pc" || fail "a program built with the pkg-config flags does not run"
fi

cmake -S "$source/examples/events-logger" -B "$tmp/example" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$tmp/example" > "$tmp/example.out" || { cat "$tmp/example.out"; fail "example build"; }
mkdir "$tmp/run"
"$tmp/example/logger-host" "$tmp/run" > "$tmp/log" || fail "logger-host failed"

expect() { grep -qE "$1" "$tmp/log" || { cat "$tmp/log"; fail "the log lacks: $1"; }; }
expect "^listening$"
expect "^saved Tag [0-9]+ in .*/with-logger/primary\.stocklib$"
expect "^asked to remove Tag [0-9]+$"
expect "^removed Tag [0-9]+ from .*/with-logger/primary\.stocklib$"
expect "^closed .*/with-logger/secondary\.stocklib$"
expect "^primary copied from .*/with-logger/primary\.stocklib \([0-9]+ objects\)$"
[ "$(tail -n 1 "$tmp/log")" = "stopped listening" ] || { cat "$tmp/log"; fail "logged after unload"; }
if grep -q "without-logger" "$tmp/log"; then cat "$tmp/log"; fail "an unloaded logger still logs"; fi
echo "install test: passed"
