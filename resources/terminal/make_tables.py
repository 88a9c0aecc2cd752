#!/usr/bin/env python3
"""Writes the terminal's key map and character-set tables in the AHT3 resource format.

Run from this folder after changing a table: ./make_tables.py
Format: "AHT3", signed 32-bit little-endian record count, the records, "AHT3".
"""
import struct

MAGIC = b"AHT3"


def lstr(text):
    data = text.encode("latin-1")
    assert len(data) < 256
    return bytes([len(data)]) + data


def write(name, records):
    with open(name, "wb") as f:
        f.write(MAGIC + struct.pack("<i", len(records)) + b"".join(records) + MAGIC)


def key_map():
    names = {0x08: "VK_BACK", 0x09: "VK_TAB", 0x0C: "VK_CLEAR", 0x0D: "VK_RETURN", 0x13: "VK_PAUSE",
             0x14: "VK_CAPITAL", 0x1B: "VK_ESCAPE", 0x20: "VK_SPACE", 0x21: "VK_PRIOR", 0x22: "VK_NEXT",
             0x23: "VK_END", 0x24: "VK_HOME", 0x25: "VK_LEFT", 0x26: "VK_UP", 0x27: "VK_RIGHT",
             0x28: "VK_DOWN", 0x29: "VK_SELECT", 0x2B: "VK_EXECUTE", 0x2C: "VK_SNAPSHOT",
             0x2D: "VK_INSERT", 0x2E: "VK_DELETE", 0x2F: "VK_HELP"}
    for i in range(10):
        names[0x30 + i] = "VK_%d" % i
        names[0x60 + i] = "VK_NUMPAD%d" % i
    for i in range(26):
        names[0x41 + i] = "VK_" + chr(ord("A") + i)
    names.update({0x6A: "VK_MULTIPLY", 0x6B: "VK_ADD", 0x6C: "VK_SEPARATOR", 0x6D: "VK_SUBTRACT",
                  0x6E: "VK_DECIMAL", 0x6F: "VK_DIVIDE", 0x90: "VK_NUMLOCK", 0x91: "VK_SCROLL"})
    for i in range(24):
        names[0x70 + i] = "VK_F%d" % (i + 1)
    layer1 = [("\\x%02X" % code, names[code]) for code in sorted(names)]
    assert len(layer1) == 100

    layer2 = [("VK_UP", "DEC_UPc"), ("VK_DOWN", "DEC_DOWNc"), ("VK_RIGHT", "DEC_RIGHTc"),
              ("VK_LEFT", "DEC_LEFTc"), ("VK_NUMLOCK", "DEC_PF1k"), ("VK_F1", "DEC_PF1k"),
              ("VK_DIVIDE", "DEC_PF2k"), ("VK_F2", "DEC_PF2k"), ("VK_MULTIPLY", "DEC_PF3k"),
              ("VK_F3", "DEC_PF3k"), ("VK_SUBTRACT", "DEC_PF4k"), ("VK_F4", "DEC_PF4k")]
    layer2 += [("VK_NUMPAD%d" % i, "DEC_KP%dk" % i) for i in range(10)]
    layer2 += [("VK_ADD", "DEC_KP-k"), ("ctrl+VK_DECIMAL", "DEC_KP,k"), ("VK_DECIMAL", "DEC_KP.k"),
               ("VK_EXECUTE", "DEC_KPEk"), ("VK_BACK", "DEC_DEL"), ("shift+VK_BACK", "DEC_BS"),
               ("VK_F11", "DEC_BS"), ("shift+VK_RETURN", "DEC_LF"), ("shift+VK_EXECUTE", "DEC_LF"),
               ("VK_F12", "DEC_LF"), ("ctrl+VK_SPACE", "DEC_NULL")]
    assert len(layer2) == 33

    layer3 = []
    for key, letter in (("UP", "A"), ("DOWN", "B"), ("RIGHT", "C"), ("LEFT", "D")):
        layer3 += [("DEC_%s0" % key, "\\e" + letter), ("DEC_%s1" % key, "\\e[" + letter),
                   ("DEC_%s2" % key, "\\eO" + letter)]
    keypad = [("PF%d" % (i + 1), "\\e" + "PQRS"[i], "\\e" + "PQRS"[i], "\\eO" + "PQRS"[i],
               "\\eO" + "PQRS"[i]) for i in range(4)]
    keypad += [("KP%d" % i, str(i), "\\e?" + chr(ord("p") + i), str(i), "\\eO" + chr(ord("p") + i))
               for i in range(10)]
    keypad += [("KP-", "-", "\\e?m", "-", "\\eOm"), ("KP,", ",", "\\e?l", ",", "\\eOl"),
               ("KP.", ".", "\\e?n", ".", "\\eOn"), ("KPE", "\\x0D", "\\e?M", "\\x0D", "\\eOM")]
    for key, m3, m4, m5, m6 in keypad:
        layer3 += [("DEC_%s3" % key, m3), ("DEC_%s4" % key, m4), ("DEC_%s5" % key, m5),
                   ("DEC_%s6" % key, m6)]
    layer3 += [("DEC_BS", "\\x08"), ("DEC_DEL", "\\x7F"), ("DEC_LF", "\\x0A"), ("DEC_NULL", "\\x00")]
    assert len(layer3) == 88
    return [lstr(n) + lstr(v) for n, v in layer1 + layer2 + layer3]


LINE_DRAW = {"_": 32, "`": 4, "a": 177, "b": 16, "c": 23, "d": 17, "e": 31, "f": 248, "g": 241,
             "h": 27, "i": 25, "j": 217, "k": 191, "l": 218, "m": 192, "n": 197, "o": 196, "p": 196,
             "q": 196, "r": 196, "s": 196, "t": 195, "u": 180, "v": 193, "w": 194, "x": 179, "y": 243,
             "z": 242, "{": 227, "|": 216, "}": 156, "~": 250}


def char_sets(graphics):
    def rec(charset, font, code, glyph):
        return lstr(charset) + lstr(font) + bytes([code, glyph])

    records = [rec("VT100-USASCII", "<Default>", c, c) for c in range(32, 127)]
    records += [rec("VT100-USASCII", graphics, c, c) for c in range(128, 256)]
    records += [rec("VT100-UK", "<Default>", c, 163 if c == ord("#") else c) for c in range(32, 127)]
    records += [rec("VT100-ROM1", "<Default>", c, c) for c in range(32, 127)]
    for name in ("VT100-linedraw", "VT100-ROM2"):
        records += [rec(name, graphics, c, LINE_DRAW.get(chr(c), c)) for c in range(32, 127)]
    assert len(records) == 603
    return records


if __name__ == "__main__":
    write("VTKEYMAP100.aht3", key_map())
    write("VTCHARSET100.aht3", char_sets("Terminal"))
    write("VT100CHARSET_LUCON.aht3", char_sets("OrvaVT Lucida"))
