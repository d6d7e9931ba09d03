#!/bin/sh
# Runs stocklib-tool through its commands in a temporary folder; the first failed expectation
# prints what went wrong and exits non-zero.
tool=$1
support=$2
fixtures=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1

fail() { echo "FAILED: $*"; exit 1; }
# expect CODE PATTERN COMMAND...: runs the tool, checks its exit status and that its output
# (stdout and stderr) contains PATTERN.
expect() {
  code=$1 pattern=$2
  shift 2
  "$tool" "$@" > out.txt 2>&1
  got=$?
  [ "$got" -eq "$code" ] || fail "stocklib-tool $*: exit $got, expected $code: $(cat out.txt)"
  grep -q -- "$pattern" out.txt || fail "stocklib-tool $*: no '$pattern' in: $(cat out.txt)"
}

# The tool and each command answer --help with their usage on stdout.
for command in "" info list import export check upgrade; do
  # shellcheck disable=SC2086
  "$tool" $command --help > out.txt 2> err.txt || fail "$command --help: exit $?"
  grep -q "^Usage: .*stocklib-tool $command" out.txt && [ ! -s err.txt ] ||
    fail "$command --help: $(cat out.txt err.txt)"
done
# usage PATTERN ARGS...: wrong usage exits 2 with one line on stderr, naming PATTERN.
usage() {
  pattern=$1
  shift
  "$tool" "$@" > out.txt 2> err.txt
  got=$?
  [ "$got" -eq 2 ] || fail "stocklib-tool $*: exit $got, expected 2: $(cat out.txt err.txt)"
  [ "$(wc -l < err.txt)" -eq 1 ] && [ ! -s out.txt ] && grep -q -- "$pattern" err.txt ||
    fail "stocklib-tool $*: not one line naming '$pattern': $(cat out.txt err.txt)"
}
usage "subcommand"
usage "unknown command bogus; the commands are info list import export export-ifc import-ifc check" bogus x
usage "XML is required" import a.stocklib
usage "feet" import a.stocklib x.xml --unit feet
usage "--colour" info a.stocklib --colour
usage "unknown type Nothing" list "$support/metric.stocklib" Nothing
usage "b.stocklib" check a.stocklib b.stocklib
expect 1 "no such file" info missing.stocklib
echo "not a library" > text.stocklib
expect 1 "not a database" check text.stocklib

# An inch catalogue imported into a new millimetre library: lengths converted.
cat > in.xml <<'XML'
<stocklib>
  <meta><locale>en-US</locale><region>US</region><Unit>Inch</Unit></meta>
  <ProfileStandard name="AISC"/>
  <ProfileName standard="AISC" name="L"/>
  <LShapeProfile profile_name="L" profile_name.standard="AISC" size="4x4x1/2" height="4" width="4" thickness="0.5"/>
</stocklib>
XML
"$tool" import mm.stocklib in.xml --unit inch > /dev/null 2>&1 || fail "import into a new file"
expect 0 "unit:    inch" info mm.stocklib
rm mm.stocklib
# The document's meta gives the new library's unit; --unit converts into an existing one.
"$tool" import inch.stocklib in.xml || fail "import with meta unit"
expect 0 "unit:    inch" info inch.stocklib
echo "<stocklib/>" > empty.xml
"$tool" import mm.stocklib empty.xml --unit mm || fail "new millimetre library"
"$tool" import mm.stocklib in.xml --unit inch || fail "import into the millimetre library"
expect 0 'width="101.6"' list mm.stocklib LShapeProfile
expect 0 "LShapeProfile  *1" info mm.stocklib

# A malformed document names the element and line, exits 1, and changes nothing.
"$tool" export mm.stocklib before.xml || fail "export"
cat > bad.xml <<'XML'
<stocklib>
  <ProfileStandard name="DIN"/>
  <MaterialType name="Wood" colour="brown"/>
</stocklib>
XML
expect 1 'line 3, <MaterialType name="Wood">: unknown attribute "colour"' import mm.stocklib bad.xml
# A failed import into a new file leaves no file behind.
expect 1 'unknown attribute "colour"' import fresh.stocklib bad.xml
[ ! -e fresh.stocklib ] || fail "a failed import left fresh.stocklib"
expect 0 "^stocklib-tool [0-9]" --version
# TYPE words in either case and as sldb spells them.
expect 0 'width="101.6"' list mm.stocklib lshapeprofile
expect 0 '^MaterialType name=' list "$support/metric.stocklib" material-type
"$tool" export mm.stocklib after.xml || fail "export after"
cmp -s before.xml after.xml || fail "a failed import changed the library"
# A length that overflows in millimetres is refused by name; nothing changes.
cat > big.xml <<'XML'
<stocklib>
  <ProfileName name="Huge"/>
  <CircleProfile profile_name="Huge" size="1" diameter="1e308"/>
</stocklib>
XML
expect 1 '"diameter": "1e308" is too large' import mm.stocklib big.xml --unit inch
"$tool" export mm.stocklib after.xml && cmp -s before.xml after.xml || fail "a refused length changed the library"
# A composition no wall can be is refused in one line naming it, the field and the value, and
# leaves no file behind; written into a file behind the store's back, check names it.
cat > wall.xml <<'XML'
<stocklib>
  <Material name="Brick"/>
  <Composition name="Wall" first_core_ply="0" last_core_ply="1" structural_ply="1">
    <Ply material="Brick" thickness="115" function="1"/><Ply material="Brick" thickness="50" function="4"/>
  </Composition>
</stocklib>
XML
sed -e 's/thickness="115" function="1"/thickness="-50" function="9"/' \
    -e 's/"0" last_core_ply="1" structural_ply="1"/"7" last_core_ply="9" structural_ply="12"/' wall.xml > badwall.xml
expect 1 '<Composition name="Wall">: first_core_ply 7 .*structural_ply 12 .*ply 0 thickness -50 is not positive' \
    import wall.stocklib badwall.xml
[ "$(wc -l < out.txt)" -eq 1 ] && [ ! -e wall.stocklib ] || fail "refused wall: $(cat out.txt)"
"$tool" import wall.stocklib wall.xml || fail "import of a sound wall"
sqlite3 wall.stocklib "UPDATE o_Composition SET structural_ply=12" || fail "sqlite3"
expect 1 'problem: Composition "Wall": structural_ply 12 is outside its 2 plies' check wall.stocklib
# A trigger smuggled into a library is named by check and refused by every open.
cp mm.stocklib trig.stocklib
sqlite3 trig.stocklib "CREATE TRIGGER eat AFTER INSERT ON o_Tag BEGIN DELETE FROM o_Tag; END" || fail "sqlite3"
expect 1 "problem: .*trigger eat" check trig.stocklib
expect 1 "trigger eat" info trig.stocklib

# Export and import again give the same text; both shipped libraries pass the check.
"$tool" import copy.stocklib before.xml || fail "import of an export"
"$tool" export copy.stocklib again.xml || fail "export of the copy"
cmp -s before.xml again.xml || fail "export, import, export differ"
expect 0 "check passed" check "$support/metric.stocklib"
expect 0 "check passed" check "$support/imperial.stocklib"
expect 0 "IShapeProfile" list "$support/metric.stocklib" Profile
# --json gives what the text gives, as one document.
cat > same.py <<'PY'
import json, re, sys
kind, text, err, doc = sys.argv[1], open(sys.argv[2]).read(), open(sys.argv[3]).read(), json.load(open(sys.argv[4]))
if kind == "info":
    head = dict(re.findall(r"^(file|name|unit|locale|region): *(.*)$", text, re.M))
    assert all(doc[k] == v for k, v in head.items()) and len(head) == 5, head
    counts = {n: int(c) for n, c in re.findall(r"^  (\S+) +(\d+)$", text, re.M)}
    assert doc["total"] == counts.pop("total") == sum(doc["objects"].values()), doc["total"]
    assert doc["objects"] == counts, (doc["objects"], counts)
    assert list(doc["objects"]) == list(counts), "order"
    cache = re.search(r"^cache: +(\d+) objects, (\d+) keys \(at most (\d+) each\), (\d+) hits, (\d+) misses$", text, re.M)
    assert [doc["cache"][k] for k in ("rows", "keys", "limit", "hits", "misses")] == [int(g) for g in cache.groups()]
else:
    def lines(e, depth):
        yield depth, e["element"], list(e["attributes"].items())
        for c in e["children"]:
            yield from lines(c, depth + 1)
    def same(got, text):
        # Numbers come as JSON numbers, never as their text; names stay text.
        if isinstance(got, (int, float)) and not isinstance(got, bool):
            return float(text) == got
        return got == text
    json_lines = [l for e in doc["objects"] for l in lines(e, 0)]
    text_lines = text.splitlines()
    assert len(json_lines) == len(text_lines), "line counts differ"
    numbers = 0
    for (depth, element, attrs), line in zip(json_lines, text_lines):
        assert line.startswith("  " * depth + element), (line, element)
        pairs = re.findall(r' ([\w.]+)="([^"]*)"', line)
        assert [k for k, _ in pairs] == [k for k, _ in attrs], (line, attrs)
        for (k, text_value), (_, got) in zip(pairs, attrs):
            assert same(got, text_value), (k, got, text_value)
            numbers += isinstance(got, (int, float)) and not isinstance(got, bool)
            assert not (isinstance(got, str) and k not in ("name", "label", "description", "symbol", "code", "unique_code")
                        and re.fullmatch(r"-?\d+(\.\d+)?(e-?\d+)?", got)), ("a number as text", k, got)
    assert numbers > 0, "no numbers"
    assert re.match(r"(\d+) objects?$", err).group(1) == str(doc["count"]), err
    assert doc["count"] == len(doc["objects"]) > 0
PY
for args in "info $support/metric.stocklib" "info mm.stocklib" "list $support/imperial.stocklib Profile" \
            "list mm.stocklib LShapeProfile"; do
  # shellcheck disable=SC2086
  "$tool" $args > text.txt 2> err.txt && "$tool" $args --json > doc.json ||
    fail "$args: $(cat err.txt)"
  python3 same.py "${args%% *}" text.txt err.txt doc.json || fail "$args --json differs from the text"
done

# Progress is drawn on a terminal only, and erased; a pipe or file sees none of it.
{
  echo "<stocklib>"
  i=0
  while [ $i -lt 400 ]; do echo "<Tag name=\"t$i\"/>"; i=$((i + 1)); done
  echo "</stocklib>"
} > tags.xml
"$tool" import tags.stocklib tags.xml 2> err.txt && "$tool" check tags.stocklib > /dev/null 2>> err.txt ||
  fail "import of tags: $(cat err.txt)"
[ ! -s err.txt ] || fail "progress off a terminal: $(cat err.txt)"
rm tags.stocklib
script -qec "'$tool' import tags.stocklib tags.xml && '$tool' check tags.stocklib" /dev/null > tty.txt ||
  fail "under a terminal: $(cat tty.txt)"
for line in "importing: 0/400 objects" "importing: 200/400 objects" "importing: 400/400 objects" \
            "checking: the file's pages" "checking: .*/.* steps" "check passed"; do
  grep -q "$line" tty.txt || fail "no '$line' on the terminal: $(cat tty.txt)"
done
# The last line drawn, "importing: 400/400 objects", is blanked before the tool ends.
tr '\r' '\n' < tty.txt | grep -qx ' \{26\}' || fail "the progress line stays: $(cat tty.txt)"
# A schema-1 file: info tells it would be upgraded, upgrade does it once, check passes after.
cp "$fixtures/schema1/every_type.stocklib" old.stocklib
expect 0 "schema:  1 (upgraded to 2 when opened writable)" info old.stocklib
expect 0 '"upgrade": true' info old.stocklib --json
expect 0 "schema version 1 upgraded to 2" upgrade old.stocklib
expect 0 "schema version 2, nothing to upgrade" upgrade old.stocklib
expect 0 '"upgrade": false' info old.stocklib --json
expect 0 "check passed" check old.stocklib
expect 1 "no such file" upgrade missing.stocklib
# IFC: the shipped library goes out and comes back whole; a damaged file leaves no library behind.
expect 0 "materials, .* profiles written; 0 skipped" export-ifc "$support/metric.stocklib" out.ifc
expect 0 "profiles imported; 0 skipped" import-ifc back.stocklib out.ifc
expect 0 "check passed" check back.stocklib
head -c 2000 out.ifc > cut.ifc
expect 1 "truncated.*nothing imported" import-ifc cut.stocklib cut.ifc
[ ! -e cut.stocklib ] || fail "import-ifc of a damaged file left cut.stocklib"
expect 1 "no such file" export-ifc missing.stocklib x.ifc
echo "all passed"
