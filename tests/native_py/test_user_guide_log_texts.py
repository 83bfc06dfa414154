"""Every log text that the Japanese user's guide quotes is one the program can write.

The guide quotes log lines in fenced blocks marked ```log; inside them <...> stands for a value
filled in at run time. Each fixed stretch between those values must be something the program's
string literals make: one literal's text, or the end of one literal, whole literals, and the start
of another, as the program joins them.

argv[1] (the native build's bin folder) is not needed: the check reads the sources.
"""
import pathlib
import re
import sys
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
GUIDE = ROOT / "README.ja.md"
SOURCE_DIRS = ("app", "channels", "support", "ui")

LOG_BLOCK = re.compile(r"^```log\n(.*?)^```", re.M | re.S)
PLACEHOLDER = re.compile(r"<[^<>]*>")
# Raw strings, ordinary strings, character literals and comments, so that quotes in comments and
# character literals are not taken for strings.
TOKEN = re.compile(r'R"\((.*?)\)"|"((?:[^"\\\n]|\\.)*)"|\'(?:[^\'\\\n]|\\.)*\'|//[^\n]*|/\*.*?\*/', re.S)
ESCAPE = re.compile(r"\\(.)")
ESCAPES = {"t": "\t", "n": "\n", "r": "\r"}


def string_literals():
    literals = set()
    for folder in SOURCE_DIRS:
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            for match in TOKEN.finditer(path.read_text(encoding="utf-8")):
                if match.group(1) is not None:
                    literals.add(match.group(1))
                elif match.group(2) is not None:
                    literals.add(ESCAPE.sub(lambda m: ESCAPES.get(m.group(1), m.group(1)), match.group(2)))
    literals.discard("")
    return literals


def quoted_log_lines(guide_text):
    return [line for block in LOG_BLOCK.findall(guide_text) for line in block.splitlines() if line.strip()]


def made_by_program(text, literals):
    """True when `text` is inside one literal, or is a literal's end, whole literals, a literal's start."""
    if any(text in literal for literal in literals):
        return True
    reached = {i for i in range(1, len(text)) if any(literal.endswith(text[:i]) for literal in literals)}
    todo = list(reached)
    while todo:
        at = todo.pop()
        rest = text[at:]
        for literal in literals:
            if literal.startswith(rest):
                return True
            if rest.startswith(literal) and at + len(literal) not in reached:
                reached.add(at + len(literal))
                todo.append(at + len(literal))
    return False


class UserGuideLogTexts(unittest.TestCase):
    def test_every_quoted_log_text_is_in_the_sources(self):
        literals = string_literals()
        lines = quoted_log_lines(GUIDE.read_text(encoding="utf-8"))
        # The lines the guide must explain are quoted where the check can see them.
        for needed in ("チャンネルエラー: ", "次回実行日時がありません: ", "次回実行日時を読み取れません: ", " (C.ERROR)"):
            self.assertTrue(any(needed in line for line in lines), f"the guide quotes no line with {needed!r}")
        missing = [
            f"{line!r}: {fixed!r}"
            for line in lines
            for fixed in PLACEHOLDER.split(line)
            if fixed and not made_by_program(fixed, literals)
        ]
        self.assertEqual(missing, [], "log texts quoted in README.ja.md that the program does not write")

    def test_the_check_rejects_texts_the_program_does_not_write(self):
        literals = string_literals()
        for wrong in ("チャンネル エラー: ", "pex.log: ワークファイルを作成できません", "(C.ERROR)!"):
            self.assertFalse(made_by_program(wrong, literals), wrong)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
