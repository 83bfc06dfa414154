#!/usr/bin/env python3
"""Fails when a script or test calls a program that no package of scripts/install-deps.sh brings.

It collects the programs called by scripts/*.sh and .ci/run (the first word of every command,
also inside $(...)), by the tests that cmake/*.cmake registers (the words of their COMMAND) and by
the Python tests and scripts (subprocess calls). Each must be listed in scripts/require.sh with its package,
that package must be installed by install-deps.sh (or belong to the base system: marked
essential or required), and the file that the program's name finds on the scripts' PATH must
come from that package or from one it depends on, since apt installs those with it.
A hand-installed program therefore cannot make CI green.
"""
import os
import re
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PATH = "/usr/sbin:/usr/bin:/sbin:/bin"  # the scripts' PATH (scripts/require.sh)
WRAPPERS = {"env", "exec", "xvfb-run", "time", "command"}  # run the program named after their options
KEYWORDS = set(subprocess.run(["bash", "-c", "compgen -k; compgen -b"], capture_output=True, text=True,
                              check=True).stdout.split())


def skip_nested(text, i, open_char, close_char):
    """Index after the bracket matching the one before `i`, skipping quoted parts."""
    depth = 1
    while i < len(text) and depth:
        c = text[i]
        if c == "\\":
            i += 1
        elif c == "'":
            i = text.index("'", i + 1)
        elif c == open_char:
            depth += 1
        elif c == close_char:
            depth -= 1
        i += 1
    return i


class ShellCommands:
    """The first words of a shell text's commands (a lexer for the subset of bash the scripts use)."""

    functions = set()  # names of the shell functions defined in any of the scripts read

    def __init__(self, text):
        self.text = text
        self.found = []
        self.scan(0, None)

    def scan(self, i, stop):
        text = self.text
        words, word, quoted = [], "", False
        redirect = False

        def end_word():
            nonlocal word, quoted, redirect
            if word or quoted:
                if redirect:
                    redirect = False
                else:
                    words.append((word, quoted))
            word, quoted = "", False

        def end_command():
            end_word()
            if words:
                self.command(words)
            words.clear()

        while i < len(text):
            c = text[i]
            if stop and c == stop:
                end_command()
                return i + 1
            if c == "\\":
                if text[i + 1:i + 2] != "\n":
                    word += text[i + 1:i + 2]
                i += 2
                continue
            if c == "#" and not word and not quoted:
                i = text.find("\n", i)
                i = len(text) if i < 0 else i
                continue
            if c == "'":
                j = text.index("'", i + 1)
                word += text[i + 1:j]
                quoted = True
                i = j + 1
                continue
            if c == '"':
                i = self.double_quoted(i + 1)
                word += "$"  # contents with expansions: never a plain program name
                quoted = True
                continue
            if text.startswith("$((", i):
                i = skip_nested(text, i + 3, "(", ")") + 1
                word += "$"
                continue
            if text.startswith("$(", i):
                i = self.scan(i + 2, ")")
                word += "$"
                continue
            if text.startswith("${", i):
                i = skip_nested(text, i + 2, "{", "}")
                word += "$"
                continue
            if c == "`":
                j = text.index("`", i + 1)
                self.found += ShellCommands(text[i + 1:j]).found
                word += "$"
                i = j + 1
                continue
            if text.startswith(("<(", ">("), i):  # process substitution
                i = self.scan(i + 2, ")")
                word += "$"
                continue
            if c in "<>":
                if word.isdigit():
                    word = ""
                end_word()
                i += 1
                while i < len(text) and text[i] in "<>&":
                    i += 1
                if text[i - 1] == "&" and i < len(text) and (text[i].isdigit() or text[i] == "-"):
                    i += 1
                    continue
                redirect = True
                continue
            if c == "(" and word.endswith("=") and not words:  # an array assignment: no commands inside
                j = i + 1
                while text[j] != ")":
                    j = text.index("\n", j) if text[j] == "#" else j + 1
                word = ""
                i = j + 1
                continue
            if c in " \t":
                end_word()
                i += 1
                continue
            if c in "\n;&|(){}":
                if c == "(" and word and not quoted and text[i + 1:i + 2] == ")":  # name() { ... }: a function
                    self.functions.add(word)
                    word = ""
                    i += 2
                    continue
                if c == ")" and words == [] and word:  # a case pattern
                    word = ""
                    i += 1
                    continue
                end_command()
                i += 1
                continue
            word += c
            i += 1
        end_command()
        return i

    def double_quoted(self, i):
        text = self.text
        while text[i] != '"':
            if text[i] == "\\":
                i += 2
            elif text.startswith("$((", i):
                i = skip_nested(text, i + 3, "(", ")") + 1
            elif text.startswith("$(", i):
                i = self.scan(i + 2, ")")
            elif text[i] == "`":
                j = text.index("`", i + 1)
                self.found += ShellCommands(text[i + 1:j]).found
                i = j + 1
            else:
                i += 1
        return i + 1

    def command(self, words):
        words = list(words)
        while words:
            name, quoted = words[0]
            if re.match(r"^[A-Za-z_][A-Za-z0-9_]*(\[[^]]*\])?\+?=", name):
                words.pop(0)  # an assignment before the command
                continue
            if name in ("!", "if", "then", "else", "elif", "do", "while", "until", "time", "{", "}"):
                words.pop(0)
                continue
            if name in ("for", "case", "select", "function", "local", "export", "declare", "readonly", "trap",
                        "fi", "done", "esac", "in", ";;"):
                return
            break
        if not words:
            return
        name, quoted = words[0]
        self.found.append(name)
        if name in WRAPPERS:
            rest = words[1:]
            while rest and (rest[0][0].startswith("-") or "=" in rest[0][0]):
                option = rest.pop(0)[0]
                if option in ("-u", "-s", "-n", "-e", "-f", "-p", "-l") and rest:  # options with a value
                    rest.pop(0)
            if rest:
                self.command(rest)


def shell_programs(path):
    with open(path, encoding="utf-8") as f:
        commands = ShellCommands(f.read())
    return set(commands.found)


def cmake_programs():
    """Words of the COMMAND of add_test() calls that name a program (not a target, a path or a variable)."""
    programs, targets = set(), set()
    texts = []
    for name in sorted(os.listdir(os.path.join(REPO, "cmake"))) + ["../CMakeLists.txt"]:
        if name.endswith(".cmake") or name.endswith(".txt"):
            with open(os.path.join(REPO, "cmake", name), encoding="utf-8") as f:
                texts.append(re.sub(r"#[^\n]*", "", f.read()))
    for text in texts:
        targets |= set(re.findall(r"add_executable\(\s*([\w$.{}-]+)", text))
    for text in texts:
        for call in re.findall(r"add_test\((.*?)\)\s*\n", text, re.S):
            command = call.split("COMMAND", 1)[1] if "COMMAND" in call else ""
            command = re.sub(r'"[^"]*"', " ", command).split()
            for word in command:
                if re.fullmatch(r"[A-Za-z][\w.+-]*", word) and word not in targets and not word.isupper():
                    programs.add(word)
    return programs


def python_programs():
    programs = set()
    for folder, _, files in [*os.walk(os.path.join(REPO, "tests")), *os.walk(os.path.join(REPO, "scripts"))]:
        for name in files:
            if name.endswith(".py"):
                with open(os.path.join(folder, name), encoding="utf-8") as f:
                    text = f.read()
                programs |= set(re.findall(r"subprocess\.\w+\(\s*\[\s*\"([^\"/]+)\"", text))
                programs |= set(re.findall(r"\"/usr/s?bin/([^\"/]+)\"", text))
    return programs


def listed_programs():
    with open(os.path.join(REPO, "scripts", "require.sh"), encoding="utf-8") as f:
        table = re.search(r"QUELLIX_PROGRAMS='(.*?)'", f.read(), re.S).group(1)
    return dict(line.split() for line in table.strip().splitlines())


def installed_packages():
    """Array `packages=(...)` of install-deps.sh, without the comments."""
    with open(os.path.join(REPO, "scripts", "install-deps.sh"), encoding="utf-8") as f:
        body = re.search(r"^packages=\((.*?)^\)", f.read(), re.S | re.M).group(1)
    return set(re.sub(r"#[^\n]*", "", body).split())


def dpkg_status():
    """Every installed package: (depends, essential or required)."""
    out = subprocess.run(["dpkg-query", "-W", "-f=${Package}:${Architecture}\t${Status}\t${Essential}\t${Priority}"
                          "\t${Pre-Depends}, ${Depends}\t${Provides}\n"],
                         capture_output=True, text=True, check=True).stdout
    packages, providers = {}, {}
    for line in out.splitlines():
        name, status, essential, priority, depends, provides = line.split("\t")
        if not status.endswith(" installed"):
            continue
        base = name.split(":")[0]
        alternatives = [[re.split(r"[\s(]", a.strip())[0] for a in group.split("|")]
                        for group in depends.split(",") if group.strip()]
        entry = (alternatives, essential == "yes" or priority == "required")
        packages[name] = packages[base] = entry
        for provided in provides.split(","):
            if provided.strip():
                providers.setdefault(re.split(r"[\s(]", provided.strip())[0].split(":")[0], []).append(name)
    return packages, providers


def closure(roots, packages, providers):
    seen, todo = set(), list(roots)
    while todo:
        name = todo.pop()
        candidates = [name] if name in packages else providers.get(name.split(":")[0], [])
        for candidate in candidates:
            base = candidate.split(":")[0]
            if base in seen:
                continue
            seen |= {base, candidate}
            for group in packages[candidate][0]:
                installed = [p for p in group if p.split(":")[0] in packages or p.split(":")[0] in providers]
                todo += installed[:1]
    return seen


def owner(program):
    """The package of the file the program's name finds on the scripts' PATH (following the links
    that update-alternatives makes to the file that a package owns)."""
    path = subprocess.run(["bash", "-c", 'PATH=%s command -v "$1"' % PATH, "-", program], capture_output=True,
                          text=True).stdout.strip()
    if not path:
        return None, "not found on %s" % PATH
    seen = path
    while True:
        for candidate in (path, re.sub(r"^/usr(/s?bin/)", r"\1", path)):
            found = subprocess.run(["dpkg-query", "-S", candidate], capture_output=True, text=True)
            if found.returncode == 0:
                return found.stdout.split(":")[0].split(",")[0].strip(), seen
        if not os.path.islink(path):
            return None, "%s belongs to no package" % seen
        path = os.path.normpath(os.path.join(os.path.dirname(path), os.readlink(path)))
        seen += " -> " + path


def main():
    called = {}
    for name in sorted(os.listdir(os.path.join(REPO, "scripts"))):
        if name.endswith(".sh"):
            for program in shell_programs(os.path.join(REPO, "scripts", name)):
                called.setdefault(program, "scripts/" + name)
    for program in shell_programs(os.path.join(REPO, ".ci", "run")):
        called.setdefault(program, ".ci/run")
    for program in cmake_programs():
        called.setdefault(program, "a CMake test")
    for program in python_programs():
        called.setdefault(program, "a Python test or script")
    # Paths into the repository (scripts, built programs), expansions and the scripts' own functions
    # (also those of a sourced script) are no system programs.
    called = {p: where for p, where in called.items()
              if p and "$" not in p and "/" not in p and p not in KEYWORDS and p not in ShellCommands.functions}

    listed = listed_programs()
    wanted = installed_packages()
    packages, providers = dpkg_status()
    provided = closure(wanted, packages, providers)
    problems = []
    for program, where in sorted(called.items()):
        if program not in listed:
            problems.append("%s (called by %s) is not listed in scripts/require.sh" % (program, where))
            continue
        package = listed[program]
        base = packages.get(package, ([], False))[1]
        if package not in wanted and not base:
            problems.append("%s (called by %s) comes with %s, which scripts/install-deps.sh does not install"
                            % (program, where, package))
            continue
        found, path = owner(program)
        allowed = closure([package], packages, providers) if package in packages else set()
        if found is None:
            problems.append("%s (called by %s): %s" % (program, where, path))
        elif found.split(":")[0] not in allowed and not packages.get(found, ([], False))[1]:
            problems.append("%s (called by %s) is %s, from the package %s, which neither %s nor its dependencies"
                            " bring" % (program, where, path, found, package))
        elif package not in wanted and not (packages.get(found, ([], False))[1] or found in provided):
            problems.append("%s (called by %s) is %s from %s, not in the base system" % (program, where, path, found))
    for problem in problems:
        print("check-deps: " + problem)
    if problems:
        return 1
    print("check-deps: %d programs called by the scripts and tests, each from a package that "
          "scripts/install-deps.sh installs or the base system" % len(called))
    return 0


if __name__ == "__main__":
    sys.exit(main())
