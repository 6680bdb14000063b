"""Every Debian package that the tests and the package build use comes with `make` on a fresh Debian 12:
it is in the Makefile's PACKAGES, is a dependency of one there, or is on every minimal root (Priority
required, or Essential). The commands the test scripts run and the Python modules they and the pictures'
script import are read from the files; INDIRECT names what no file does. packages.py <source dir>"""
import glob
import importlib.util
import os
import re
import shutil
import subprocess
import sys

INDIRECT = {
    "file": "CPack's DEB generator runs the file program to find the ELF files for dpkg-shlibdeps",
    "dpkg-dev": "CPack's DEB generator runs dpkg-shlibdeps for the package's dependencies",
    "at-spi2-core": "pyatspi talks to the accessibility registry, started by the session bus",
    "clang-format": "make lint checks the format of every C++ file",
    "qt6-base-dev": "the build finds Qt 6 through CMake", "libbenchmark-dev": "make builds the benchmarks",
}
os.chdir(sys.argv[1])
run = lambda *command: subprocess.run(command, capture_output=True, text=True).stdout
needs = {}  # a file used: why
for name in glob.glob("tests/**/*.sh", recursive=True) + ["tools/privateXvfb.sh", "tests/CMakeLists.txt"]:
    text = re.sub(r"(^|\s)#.*|'[^']*'", "", open(name).read())  # no comments, no programs given in quotes
    if name.endswith(".txt"):
        text = "\n".join(re.findall(r"\b(?:COMMAND|RUN)\s+(.*)", text))
    place = r"(?:^|[|;&(!]|\b(?:then|do|else|timeout \d+)\s)\s*(?:\w+=\S*\s+)*([A-Za-z][\w.+-]*)"
    for word in re.findall(place, text, re.M):
        if path := shutil.which(word, path="/usr/sbin:/usr/bin:/sbin:/bin"):
            needs.setdefault(os.path.realpath(path), "the command %s, run by %s" % (word, name))
for name in glob.glob("tests/**/*.py", recursive=True) + ["ui/pictures/makePictures.py"]:
    for module in re.findall(r"^\s*(?:from|import) (\w+)", open(name).read(), re.M):
        origin = getattr(importlib.util.find_spec(module), "origin", None) or ""
        if origin.startswith("/usr/"):
            needs.setdefault(origin, "the Python module %s, imported by %s" % (module, name))
owners = {}  # dpkg knows a file of the merged /usr by one of its names: ask for both
for line in run("dpkg", "-S", *needs, *(re.sub("^/usr/", "/", path) for path in needs)).splitlines():
    packages, _, path = line.partition(": ")
    owners["/usr" + path if not path.startswith("/usr/") else path] = packages.split(":")[0].split(", ")[0]
wanted = {owners[path]: why for path, why in needs.items() if path in owners} | INDIRECT

listed = run("make", "-s", "--no-print-directory", "--eval=packages: ; @echo $(PACKAGES)", "packages").split()
depends, present = {}, set()
for line in run("dpkg-query", "-W", "-f=${Package}\t${Priority} ${Essential}\t${Pre-Depends}, ${Depends}\n",
                ).splitlines():
    package, kind, names = line.split("\t")
    depends[package] = re.findall(r"(?:^|[,|])\s*([\w.+-]+)", names)
    if kind.startswith("required") or kind.endswith(" yes"):
        listed.append(package)
while listed:  # what a fresh root gets: those packages and their dependencies, every alternative counted
    package = listed.pop()
    if package not in present:
        present.add(package)
        listed += depends.get(package, [])
missing = {package: why for package, why in wanted.items() if package not in present}
for package, why in missing.items():
    print("FAIL: %s is needed, but nothing in the Makefile's PACKAGES brings it: %s" % (package, why))
sys.exit(1 if missing else 0)
