"""pex.ini as quellix.exe writes it, read back by Python's own INI reader (configparser).

An import run under Wine rewrites the settings section of a pex.ini that also holds two sections
of the host with Shift_JIS text; configparser, in strict mode so that a repeated section or key
fails, must see the host's sections unchanged and our section with its ten keys and values.
"""
import configparser
import os
import re
import shutil
import subprocess
import sys
import tempfile

HOST_KEY = r"HKCU\software\Morvane\Pexlan2\etc"


def wine(repo, *args, timeout=180):
    return subprocess.run([os.path.join(repo, "scripts", "wine-run.sh"), *args], capture_output=True,
                          timeout=timeout, check=False)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def previous_root_path(repo):
    out = wine(repo, "reg", "query", HOST_KEY, "/v", "RootPath").stdout.decode("utf-8", "replace")
    match = re.search(r"RootPath\s+REG_\w+\s+(.*?)\r?$", out, re.MULTILINE)
    return match.group(1) if match else None


def main():
    bin_dir = os.path.abspath(sys.argv[1])
    repo = os.path.abspath(os.path.join(bin_dir, "..", "..", ".."))
    exe = os.path.join(bin_dir, "quellix.exe")
    if not os.path.exists(exe):
        print("quellix.exe has not been built: skipped")
        return 0

    root = tempfile.mkdtemp(prefix="quellix-ini-")
    os.makedirs(os.path.join(root, "reserve", "GigaPocket"))
    ini_path = os.path.join(root, "pex.ini")
    host_before = "[Pexlan]\r\nReserveDir=C:\\予約\\ソ表\\\r\n名前=ゾーン\r\n\r\n"
    host_after = "[After]\r\nKey=表示\r\n"
    ours = "[TFormPdigi]\r\nPdigiDir_Text=C:\\表ソ\\\r\n"
    with open(ini_path, "wb") as f:
        f.write((host_before + ours + host_after).encode("cp932"))

    previous = previous_root_path(repo)
    try:
        wine(repo, "reg", "add", HOST_KEY, "/v", "RootPath", "/t", "REG_SZ", "/d", windows_path(root), "/f")
        run = wine(repo, exe, windows_path(os.path.join(root, "reserve", "GigaPocket")) + "\\")
        if run.returncode != 0:
            print("quellix.exe ended with", run.returncode, run.stderr.decode("utf-8", "replace"))
            return 1

        parser = configparser.ConfigParser(interpolation=None, strict=True)
        parser.optionxform = str  # keep the keys' letter case
        with open(ini_path, encoding="cp932", newline="") as f:
            parser.read_file(f)

        failures = []

        def check(what, actual, expected):
            if actual != expected:
                failures.append(f"{what}: {actual!r} != {expected!r}")

        check("sections", parser.sections(), ["Pexlan", "TFormPdigi", "After"])
        check("host section before", dict(parser["Pexlan"]), {"ReserveDir": "C:\\予約\\ソ表\\", "名前": "ゾーン"})
        check("host section after", dict(parser["After"]), {"Key": "表示"})

        section = parser["TFormPdigi"]
        keys = list(section.keys())
        resolution = [k[len("NormPos"):] for k in keys if k.startswith("NormPos(")]
        check("one resolution key", len(resolution), 1)
        suffix = resolution[0] if resolution else "(?)"
        check("resolution suffix", bool(re.fullmatch(r"\(\d+x\d+\)", suffix)), True)
        check("keys", keys, ["PdigiDir_Text", "FormVersion", "Flags", "ShowCmd", "PixelsPerInch",
                             "MinMaxPos" + suffix, "MinMaxPos", "NormPos" + suffix, "NormPos", "Visible"])
        check("PdigiDir_Text", section.get("PdigiDir_Text"), "C:\\表ソ\\")
        check("FormVersion", section.get("FormVersion"), "0")
        check("ShowCmd", section.get("ShowCmd"), "1")
        check("Visible", section.get("Visible"), "0")
        check("PixelsPerInch", bool(re.fullmatch(r"\d+", section.get("PixelsPerInch", ""))), True)
        four = r"-?\d+,-?\d+,-?\d+,-?\d+"
        for key in ("MinMaxPos", "NormPos"):
            check(key, bool(re.fullmatch(four, section.get(key, ""))), True)
            check(key + suffix, section.get(key + suffix), section.get(key))
        left, top, right, bottom = (int(v) for v in section.get("NormPos", "0,0,0,0").split(","))
        check("window size", (right - left, bottom - top), (445, 183))

        for failure in failures:
            print(failure)
        return 1 if failures else 0
    finally:
        if previous is not None:
            wine(repo, "reg", "add", HOST_KEY, "/v", "RootPath", "/t", "REG_SZ", "/d", previous, "/f")
        else:
            wine(repo, "reg", "delete", HOST_KEY, "/v", "RootPath", "/f")
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
