"""Every text of the program that the guides quote is one the program can write.

The guides quote log lines in fenced blocks marked ```log, lines of the check's report in blocks
marked ```report, and lines in the running text as code spans; inside them <...> stands for a value
filled in at run time. Each fixed stretch between those values must be something the program's
string literals make: one literal's text, or the end of one literal, whole literals, and the start
of another, as the program joins them. A code span is taken for a quoted line when it holds such a
value and Japanese text besides (the others are names and examples of input).

The zip's plain-text guides show no picture: each Markdown image becomes its description.

argv[1] (the native build's bin folder) is not needed: the check reads the sources.
"""
import pathlib
import re
import sys
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
GUIDES = (ROOT / "README.ja.md", ROOT / "README.md")
SOURCE_DIRS = ("app", "channels", "support", "ui")

QUOTE_BLOCK = re.compile(r"^```(?:log|report)\n(.*?)^```", re.M | re.S)
ANY_BLOCK = re.compile(r"^```.*?^```", re.M | re.S)
CODE_SPAN = re.compile(r"`([^`\n]+)`")
PLACEHOLDER = re.compile(r"<[^<>]*>")
JAPANESE = re.compile(r"[\u3040-\u30ff\u3400-\u9fff\uff00-\uffef]")
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
    lines = [line for block in QUOTE_BLOCK.findall(guide_text) for line in block.splitlines() if line.strip()]
    for span in CODE_SPAN.findall(ANY_BLOCK.sub("", guide_text)):
        if PLACEHOLDER.search(span) and JAPANESE.search(PLACEHOLDER.sub("", span)):
            lines.append(span)
    return lines


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
        for guide in GUIDES:
            lines = quoted_log_lines(guide.read_text(encoding="utf-8"))
            # The lines a guide must explain are quoted where the check can see them.
            for needed in ("チャンネルエラー: ", "次回実行日時がないため取り込みません: ",
                           "次回実行日時を読み取れないため取り込みません: ", "取り込みません: "):
                self.assertTrue(any(needed in line for line in lines), f"{guide.name} quotes no line with {needed!r}")
            missing = [
                f"{line!r}: {fixed!r}"
                for line in lines
                for fixed in PLACEHOLDER.split(line)
                if fixed and not made_by_program(fixed, literals)
            ]
            self.assertEqual(missing, [], f"texts quoted in {guide.name} that the program does not write")

    def test_quoted_lines_are_found_in_blocks_and_in_the_running_text(self):
        guide = "\n".join((
            "```log", "A <x>", "```", "```report", "B <y>", "```", "```", "C <z>", "```",
            "See `次回 <t>` and `局一 , 局一改` and `Quellix <v>`.",
        )) + "\n"
        self.assertEqual(quoted_log_lines(guide), ["A <x>", "B <y>", "次回 <t>"])

    def test_the_zips_guides_describe_their_pictures_in_words(self):
        sys.path.insert(0, str(ROOT / "scripts"))
        import release  # noqa: E402 (the release script is no package)

        for guide in GUIDES:
            markdown = guide.read_text(encoding="utf-8")
            pictures = release.IMAGE_LINE.findall(markdown)
            self.assertTrue(pictures, f"{guide.name} shows no picture: the case tests nothing")
            text = release.guide_text(str(guide)).decode("utf-8-sig")
            self.assertIsNone(release.IMAGE_LINE.search(text.replace("\r\n", "\n")), guide.name)
            for description in pictures:
                self.assertIn("\r\n" + description + "\r\n", text, guide.name)

    def test_the_check_rejects_texts_the_program_does_not_write(self):
        literals = string_literals()
        for wrong in ("チャンネル エラー: ", "pex.log: ワークファイルを作成できません", "(C.ERROR)!"):
            self.assertFalse(made_by_program(wrong, literals), wrong)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
