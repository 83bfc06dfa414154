#!/usr/bin/env python3
"""The parts of a release that need more than the shell: its addresses, its zip, and the zip's check.

Usage:
  release.py urls HOME_URL SUPPORT_URL
      fails with a one-line message when an address is missing, is not a plain http(s) address, or
      lies on a placeholder domain (example.com, example.org, example.net and every host under them,
      and the reserved top-level domains .example, .invalid, .localhost, .test).
  release.py zip EXE VERSION EPOCH OUTPUT_FOLDER
      writes OUTPUT_FOLDER/quellix-VERSION-win32.zip and prints its SHA-256 and the exe's.
  release.py check ZIP
      lists the zip's entries and fails unless it holds exactly the five files of a release, in
      their order, with the exe a PE32 program whose version resource and manifest show the version
      in the zip's name, the licence, both guides as UTF-8 with a byte-order mark and CRLF line ends
      and without a Markdown image line, and SHA256SUMS matching the other four.

The zip is the same, byte for byte, for the same inputs: its entries come in a fixed order, each
with the time EPOCH (the commit's date, as seconds since 1970, written as UTC), the same
attributes, and stored without compression (no compressor's version can change the bytes).
"""
import datetime
import hashlib
import io
import os
import re
import struct
import sys
import urllib.parse
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The five files of a release, in the zip's order: the program, its licence, the English README and
# the Japanese user's guide as texts that Windows' Notepad opens, and the SHA-256 of those four.
EXE, LICENSE, README, README_JA, SUMS = "quellix.exe", "LICENSE", "README.txt", "README.ja.txt", "SHA256SUMS"
ENTRIES = [EXE, LICENSE, README, README_JA, SUMS]
BOM = b"\xef\xbb\xbf"
PLACEHOLDER_DOMAINS = ("example.com", "example.org", "example.net")
RESERVED_TLDS = ("example", "invalid", "localhost", "test")
# A Markdown image on a line of its own: the zip holds no pictures, so its guides say in words what
# the picture shows (the image's alternative text).
IMAGE_LINE = re.compile(r"^[ \t]*!\[([^\]]*)\]\([^)]*\)[ \t]*$", re.M)
# What the build accepts in an address (CMakeLists.txt): it goes into C and resource-script strings.
URL_CHARACTERS = re.compile(r"^https?://[A-Za-z0-9._~:/?#@!$&'()*+,;=%-]+$")


class Refused(Exception):
    pass


def check_url(what, url):
    if not url:
        raise Refused("the %s address is missing" % what)
    if not URL_CHARACTERS.match(url):
        raise Refused("the %s address '%s' is not an http:// or https:// address of plain URL characters" % (what, url))
    host = (urllib.parse.urlsplit(url).hostname or "").rstrip(".")
    if not host:
        raise Refused("the %s address '%s' names no host" % (what, url))
    labels = host.split(".")
    if any(host == d or host.endswith("." + d) for d in PLACEHOLDER_DOMAINS) or labels[-1] in RESERVED_TLDS:
        raise Refused("the %s address '%s' lies on a placeholder domain; give the real one" % (what, url))


def crlf(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def notepad_text(path):
    """A UTF-8 text as Notepad of every Windows version reads it: with a byte-order mark and CRLF."""
    with open(path, "rb") as f:
        data = f.read()
    return BOM + crlf(data[len(BOM):] if data.startswith(BOM) else data)


def guide_text(path):
    """A guide as the zip holds it: each Markdown image line replaced by its alternative text."""
    text = notepad_text(path).decode("utf-8")
    return IMAGE_LINE.sub(lambda m: m.group(1), text.replace("\r\n", "\n")).replace("\n", "\r\n").encode("utf-8")


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def zip_name(version):
    return "quellix-%s-win32.zip" % version


def make_zip(exe_path, version, epoch, folder):
    with open(exe_path, "rb") as f:
        exe = f.read()
    with open(os.path.join(REPO, "LICENSE"), "rb") as f:
        licence = crlf(f.read())
    files = {EXE: exe, LICENSE: licence, README: guide_text(os.path.join(REPO, "README.md")),
             README_JA: guide_text(os.path.join(REPO, "README.ja.md"))}
    # sha256sum's format ("HASH  NAME"), which `sha256sum -c` reads, with CRLF for Notepad.
    files[SUMS] = "".join("%s  %s\r\n" % (sha256(files[name]), name) for name in ENTRIES[:-1]).encode("ascii")
    # Zip times have no zone and a two-second step, and cannot lie before 1980.
    when = datetime.datetime.fromtimestamp(max(int(epoch), 315532800), datetime.timezone.utc)
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_STORED) as archive:
        for name in ENTRIES:
            info = zipfile.ZipInfo(name, date_time=when.timetuple()[:6])
            info.create_system = 3  # Unix, so that the mode below is what unzip gives the file
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_STORED
            archive.writestr(info, files[name])
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, zip_name(version))
    with open(path + ".tmp", "wb") as f:
        f.write(buffer.getvalue())
    os.replace(path + ".tmp", path)
    print("%s  %s" % (sha256(buffer.getvalue()), path))
    print("%s  %s (in the zip)" % (sha256(exe), EXE))
    return path


def pe32_facts(exe):
    """The machine, optional-header magic, version-resource FileVersion and manifest version of an exe."""
    if exe[:2] != b"MZ":
        raise Refused("%s is not a Windows program" % EXE)
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe:pe + 4] != b"PE\0\0":
        raise Refused("%s is not a Windows program" % EXE)
    machine = struct.unpack_from("<H", exe, pe + 4)[0]
    magic = struct.unpack_from("<H", exe, pe + 24)[0]
    # A version resource's String: the key in UTF-16 with its NUL, padding to 32 bits, the value.
    key = "FileVersion\0".encode("utf-16-le")
    at = exe.find(key)
    file_version = None
    if at >= 0:
        start = at + len(key)
        start += (-start) % 4
        end = start
        while end + 1 < len(exe) and exe[end:end + 2] != b"\0\0":
            end += 2
        file_version = exe[start:end].decode("utf-16-le")
    identity = re.search(rb'<assemblyIdentity[^>]*\sversion="([^"]*)"', exe)
    return machine, magic, file_version, identity.group(1).decode("ascii") if identity else None


def four_parts(version):
    parts = version.split(".")
    return ".".join(parts + ["0"] * (4 - len(parts)))


def check_zip(path):
    match = re.fullmatch(r"quellix-([0-9]+(?:\.[0-9]+){0,3})-win32\.zip", os.path.basename(path))
    if not match:
        raise Refused("%s: the name is not quellix-<version>-win32.zip" % path)
    version = four_parts(match.group(1))
    with zipfile.ZipFile(path) as archive:
        if archive.testzip() is not None:
            raise Refused("%s: an entry is damaged" % path)
        infos = archive.infolist()
        files = {info.filename: archive.read(info) for info in infos}
    for info in infos:
        print("%10d  %04d-%02d-%02d %02d:%02d:%02d  %o  %s  %s" % ((info.file_size,) + info.date_time + (
            info.external_attr >> 16, sha256(files[info.filename]), info.filename)))
    names = [info.filename for info in infos]
    if names != ENTRIES:
        raise Refused("the zip holds %s, not %s" % (names, ENTRIES))
    if len({(info.date_time, info.external_attr, info.create_system) for info in infos}) != 1:
        raise Refused("the zip's entries differ in time or attributes")
    machine, magic, file_version, manifest_version = pe32_facts(files[EXE])
    if (machine, magic) != (0x14C, 0x10B):
        raise Refused("%s is not a PE32 program for x86 (machine 0x%x, optional header 0x%x)" % (EXE, machine, magic))
    if file_version != version or manifest_version != version:
        raise Refused("the zip's name says %s; the exe's version resource %s, its manifest %s" % (
            version, file_version, manifest_version))
    with open(os.path.join(REPO, "LICENSE"), "rb") as f:
        licence = f.read()
    if not licence.startswith(b"MIT License") or files[LICENSE] != crlf(licence):
        raise Refused("%s is not the project's MIT licence with CRLF line ends" % LICENSE)
    for name in (README, README_JA):
        text = files[name]
        if not text.startswith(BOM) or text.count(b"\n") != text.count(b"\r\n") or text.count(b"\n") < 10:
            raise Refused("%s is not UTF-8 with a byte-order mark and CRLF line ends" % name)
        if IMAGE_LINE.search(text.decode("utf-8").replace("\r\n", "\n")):
            raise Refused("%s shows a Markdown image, but the zip holds no pictures" % name)
    if b"MIT" not in files[README] or "MIT".encode() not in files[README_JA]:
        raise Refused("a guide does not name the licence")
    expected = "".join("%s  %s\r\n" % (sha256(files[name]), name) for name in ENTRIES[:-1]).encode("ascii")
    if files[SUMS] != expected:
        raise Refused("%s does not match the other four files" % SUMS)
    print("%s: the five files of release %s, checked" % (os.path.basename(path), match.group(1)))


def main(argv):
    try:
        if len(argv) == 4 and argv[1] == "urls":
            check_url("home page", argv[2])
            check_url("support", argv[3])
        elif len(argv) == 6 and argv[1] == "zip":
            make_zip(argv[2], argv[3], argv[4], argv[5])
        elif len(argv) == 3 and argv[1] == "check":
            check_zip(argv[2])
        else:
            print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
            return 2
    except (Refused, OSError, UnicodeDecodeError, zipfile.BadZipFile, struct.error) as error:
        print("release: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
