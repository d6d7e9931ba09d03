#!/bin/sh
# Runs stocklib-tool through its commands in a temporary folder; the first failed expectation
# prints what went wrong and exits non-zero.
tool=$1
support=$2
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

expect 2 "usage" bogus x
expect 2 "usage" import a.stocklib
expect 2 "mm or inch" import a.stocklib x.xml --unit feet
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
"$tool" export mm.stocklib after.xml || fail "export after"
cmp -s before.xml after.xml || fail "a failed import changed the library"
expect 1 "unknown type" list mm.stocklib Nothing
# A length that overflows in millimetres is refused by name; nothing changes.
cat > big.xml <<'XML'
<stocklib>
  <ProfileName name="Huge"/>
  <CircleProfile profile_name="Huge" size="1" diameter="1e308"/>
</stocklib>
XML
expect 1 '"diameter": "1e308" is too large' import mm.stocklib big.xml --unit inch
"$tool" export mm.stocklib after.xml && cmp -s before.xml after.xml || fail "a refused length changed the library"
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
echo "all passed"
