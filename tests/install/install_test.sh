#!/usr/bin/env bash
# install_test.sh BUILD_DIR SOURCE_DIR: installs, moves the prefix and uses it as a user would:
# layout, no build paths, sldb demo, pkg-config, and the two examples built and run.
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

inc=include/stocklib_db
for f in $inc/sl_db/LibraryReactor.h $inc/OdString.h $inc/stocklib/Library.h \
         $inc/dbprops/DbProperty.h $inc/oa/PropertySource.h $inc/tdx/PropertyValue.h \
         lib/libodsdk.so lib/libut.so lib/libstocklib.so lib/libdbprops.so lib/libpropfw.so \
         lib/stocklib_db.tx lib/sldb_commands.tx bin/sldb bin/stocklib-tool \
         share/stocklib_db/Support/stocklib.xml share/stocklib_db/Support/stocklib_units.xml \
         share/stocklib_db/Support/metric.stocklib share/stocklib_db/Support/imperial.stocklib \
         share/stocklib_db/Support/locale/de/LC_MESSAGES/stocklib.mo \
         lib/cmake/StocklibDb/StocklibDbConfig.cmake \
         lib/cmake/StocklibDb/StocklibDbConfigVersion.cmake lib/pkgconfig/stocklib_db.pc \
         share/man/man1/sldb.1 share/man/man1/stocklib-tool.1; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done

# Nothing generic lies in the prefix's own include folder; each library names its version.
[ ! -e "$prefix/include/OdString.h" ] || fail "platform headers outside include/stocklib_db"
for lib in odsdk ut stocklib dbprops propfw; do
  readelf -d "$prefix/lib/lib$lib.so" | grep -q "SONAME.*\[lib$lib\.so\.[0-9]" ||
    fail "lib$lib.so has no versioned SONAME"
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
  c++ -std=c++17 "$tmp/pc.cpp" $flags -o "$tmp/pc" \
    || fail "a program built with the pkg-config flags does not build: $flags"
  env -u LD_LIBRARY_PATH "$tmp/pc" || fail "a program built with the pkg-config flags does not run"
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
# The installed sldb installs its library reactor before it loads a module named by --module.
(cd "$tmp/run" && "$prefix/bin/sldb" new s.sldrw && "$prefix/bin/sldb" init s.sldrw &&
  EVENTS_LOGGER_LOG="$tmp/sldb.log" "$prefix/bin/sldb" --module "$tmp/example/events_logger.tx" \
    fetch s.sldrw material "Concrete C30/37") > /dev/null 2>&1 || fail "sldb with the logger"
grep -q "^saved Material" "$tmp/sldb.log" || { cat "$tmp/sldb.log"; fail "sldb gave the logger no reactor"; }

# quantities: computed values against figures worked out by hand. The wall's face is 6000 by
# 3000 mm: 18 m2 and 18 m round; its plies of 20, 200 and 80 mm hold 0.36, 3.6 and 1.44 m3. The
# opening is the triangle of sides 3, 4 and 5 m; the line runs 3000 by 4000 mm; the circle has a
# radius of 1 m.
cmake -S "$source/examples/quantities" -B "$tmp/quantities" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" > /dev/null
cmake --build "$tmp/quantities" > "$tmp/quantities.out" \
  || { cat "$tmp/quantities.out"; fail "quantities build"; }
"$tmp/quantities/quantities-host" "$tmp/measured" > "$tmp/values" || fail "quantities-host failed"
for line in "wall Length~Quantities Ok 18000" "wall Area~Quantities Ok 18" \
            "wall Perimeter~Quantities Ok 18" \
            "wall ply 0 PlyThickness~Quantities Ok 20" "wall ply 0 PlyVolume~Quantities Ok 0.36" \
            "wall ply 1 PlyThickness~Quantities Ok 200" "wall ply 1 PlyVolume~Quantities Ok 3.6" \
            "wall ply 2 PlyThickness~Quantities Ok 80" "wall ply 2 PlyVolume~Quantities Ok 1.44" \
            "wall ply 3 PlyThickness~Quantities NotAvailable" \
            "wall ply 3 PlyVolume~Quantities NotAvailable" \
            "line Length~Quantities Ok 5000" "line Area~Quantities NotAvailable" \
            "line Perimeter~Quantities NotAvailable" "line ply 0 PlyThickness~Quantities NotAvailable" \
            "opening Area~Quantities Ok 6" "opening Perimeter~Quantities Ok 12" \
            "column Area~Geometry Ok 3.14159265359" \
            "unloaded: wall Area~Quantities TypeMismatch"; do
  grep -qxF "$line" "$tmp/values" || { cat "$tmp/values"; fail "the quantities lack: $line"; }
done
# The saved drawing through the installed sldb, the module loaded after stocklib_db.tx.
wall=$(sed -n 's/^saved .* wall \([0-9A-F]*\) line [0-9A-F]*$/\1/p' "$tmp/values")
[ -n "$wall" ] || { cat "$tmp/values"; fail "quantities-host named no wall"; }
"$prefix/bin/sldb" --module "$tmp/quantities/quantities.tx" props "$tmp/measured/quantities.sldrw" \
  "$wall" > "$tmp/props" 2>&1 || { cat "$tmp/props"; fail "sldb props with the quantities module"; }
for pattern in "^Area~Quantities .* 18 \(computed\)  Ok$" \
               "^Perimeter~Quantities .* 18 \(computed\)  Ok$" \
               "^Composition~Quantities .* Example wall \(stored\)  Ok$"; do
  grep -qE "$pattern" "$tmp/props" || { cat "$tmp/props"; fail "sldb props lacks: $pattern"; }
done
# The schedule holds what the module computes, in both forms; without the module, props says so.
"$prefix/bin/sldb" --module "$tmp/quantities/quantities.tx" schedule \
  "$tmp/measured/quantities.sldrw" > "$tmp/schedule.csv" || fail "sldb schedule with the module"
area=$(awk -F, -v w="$wall" 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i == "Area~Quantities") c = i }
                             c && $1 == w { print $c }' "$tmp/schedule.csv")
[ "$area" = 18 ] || { cat "$tmp/schedule.csv"; fail "the schedule's wall area is '$area', not 18"; }
"$prefix/bin/sldb" --module "$tmp/quantities/quantities.tx" schedule --json \
  "$tmp/measured/quantities.sldrw" > "$tmp/schedule.json" || fail "sldb schedule --json"
grep -qE '^ *"Area~Quantities": 18(\.0)?,?$' "$tmp/schedule.json" \
  || { cat "$tmp/schedule.json"; fail "the JSON schedule lacks the computed area"; }
"$prefix/bin/sldb" props "$tmp/measured/quantities.sldrw" "$wall" > "$tmp/bare" 2>&1 \
  || { cat "$tmp/bare"; fail "sldb props without the module"; }
grep -qE "^Area~Quantities .*not computed \(no module computes it\)" "$tmp/bare" \
  || { cat "$tmp/bare"; fail "props without the module does not say the area is not computed"; }
echo "install test: passed"
