#!/usr/bin/env python3
# Prints the XML block of one profile family of the shipped catalogues, taken row by row from the
# published tables in data/reference (usage: catalogue_rows.py FAMILY; without one, lists them).
import csv
import os
import re
import sys
from fractions import Fraction

REF = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "reference")


def rows(name):
    with open(os.path.join(REF, name), newline="") as f:
        return list(csv.DictReader(f))


def num(v):
    """A value as the XML writes it: shortest text, no trailing zeros, no float noise."""
    text = "%.10g" % round(float(v), 9)
    return "0" if text == "-0" else text


def numbers(designation):
    """The numbers of a designation: '2-1/2X2X3/16' -> [2.5, 2, 0.1875]."""
    out = []
    for part in re.split(r"[xX]", designation):
        part = re.sub(r"^[A-Za-z]+", "", part)
        m = re.fullmatch(r"(\d+)-(\d+)/(\d+)", part)
        if m:
            out.append(int(m.group(1)) + Fraction(int(m.group(2)), int(m.group(3))))
        elif "/" in part:
            out.append(Fraction(part))
        else:
            out.append(Fraction(part))
    return [float(x) for x in out]


def attrs(**kw):
    return " ".join('%s="%s"' % (k, v) for k, v in kw.items())


def profile(cls, name, standard, size, dims):
    head = attrs(profile_name=name, **{"profile_name.standard": standard}, size=size)
    body = " ".join('%s="%s"' % (k, num(v)) for k, v in dims)
    return '  <%s %s profile_type="4" %s/>' % (cls, head, body)


def en_i(name):
    out = []
    for r in sorted((r for r in rows("en_i_sections.csv") if r["name"] == name),
                    key=lambda r: float(r["size"])):
        dims = [("height", r["h_mm"]), ("width", r["b_mm"]), ("web_thickness", r["tw_mm"]),
                ("flange_thickness", r["tf_mm"]), ("fillet_radius", r["r_mm"])]
        out.append(profile("IShapeProfile", name, "EN 10365", r["size"], dims))
    return out


def upe():
    out = []
    for r in sorted((r for r in rows("en_channels.csv") if r["name"] == "UPE"),
                    key=lambda r: float(r["size"])):
        dims = [("height", r["h_mm"]), ("width", r["b_mm"]), ("web_thickness", r["tw_mm"]),
                ("flange_thickness", r["tf_mm"]), ("fillet_radius", r["r1_mm"]),
                ("flange_slope", 0)]
        out.append(profile("UShapeProfile", "UPE", "EN 10365", r["size"], dims))
    return out


def en_unequal_angles():
    out = []
    table = [r for r in rows("en_angles.csv") if float(r["h_mm"]) != float(r["b_mm"])]
    for r in sorted(table, key=lambda r: (float(r["h_mm"]), float(r["b_mm"]), float(r["t_mm"]))):
        size = "x".join(num(r[k]) for k in ("h_mm", "b_mm", "t_mm"))
        dims = [("height", r["h_mm"]), ("width", r["b_mm"]), ("thickness", r["t_mm"]),
                ("root_radius", r["r1_mm"]), ("toe_radius", r["r2_mm"])]
        out.append(profile("LShapeProfile", "L", "EN 10056-1", size, dims))
    return out


def cold_formed_radii(t):
    """Corner radii of cold-formed hollow sections by wall thickness: (inner, outer)."""
    if t <= 6:
        return 1.0 * t, 2.0 * t
    if t <= 10:
        return 1.5 * t, 2.5 * t
    return 2.0 * t, 3.0 * t


def en_10219(shape):
    out = []
    table = [r for r in rows("en_hollow_sections.csv")
             if r["standard"] == "EN 10219-2" and r["shape"] == shape]
    key = lambda r: (float(r["h_or_d_mm"]), float(r["b_or_d_mm"]), float(r["t_mm"]))
    for r in sorted(table, key=key):
        t = float(r["t_mm"])
        if shape == "CHS":
            size = "%sx%s" % (num(r["h_or_d_mm"]), num(t))
            dims = [("diameter", r["h_or_d_mm"]), ("wall_thickness", t)]
            out.append(profile("CircleHollowProfile", shape, "EN 10219-2", size, dims))
        else:
            inner, outer = cold_formed_radii(t)
            size = "%sx%sx%s" % (num(r["h_or_d_mm"]), num(r["b_or_d_mm"]), num(t))
            dims = [("height", r["h_or_d_mm"]), ("width", r["b_or_d_mm"]), ("wall_thickness", t),
                    ("inner_radius", inner), ("outer_radius", outer)]
            out.append(profile("RectangleHollowProfile", shape, "EN 10219-2", size, dims))
    return out


def aisc(kind):
    return [r for r in rows("aisc_dimensions.csv") if r["type"] == kind]


def aisc_size(r):
    return r["designation"][len(r["type"]):].replace("X", "x")


def by_numbers(table):
    return sorted(table, key=lambda r: numbers(r["designation"]))


def aisc_i(kind):
    out = []
    for r in by_numbers(aisc(kind)):
        dims = [("height", r["d_in"]), ("width", r["bf_in"]), ("web_thickness", r["tw_in"]),
                ("flange_thickness", r["tf_in"]),
                ("fillet_radius", float(r["kdes_in"]) - float(r["tf_in"]))]
        out.append(profile("IShapeProfile", kind, "AISC", aisc_size(r), dims))
    return out


def aisc_mc():
    out = []
    for r in by_numbers(aisc("MC")):
        dims = [("height", r["d_in"]), ("width", r["bf_in"]), ("web_thickness", r["tw_in"]),
                ("flange_thickness", r["tf_in"]), ("fillet_radius", 0)]
        out.append(profile("UShapeProfile", "MC", "AISC", aisc_size(r), dims))
    return out


def aisc_wt():
    out = []
    for r in by_numbers(aisc("WT")):
        dims = [("height", r["d_in"]), ("width", r["bf_in"]), ("web_thickness", r["tw_in"]),
                ("flange_thickness", r["tf_in"]),
                ("fillet_radius", float(r["kdes_in"]) - float(r["tf_in"]))]
        out.append(profile("TShapeProfile", "WT", "AISC", aisc_size(r), dims))
    return out


def aisc_unequal_angles(skip=("4x3x3/8", "6x4x1/2")):
    out = []
    table = [r for r in aisc("L") if float(r["d_in"]) != float(r["b_in"])]
    for r in sorted(table, key=lambda r: [-x for x in numbers(r["designation"])]):
        size = aisc_size(r)
        if size in skip:  # already in the hand-written block
            continue
        h, b, t = numbers(r["designation"])
        dims = [("height", h), ("width", b), ("thickness", t)]
        out.append(profile("LShapeProfile", "L", "AISC", size, dims))
    return out


def pipe_weight(r):
    """'STD' or 'XS' for the standard and extra-strong walls; None for other schedules."""
    m = re.fullmatch(r"Pipe([0-9/-]+)(STD|XS|XXS|SCH\d+)", r["designation"])
    nominal, schedule = numbers(m.group(1))[0], m.group(2)
    if schedule in ("STD", "XS"):
        return schedule
    if nominal <= 10 and schedule in ("SCH40", "SCH80"):
        return "STD" if schedule == "SCH40" else "XS"
    if nominal >= 12:  # from 12 in on, STD is a 0.375 in wall and XS a 0.500 in wall
        return {0.375: "STD", 0.5: "XS"}.get(float(r["tnom_in"]))
    return None


def aisc_pipe():
    out = []
    table = [(r, pipe_weight(r)) for r in aisc("PIPE")]
    table = [(r, w) for r, w in table if w]
    nominal = lambda r: re.fullmatch(r"Pipe([0-9/-]+)[A-Z].*", r["designation"]).group(1)
    for r, w in sorted(table, key=lambda rw: (rw[1] != "STD", numbers(nominal(rw[0])))):
        dims = [("diameter", r["OD_in"]), ("wall_thickness", r["tdes_in"])]
        out.append(profile("CircleHollowProfile", "Pipe", "AISC", "%s %s" % (nominal(r), w),
                           dims))
    return out


FAMILIES = {
    "HEM": lambda: en_i("HEM"),
    "UPE": upe,
    "L-unequal-metric": en_unequal_angles,
    "CHS-10219": lambda: en_10219("CHS"),
    "RHS-10219": lambda: en_10219("RHS"),
    "SHS-10219": lambda: en_10219("SHS"),
    "S": lambda: aisc_i("S"),
    "HP": lambda: aisc_i("HP"),
    "MC": aisc_mc,
    "WT": aisc_wt,
    "L-unequal-imperial": aisc_unequal_angles,
    "Pipe": aisc_pipe,
}

if __name__ == "__main__":
    if len(sys.argv) != 2 or sys.argv[1] not in FAMILIES:
        sys.exit("usage: catalogue_rows.py FAMILY\nfamilies: " + " ".join(FAMILIES))
    print("\n".join(FAMILIES[sys.argv[1]]()))
