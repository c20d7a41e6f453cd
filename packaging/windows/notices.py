#!/usr/bin/env python3
"""Writes the licence texts that travel with tolvane.exe into a folder.

tolvane.exe carries a static Qt (Core, Gui, Widgets), the third-party libraries Qt builds in, and
the MinGW-w64 C and C++ runtime. Their licences ask that their notices go with the program:
  Qt-LGPL-3.0.txt, Qt-GPL-3.0.txt   Qt's licence (the LGPL 3 builds on the GPL 3's text)
  Qt-third-party.txt                each library Qt builds in: name, version, copyright, licence
  MinGW-w64-runtime.txt, GCC-runtime.txt   the compiler's runtime, as Debian documents it

Usage: notices.py QT_SOURCE_TARBALL OUTPUT_FOLDER
"""
import json
import os
import sys
import tarfile

# The libraries under src/3rdparty that the Windows build of Qt compiles in (the rest serve other
# systems or features that build leaves out).
BUILT_IN = ["double-conversion", "easing", "freetype", "harfbuzz-ng", "icc", "libpng", "md4",
            "md5", "pcre2", "rfc6234", "sha1", "sha3", "blake2", "tinycbor", "zlib"]
RUNTIME_NOTICES = {
    "MinGW-w64-runtime.txt": "/usr/share/doc/mingw-w64-x86-64-dev/copyright",
    "GCC-runtime.txt": "/usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright",
}


def read_members(tarball):
    """The licence files and attribution records of the Qt source, by path inside its folder."""
    wanted = {}
    with tarfile.open(tarball) as archive:
        for member in archive:
            if not member.isfile():
                continue
            path = member.name.split("/", 1)[1] if "/" in member.name else member.name
            folder = path.split("/")
            if path.startswith("LICENSES/") or (
                    len(folder) >= 4 and folder[:2] == ["src", "3rdparty"]
                    and folder[2] in BUILT_IN):
                wanted[path] = archive.extractfile(member).read()
    return wanted


def third_party(files):
    sections = []
    for name in BUILT_IN:
        folder = f"src/3rdparty/{name}/"
        record = files.get(folder + "qt_attribution.json")
        if record is None:
            raise SystemExit(f"notices: {folder}qt_attribution.json is missing from the source")
        # Some records hold raw line breaks inside their strings.
        entries = json.loads(record.decode("utf-8"), strict=False)
        for entry in entries if isinstance(entries, list) else [entries]:
            lines = [entry.get("Name", name), "=" * len(entry.get("Name", name))]
            for key in ("Version", "License", "Copyright"):
                if entry.get(key):
                    lines.append(f"{key}: {entry[key].strip()}")
            licence_files = entry.get("LicenseFile") or entry.get("LicenseFiles") or []
            for licence in [licence_files] if isinstance(licence_files, str) else licence_files:
                text = files.get(folder + licence)
                if text is not None:
                    lines += ["", text.decode("utf-8", "replace").strip()]
            sections.append("\n".join(lines))
    return ("Libraries that Qt builds into tolvane.exe\n\n" + "\n\n\n".join(sections) + "\n")


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    tarball, out = sys.argv[1:]
    os.makedirs(out, exist_ok=True)
    files = read_members(tarball)
    for source, target in (("LICENSES/LGPL-3.0-only.txt", "Qt-LGPL-3.0.txt"),
                           ("LICENSES/GPL-3.0-only.txt", "Qt-GPL-3.0.txt")):
        with open(os.path.join(out, target), "wb") as f:
            f.write(files[source])
    with open(os.path.join(out, "Qt-third-party.txt"), "w", encoding="utf-8") as f:
        f.write(third_party(files))
    for target, source in RUNTIME_NOTICES.items():
        with open(source, "rb") as f, open(os.path.join(out, target), "wb") as g:
            g.write(f.read())
    return 0


if __name__ == "__main__":
    sys.exit(main())
