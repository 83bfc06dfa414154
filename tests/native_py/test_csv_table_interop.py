"""A channel-table file written by the program reads into the same values with Python's csv
module, and a file written by hand in the documented format, or saved by Python's csv module in
UTF-8 or UTF-16, loads as expected.

argv[1]: the native build's bin folder (quellix_unit_tests runs the table's half of the check).
"""
import csv
import io
import os
import subprocess
import sys
import tempfile
import unittest

BIN = sys.argv[1] if len(sys.argv) > 1 else "build/native/bin"

# Rows of TableTVChNo (VideoDeckName, TVChannel, TVChannelNo); None is a null value.
ROWS = [
    [b"GigaPocket", "ＮＨＫ総合・東京".encode("cp932"), b"27"],
    [b'quote " and 100%', b"comma, inside", b""],
    [b"line\r\nbreak", b"lone\rCR and lone\nLF", None],
    ["表示ソ\\".encode("cp932"), b"%0 %c %n %%", b'""'],
    [None, None, None],
    [b"deck", b"a station name longer than thirty bytes", b"1"],
]
CUT = {5: {1: b"a station name longer than thi"}}  # TVChannel holds 30 bytes

HANDMADE = (
    b'"TVChannelNo","toolname","TVChannel",\r\n'
    b'"21","deck","Station ""A"" 100%%",\r\n'
    b'\r\n'
    b'"22","deck","two%c%nlines",extra,"ignored",\n'
    b'"23",,\r'
    b'"24","\x95\x5c\x8e\xa6","x"'
)
HANDMADE_ROWS = [
    [b"deck", b'Station "A" 100%', b"21"],
    [b"deck", b"two\r\nlines", b"22"],
    [None, None, b"23"],
    ["表示".encode("cp932"), b"x", b"24"],
]

# Written by Python's csv module as a spreadsheet saves: quotes only where a value holds a comma,
# a quote or a line end, no closing comma; empty values load as null, "%%" as "%".
SPREADSHEET = [
    [b"ToolName", b"TVChannel", b"TVChannelNo"],
    [b"GigaPocket", "ＮＨＫ総合・東京".encode("cp932"), b"27"],
    [b'quote " and 100%%', b"comma, inside", b""],
    [" 表示ソ\\ ".encode("cp932"), b'a"b', b"x"],
]
SPREADSHEET_ROWS = [
    [b"GigaPocket", "ＮＨＫ総合・東京".encode("cp932"), b"27"],
    [b'quote " and 100%', b"comma, inside", None],
    ["表示ソ\\".encode("cp932"), b'a"b', b"x"],  # blanks typed around a value are no part of it
]


SAVED_ENCODINGS = ("utf-8", "utf-8-sig", "utf-16")


def encode_rows(rows):
    lines = []
    for row in rows:
        lines.append(" ".join("-" if v is None else "=" + v.hex() for v in row))
    return ("\n".join(lines) + "\n").encode("ascii")


def decode_rows(text):
    rows = []
    for line in text.decode("ascii").splitlines():
        rows.append([None if f == "-" else bytes.fromhex(f[1:]) for f in line.split(" ")])
    return rows


def undo_percent_coding(value):
    out, i = bytearray(), 0
    codes = {ord("%"): b"%", ord("0"): b"\0", ord("c"): b"\r", ord("n"): b"\n"}
    while i < len(value):
        if value[i] == ord("%") and i + 1 < len(value) and value[i + 1] in codes:
            out += codes[value[i + 1]]
            i += 2
        else:
            out.append(value[i])
            i += 1
    return bytes(out)


class CsvTableInterop(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="qx-interop-")
        base = self.dir.name
        with open(os.path.join(base, "values.txt"), "wb") as f:
            f.write(encode_rows(ROWS))
        with open(os.path.join(base, "handmade.csv"), "wb") as f:
            f.write(HANDMADE)
        text = io.StringIO(newline="")
        csv.writer(text, lineterminator="\r\n").writerows([[v.decode("latin-1") for v in row] for row in SPREADSHEET])
        self.spreadsheet = text.getvalue().encode("latin-1")
        with open(os.path.join(base, "spreadsheet.csv"), "wb") as f:
            f.write(self.spreadsheet)
        # The same table as text, saved in the encodings today's editors offer.
        self.encoded = {}
        for encoding in SAVED_ENCODINGS:
            path = os.path.join(base, "spreadsheet-%s.csv" % encoding)
            with open(path, "w", encoding=encoding, newline="") as f:
                csv.writer(f, lineterminator="\r\n").writerows([[v.decode("cp932") for v in row] for row in SPREADSHEET])
            with open(path, "rb") as f:
                self.encoded[encoding] = f.read()
        env = dict(os.environ, QUELLIX_TABLE_INTEROP_DIR=base)
        subprocess.run(
            [os.path.join(BIN, "quellix_unit_tests"), "--gtest_filter=CsvTableInterop.*"],
            env=env, check=True, stdout=subprocess.DEVNULL, timeout=120,
        )

    def tearDown(self):
        self.dir.cleanup()

    def test_python_csv_reads_the_written_values(self):
        with open(os.path.join(self.dir.name, "pexTVCHNo.csv"), "rb") as f:
            data = f.read()
        self.assertTrue(data.endswith(b"\r\n"))
        self.assertEqual(data.count(b"\r\n"), len(ROWS) + 1)  # no value breaks its line
        self.assertEqual(data.count(b"\n"), data.count(b"\r\n"))
        # Latin-1 maps every byte to one character, so Shift_JIS passes through unchanged.
        records = list(csv.reader(io.StringIO(data.decode("latin-1"), newline="")))
        self.assertEqual(records[0], ["ToolName", "TVChannel", "TVChannelNo", ""])
        self.assertEqual(len(records), len(ROWS) + 1)
        for number, (record, row) in enumerate(zip(records[1:], ROWS)):
            self.assertEqual(record[-1], "", "every line ends with an extra comma")
            values = [undo_percent_coding(v.encode("latin-1")) for v in record[:-1]]
            expected = [CUT.get(number, {}).get(i, v if v is not None else b"") for i, v in enumerate(row)]
            self.assertEqual(values, expected, number)

    def test_null_and_empty_differ_on_disk(self):
        with open(os.path.join(self.dir.name, "pexTVCHNo.csv"), "rb") as f:
            lines = f.read().split(b"\r\n")
        self.assertTrue(lines[2].endswith(b'"comma, inside","",'))
        self.assertTrue(lines[3].endswith(b'",,'))
        self.assertEqual(lines[5], b",,,")

    def test_a_spreadsheets_file_loads_its_values_and_stays_as_it_was(self):
        self.assertIn(b'GigaPocket,', self.spreadsheet)  # unquoted where nothing needs quotes
        with open(os.path.join(self.dir.name, "spreadsheet.loaded.txt"), "rb") as f:
            self.assertEqual(decode_rows(f.read()), SPREADSHEET_ROWS)
        with open(os.path.join(self.dir.name, "spreadsheet.csv"), "rb") as f:
            self.assertEqual(f.read(), self.spreadsheet)

    def test_a_table_saved_in_utf8_or_utf16_loads_as_the_shift_jis_one_and_stays_as_it_was(self):
        for encoding in SAVED_ENCODINGS:
            with self.subTest(encoding):
                self.assertNotIn("表示".encode("cp932"), self.encoded[encoding])  # really another encoding
                with open(os.path.join(self.dir.name, "spreadsheet-%s.loaded.txt" % encoding), "rb") as f:
                    self.assertEqual(decode_rows(f.read()), SPREADSHEET_ROWS)
                with open(os.path.join(self.dir.name, "spreadsheet-%s.csv" % encoding), "rb") as f:
                    self.assertEqual(f.read(), self.encoded[encoding])

    def test_hand_written_file_loads_as_documented(self):
        with open(os.path.join(self.dir.name, "handmade.loaded.txt"), "rb") as f:
            self.assertEqual(decode_rows(f.read()), HANDMADE_ROWS)
        with open(os.path.join(self.dir.name, "handmade.csv"), "rb") as f:
            self.assertEqual(f.read(), HANDMADE)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
