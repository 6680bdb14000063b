"""Every Debian package that the tests and the package build use comes with `make` on a fresh Debian 12: it
is named in the Makefile's PACKAGES, is a dependency of one named there, or is on every minimal root
(Priority required or Essential yes). The needs are read from the files: the commands the test scripts and
tests/CMakeLists.txt run, the Python modules they and ui/pictures/makePictures.py import, the absolute paths
they name, the compiler and the CMake packages in the build's cache; INDIRECT lists what no file names.
Run by Debian's own /usr/bin/python3, for its modules: packages.py <source dir> <build dir>"""
import glob
import importlib.util
import os
import re
import subprocess
import sys

INDIRECT = {
    "dpkg-dev": "CPack's DEB generator runs dpkg-shlibdeps for the package's dependencies",
    "file": "CPack's DEB generator runs the file program to find the ELF files for dpkg-shlibdeps",
    "at-spi2-core": "the accessibility registry that pyatspi talks to, started by the session bus",
    "libxcb1-dev": "bench/CMakeLists.txt links X11::xcb, and make configures the benchmarks",
}
source, build = sys.argv[1:3]
os.chdir(source)
scripts = ["tests/CMakeLists.txt", "tools/privateXvfb.sh"] + glob.glob("tests/**/*.sh", recursive=True)
python = [name for name in glob.glob("tests/**/*.py", recursive=True) if name != "tests/packages.py"]


def run(*command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options).stdout


paths = {}  # a path used: why
words = {}  # a word in a command's place: the file
for name in scripts + python:
    text = open(name).read()
    if name.endswith(".py"):
        found = re.findall(r"subprocess\.\w+\(\s*\[\s*\"([^\"]+)", text)
    else:
        text = re.sub(r"(^|\s)#.*", "", text)  # no comments
        if name.endswith(".txt"):  # CMake: only what the tests run
            text = "\n".join(re.findall(r"\b(?:COMMAND|RUN)\s+(.*)", text))
        text = re.sub(r"(?:(?<=awk )|(?<=-c ))'[^']*'", "", text)  # no awk program, no Python given to -c
        # A word at a line's start or after | ; & ( ! $( then do else or timeout N, past any VAR=value.
        place = r"(?:^|[|;&(!]|\b(?:then|do|else|timeout \d+)\s)\s*(?:\w+=\S*\s+)*"
        found = re.findall(place + r"([A-Za-z][\w.+-]*)", text, re.M)
    words.update({word: name for word in found if word not in words})
located = run("bash", "-c", 'for w; do p=$(command -v "$w") && [ "${p#/}" != "$p" ] && echo "$w $p"; done; :',
              "-", *sorted(words), env={"PATH": "/usr/sbin:/usr/bin:/sbin:/bin"})  # a fresh root's PATH
for word, path in (line.split(" ", 1) for line in located.splitlines()):
    paths.setdefault(path, "the command %s, run by %s" % (word, words[word]))
for name in scripts + python + ["ui/pictures/makePictures.py"]:
    text = open(name).read()
    for path in re.findall(r"(?<![\w$}.])/(?:usr|etc|bin|lib)/[\w./+-]*\w", text):
        paths.setdefault(path, "%s, named in %s" % (path, name))
    for module in ("".join(m) for m in re.findall(r"^\s*(?:from (\w+) import|import (\w+))", text, re.M)):
        spec = importlib.util.find_spec(module)
        if spec is None:
            sys.exit("FAIL: %s imports %s, which Debian's Python does not have" % (name, module))
        if spec.origin not in (None, "built-in", "frozen"):  # None: a namespace, no file
            paths.setdefault(spec.origin, "the Python module %s, imported by %s" % (module, name))
cache = open(os.path.join(build, "CMakeCache.txt")).read()
for key, path in re.findall(r"^(CMAKE_CXX_COMPILER|\w+_DIR):(?:FILE)?PATH=(/.*)", cache, re.M):
    paths.setdefault(path, "%s=%s in the build's CMake cache" % (key, path))


def aliases(path):  # Debian 12 merges /bin into /usr/bin, but dpkg knows each file by one of its names
    for name in sorted({path, os.path.realpath(path)}):
        yield from (name, re.sub(r"^/usr/", "/", name), "/usr" + name)


owners = {}  # path: its packages
for line in run("dpkg", "-S", *{alias for path in paths for alias in aliases(path)}).splitlines():
    packages, _, path = line.partition(": ")  # "diversion by ..." lines name no owner: no such package
    owners[path] = [package.split(":")[0] for package in packages.split(", ")]
needs = {(package,): why for package, why in INDIRECT.items()}  # any of these packages: why
for path, why in paths.items():
    packages = tuple(dict.fromkeys(package for alias in aliases(path) for package in owners.get(alias, [])))
    if packages and not any(set(packages) & set(need) for need in needs):
        needs[packages] = why

# What a fresh root gets: PACKAGES, every required or essential package, and their dependencies (of each
# group the first alternative installed here, a virtual name through its providers).
listed = run("make", "-s", "--no-print-directory", "--eval=packages: ; @echo $(PACKAGES)", "packages",
             env={**os.environ, "MAKEFLAGS": ""}).split()
installed, providers = {}, {}  # package: (on every minimal root, its dependencies); virtual name: packages
for line in run("dpkg-query", "-W", "-f=${db:Status-Abbrev}\t${Package}\t${Priority} ${Essential}\t"
                "${Provides}\t${Pre-Depends}, ${Depends}\n").splitlines():
    status, package, priority, provides, depends = line.split("\t")
    if status.startswith("ii"):
        installed[package] = (priority.startswith("required") or priority.endswith(" yes"), depends)
        for virtual in re.findall(r"(?:^|,)\s*([\w.+-]+)", provides):
            providers.setdefault(virtual, []).append(package)
present = set()
pending = listed + [package for package, (minimal, _) in installed.items() if minimal]
while pending:
    package = pending.pop()
    if package in installed and package not in present:
        present.add(package)
        for group in installed[package][1].split(","):
            for name in re.findall(r"(?:^|\|)\s*([\w.+-]+)", group):
                chosen = [name] if name in installed else providers.get(name, [])
                if chosen:
                    pending += chosen
                    break

missing = {packages: why for packages, why in needs.items() if not present & set(packages)}
for packages, why in missing.items():
    print("FAIL: %s is needed, but nothing in the Makefile's PACKAGES brings it: %s"
          % (" or ".join(packages), why))
print("%d needs checked against the %d packages of PACKAGES" % (len(needs), len(listed)))
sys.exit(1 if missing else 0)
