#!/usr/bin/env python3
"""Writes the parameter-file golden data of this folder.

The inputs are Shift-JIS with CR LF line ends (one line ends in LF alone, as files edited on
other systems do). The expected files are written from the value lines below, worked out by
hand from VELLUMIX.SYS and vxcsd.std: run this script only to change the data on purpose.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
LONG_NOTE = "Note = \"" + "長い説明" * 40 + "\";"  # 328 bytes in Shift-JIS: three slots
PEN = "ペン"


def pen_item(n, value_line, indent="                ", extra=()):
    lines = [indent[:-4] + "ParamItem", indent[:-4] + "{", indent + f'VxName = "{PEN}{n}";']
    lines += [indent + e for e in extra]
    lines.append(value_line)
    lines.append(indent[:-4] + "}")
    return lines


def build(values):
    """values maps (table, name) to the whole value line text (without line end)."""
    I = "                "
    out = []
    out += ["// VXCSD 変換パラメータ (図面の出力設定)", "ParamFile", "{"]
    # A section before the export section: the same tables, never touched.
    out += ["    ParamSection", "    {", '        SectionName = "Import";',
            "        ParamTable", "        {", '            TableName = "Color";']
    out += pen_item(1, I + 'RGB = "9 9 9";')
    out += ["        }", "        ParamTable", "        {", '            TableName = "Width";']
    out += pen_item(1, I + "Value = 9.900000;")
    out += ["        }", "    }"]
    out += ["    ParamSection", "    {", '        SectionName = "Export";', "        " + LONG_NOTE]
    # Line types first: the tables are found in any order.
    out += ["        ParamTable", "        {", '            TableName = "Ltype";']
    for name in ["実線", "破線", "一点鎖線", "点線", "二点鎖線", "補助線"]:
        out += ["            ParamItem", "            {", I + f'VxName = "{name}";',
                values[("Ltype", name)], "            }"]
    out += ["        }"]
    # Colours: pens out of order, one value line indented with a tab and commented,
    # one item with a comment whose kanji 図 ends in the byte of "}".
    out += ["        ParamTable", "        {", '            TableName = "Color";']
    for n in [3, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12]:
        extra = ["// 図面の色"] if n == 5 else []
        out += pen_item(n, values[("Color", n)], extra=extra)
    out += ["        }"]
    out += ["        ParamTable", "        {", '            TableName = "Width";']
    for n in range(1, 13):
        extra = [LONG_NOTE] if n == 7 else []
        out += pen_item(n, values[("Width", n)], extra=extra)
    out += ["        }", "    }"]
    out += ["    ParamSection", "    {", '        SectionName = "Print";',
            '        Margin = "10 10 10 10";', "    }", "}"]
    return out


def encode(lines, lf_only_line=None):
    data = b""
    for i, line in enumerate(lines):
        end = b"\n" if i == lf_only_line else b"\r\n"
        data += line.encode("cp932") + end
    return data


I = "                "
INPUT = {("Ltype", n): I + 'Segments = "1.0 1.0";' for n in
         ["破線", "一点鎖線", "点線", "二点鎖線", "補助線"]}
INPUT[("Ltype", "実線")] = I + 'Segments = "";'
for n in range(1, 13):
    INPUT[("Color", n)] = I + 'RGB = "0 0 0";'
    INPUT[("Width", n)] = I + "Value = 0.130000;"
INPUT[("Color", 2)] = "\t\t\t\tRGB = \"1 2 3\"; // 緑"


def expected(colours, widths, segments):
    v = dict(INPUT)
    for n, c in enumerate(colours, 1):
        v[("Color", n)] = (I if n != 2 else "\t\t\t\t") + f'RGB = "{c}";'
    for n, w in enumerate(widths, 1):
        v[("Width", n)] = I + f"Value = {w};"
    for name, s in segments.items():
        v[("Ltype", name)] = I + f'Segments = "{s}";'
    return v


TEMPLATE_SEGMENTS = {"破線": "3.0 1.0", "一点鎖線": "10.0 1.0 1.0 1.0",
                     "二点鎖線": "10.0 1.0 1.0 1.0 1.0 1.0", "点線": "0.5 1.0", "補助線": "2.0 2.0"}

# Colours of VELLUMIX.SYS: PALETTE4 is no number, PALETTE5 empty and PALETTE6 missing, so
# those pens keep the built-in colours; -1 and 4278190335 use only their low 24 bits.
FILE_COLOURS = ["255 0 0", "0 255 0", "0 0 255", "128 128 128", "0 0 255", "128 0 128",
                "128 128 0", "255 255 255", "255 0 0", "0 0 0", "86 52 18", "255 255 255"]
BLACK = ["0 0 0"] * 12
ONE_PIXEL = ["0.260000"] * 12
# DSPWIDTH0..11 = 1 2 3 4 5 10 0 -2 (missing) (empty) x 6 at 96 pixels per inch.
FILE_WIDTHS = ["0.260000", "0.520000", "0.790000", "1.050000", "1.320000", "2.640000",
               "0.000000", "-0.520000", "0.260000", "0.260000", "0.260000", "1.580000"]
FILE_SEGMENTS = {"破線": "4.5 1.2", "一点鎖線": "12.0 1.5 2.5 1.5",
                 "二点鎖線": "10.0 0.2 12.0 0.2 12.0 0.2", "点線": "0.5 1.0", "補助線": "-3.0 10.0"}

CASES = {
    "expected-mono.cprm": expected(BLACK, ONE_PIXEL, TEMPLATE_SEGMENTS),
    "expected-colour.cprm": expected(FILE_COLOURS, ONE_PIXEL, TEMPLATE_SEGMENTS),
    "expected-colour-widths-pitches.cprm": expected(FILE_COLOURS, FILE_WIDTHS, FILE_SEGMENTS),
}

TEMPLATE = [
    "// VXCSD 変換パラメータの雛形", "ParamFile", "{", "    ParamSection", "    {",
    '        SectionName = "Export";', "        ParamTable", "        {",
    '            TableName = "Ltype";',
]
for name, seg in [("実線", ""), ("破線", "3 1"), ("一点鎖線", "10.0  1.0 1.0 1.0"),
                  ("二点鎖線", "10.0 1.0 1.0 1.0 1.0 1.0"), ("点線", "0.5 1.0"),
                  ("補助線", "2.0 2.0")]:
    TEMPLATE += ["            ParamItem", "            {", I + f'VxName = "{name}";',
                 I + f'Segments = "{seg}";', "            }"]
TEMPLATE += ["        }", "    }", "}"]

SYS = """[SYSTEM]
VERSION=9
[SYSCOLOR]
PALETTE0=255
PALETTE1=65280
PALETTE2=16711680
PALETTE3=  8421504
PALETTE4=abc
PALETTE5=
PALETTE7=-1
PALETTE8=4278190335
PALETTE9=0
PALETTE10=1193046
PALETTE11=16777215xyz
PALETTE12=0
[LINEWIDTH]
DSPWIDTH0=1
DSPWIDTH1=2
DSPWIDTH2=3
DSPWIDTH3=4
DSPWIDTH4=5
DSPWIDTH5=10
DSPWIDTH6=0
DSPWIDTH7=-2
DSPWIDTH9=
DSPWIDTH10=x
DSPWIDTH11=6
[DSPLINPITCH]
OPTIONFLG=1
DASHED_LIN1=4.5
DASHED_ITV1=1.25
DASHED_LIN2=9
CHAIN_LIN1=12
CHAIN_ITV1=1.5
CHAIN_LIN2=2.5
CHAINDD_ITV1=0.15
CHAINDD_LIN2=12
DOTTED_LIN1=   0.5mm
DOTTED_ITV1=abc
ADDITION_LIN1=-3
ADDITION_ITV1=1e1
ADDITION_LIN2=7
[FONTINFO]
CHARVECTORFONT=2
"""


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    lf_line = build(INPUT).index("\t\t\t\tRGB = \"1 2 3\"; // 緑") + 1  # the line after it
    write("app/vxcsd.cprm", encode(build(INPUT), lf_only_line=lf_line))
    write("app/vxcsd.std", encode(TEMPLATE))
    write("app/VELLUMIX.SYS", SYS.replace("\n", "\r\n").encode("cp932"))
    for name, values in CASES.items():
        write(name, encode(build(values)))


if __name__ == "__main__":
    os.makedirs(os.path.join(HERE, "app"), exist_ok=True)
    main()
