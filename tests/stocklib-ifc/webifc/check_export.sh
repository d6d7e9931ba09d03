#!/bin/sh
# Exports a library (or an XML document, read into a new one first) to IFC and has web-ifc check
# it against the library's own listing.
# Usage: check_export.sh STOCKLIB-TOOL LIBRARY|XML
set -e
tool=$1 lib=$2 here=$(cd "$(dirname "$0")" && pwd)
if ! command -v node >/dev/null; then echo "node is missing: the web-ifc check is skipped"; exit 77; fi
if [ ! -d "$here/node_modules/web-ifc" ]; then echo "web-ifc is not installed: run scripts/setup"; exit 1; fi
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
case $lib in *.xml) "$tool" import "$dir/lib.stocklib" "$lib" >/dev/null; lib=$dir/lib.stocklib ;; esac
"$tool" export-ifc "$lib" "$dir/out.ifc"
for t in Material Composition Profile; do "$tool" list "$lib" $t --json > "$dir/$t.json"; done
node "$here/check_export.js" "$dir/out.ifc" "$dir/Material.json" "$dir/Composition.json" "$dir/Profile.json"
