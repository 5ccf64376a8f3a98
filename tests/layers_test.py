#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

The layers, lowest first (README "Layout"):
  base/                      errors and text semantics; nothing of ours
  platform/                  interfaces, in-memory fakes, fault wrappers, the mail client's model
  html/                      HTML read as text (gumbo); the one adapter other adapters may use
  posix/ tty/ web/ localmail/ odbc/
                             the real parts: base, platform and html only, each its own folder
  common/                    settings < diagnostics < forms, compose: base and platform only
  addin/ optionspage/ profilewizard/ sendtomany/
                             the deliverables: base, platform, common, their own folder
  programs/ tests/ bench/ fuzz/
                             anything
A test of a lower layer (x_test.cc and the fixtures it uses) may also include the adapters it
exercises, never a deliverable or a program, and the shared test helpers of tests/support that
the library vellumo_test_support holds (SHARED_TEST_SUPPORT); those see base and platform only.

Usage: layers_test.py [ROOT]     check the tree at ROOT (default: this checkout)
       layers_test.py --self-test
"""
import pathlib
import re
import sys
import tempfile

ADAPTERS = {"posix", "tty", "web", "localmail", "odbc"}
DELIVERABLES = {"addin", "optionspage", "profilewizard", "sendtomany"}
ANYTHING = {"programs", "tests", "bench", "fuzz"}
# Inside common/, a folder sees those of a lower rank and its own.
COMMON_RANK = {"settings": 0, "diagnostics": 1, "forms": 2, "compose": 2}

# The headers of vellumo_test_support (tests/support/CMakeLists.txt). The other files of
# tests/support serve the integration tests alone.
SHARED_TEST_SUPPORT = {"tests/support/scoped_temp_dir.h", "tests/support/thrown_code.h",
                       "tests/support/registry_dump.h", "tests/support/source_dir.h"}
SHARED_TEST_SUPPORT_SOURCES = {"tests/support/scoped_temp_dir.cc",
                               "tests/support/registry_dump.cc", "tests/support/source_dir.cc"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def area(path):
    """('common', 'forms'), ('base', None), ... for a path relative to the root."""
    parts = path.split("/")
    if parts[0] == "common" and len(parts) > 2:
        return "common", parts[1]
    return parts[0], None


def is_test_file(path):
    name = path.rsplit("/", 1)[-1]
    return (name.endswith("_test.cc") or name.endswith("_fixture.h") or
            name.endswith("_testing.h") or name.endswith("_test_support.h"))


def allowed(src, dst):
    """Whether the file src may include the header dst (both relative paths)."""
    (top, sub), (dtop, dsub) = area(src), area(dst)
    if src in SHARED_TEST_SUPPORT or src in SHARED_TEST_SUPPORT_SOURCES:
        return dtop in ("base", "platform") or dst in SHARED_TEST_SUPPORT
    if dst in SHARED_TEST_SUPPORT and is_test_file(src):
        return True
    if top in ANYTHING:
        return True
    if is_test_file(src) and (dtop in ADAPTERS or dtop == "html"):
        return True
    if dtop == "base":
        return True
    if top == "base":
        return False
    if dtop == "platform":
        return top != "html"
    if top == "platform":
        return False
    if top == "html":
        return dtop == "html"
    if top in ADAPTERS:
        return dtop == top or dtop == "html"
    if top == "common":
        if dtop != "common":
            return False
        if dsub == sub:
            return True
        return COMMON_RANK.get(dsub, 99) < COMMON_RANK.get(sub, -1)
    if top in DELIVERABLES:
        return dtop == "common" or dtop == top
    return False


def check(root):
    root = pathlib.Path(root)
    faults = []
    checked = 0
    tops = ({"base", "platform", "html", "common"} | ADAPTERS | DELIVERABLES)
    files = []
    for top in sorted(tops):
        folder = root / top
        if folder.is_dir():
            files += sorted(f for f in folder.rglob("*") if f.suffix in (".h", ".cc", ".inc"))
    files += [root / name for name in sorted(SHARED_TEST_SUPPORT | SHARED_TEST_SUPPORT_SOURCES)]
    for file in files:
        if not file.is_file():
            continue
        src = file.relative_to(root).as_posix()
        text = file.read_text(encoding="utf-8", errors="replace")
        checked += 1
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if match and "/" in match.group(1) and not allowed(src, match.group(1)):
                faults.append(f"{src}:{number}: includes \"{match.group(1)}\", a layer above "
                              f"{area(src)[0]}/")
    return checked, faults


def self_test():
    """The checker itself: an upward include is caught, the allowed ones are not."""
    cases = [
        ("base/text.h", "platform/file_system.h", False),
        ("platform/registry.cc", "base/error.h", True),
        ("platform/env.h", "posix/system_clock.h", False),
        ("posix/sqlite_registry.cc", "platform/registry.h", True),
        ("posix/sqlite_registry.cc", "common/settings/settings.h", False),
        ("localmail/mime_message.cc", "html/html_text.h", True),
        ("localmail/local_client.cc", "web/web_host.h", False),
        ("common/settings/settings.cc", "common/diagnostics/log.h", False),
        ("common/compose/neutralise.cc", "common/diagnostics/log.h", True),
        ("common/compose/neutralise.cc", "common/forms/file_list.h", False),
        ("common/compose/neutralise.cc", "addin/connect.h", False),
        ("common/forms/message_form_test.cc", "tty/tty_host.h", True),
        ("common/forms/message_form_test.cc", "addin/connect.h", False),
        ("addin/connect.cc", "localmail/local_client.h", False),
        ("addin/connect.cc", "common/compose/tips.h", True),
        ("programs/vellumo/main.cc", "addin/connect.h", True),
        ("base/text_test.cc", "tests/support/thrown_code.h", True),
        ("platform/reg_file_test.cc", "tests/support/registry_dump.h", True),
        ("base/text.cc", "tests/support/thrown_code.h", False),
        ("posix/sqlite_registry_test.cc", "tests/support/send_home.h", False),
        ("tests/support/registry_dump.h", "platform/registry.h", True),
        ("tests/support/source_dir.cc", "tests/support/source_dir.h", True),
        ("tests/support/scoped_temp_dir.cc", "tests/support/test_files.h", False),
        ("tests/support/registry_dump.cc", "localmail/mime_message.h", False),
        ("tests/send_corpus_test.cc", "tests/support/send_home.h", True),
    ]
    wrong = [c for c in cases if allowed(c[0], c[1]) != c[2]]
    for src, dst, expected in wrong:
        print(f"self-test: {src} -> {dst}: expected {'allowed' if expected else 'refused'}")
    with tempfile.TemporaryDirectory() as tmp:
        (pathlib.Path(tmp) / "base").mkdir()
        (pathlib.Path(tmp) / "base/text.h").write_text('#include "platform/env.h"\n')
        _, faults = check(tmp)
        if len(faults) != 1 or not faults[0].startswith("base/text.h:1:"):
            print("self-test: an upward include in a tree was not reported:", faults)
            wrong.append("tree")
    return 1 if wrong else 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent
    checked, faults = check(root)
    for fault in faults:
        print(fault)
    if checked == 0:
        print(f"no sources found under {root}")
        return 1
    print(f"{checked} files checked, {len(faults)} includes against the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
