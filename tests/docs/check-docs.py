#!/usr/bin/python3
"""Checks the documents: every relative link of README.md and docs/*.md leads to a file that exists, and
its anchor (#...) to a heading of that file, as GitHub makes anchors; in the checkout and, given the release
zip, inside it too. Every Windows path to KELBRANO.EXE or KELBRANO-MENU.EXE in them is in the folder the README
says to unpack into, and developing.md's clang-format command lays out what scripts/static-analysis.sh checks.
In the zip, no line of a text file may be over 120 characters, and COMMIT.txt must name a commit. Prints each
problem; exits 1 when there is any.
    /usr/bin/python3 tests/docs/check-docs.py [build/win32/KELBRANO-1.0.0-win32.zip]"""
import posixpath
import re
import sys
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
LONGEST = 120
LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(([^)\s]+)(?:\s+\"[^\"]*\")?\)")
CODE_SPAN = re.compile(r"(`+).*?\1")


def prose(text, spans=False):
    """The lines of a Markdown text outside code blocks, with code spans blanked unless spans: (number,
    line)."""
    fenced = False
    previous_blank = True
    in_indented = False
    for number, line in enumerate(text.splitlines(), 1):
        if line.lstrip().startswith("```"):
            fenced = not fenced
            continue
        blank = not line.strip()
        # An indented code block starts after a blank line; list items' own lines are indented by 2.
        in_indented = (line.startswith("    ") and (previous_blank or in_indented)) or (in_indented and blank)
        previous_blank = blank
        if fenced or in_indented:
            continue
        yield number, line if spans else CODE_SPAN.sub("", line)


def anchors(text):
    """The anchors GitHub gives the headings of a Markdown text."""
    seen = {}
    found = set()
    for _, line in prose(text, spans=True):
        match = re.match(r"#{1,6}\s+(.*?)\s*#*\s*$", line.replace("`", ""))
        if not match:
            continue
        heading = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", match.group(1)).lower()
        slug = "".join(c for c in heading if c.isalnum() or c in " -_").replace(" ", "-")
        count = seen.get(slug, 0)
        seen[slug] = count + 1
        found.add(slug if count == 0 else f"{slug}-{count}")
    return found


def check_links(files, problems, where):
    """files: {path with / : text}. Each relative link of each .md file must resolve within files."""
    count = 0
    for name, text in sorted(files.items()):
        if not name.endswith(".md"):
            continue
        for number, line in prose(text):
            for target in LINK.findall(line):
                if re.match(r"[a-z][a-z0-9+.-]*:", target, re.I):  # http:, mailto: and the like
                    continue
                count += 1
                path, _, anchor = target.partition("#")
                resolved = posixpath.normpath(posixpath.join(posixpath.dirname(name), path)) if path else name
                if resolved not in files:
                    problems.append(f"{where}{name}:{number}: {target}: no file {resolved}")
                elif anchor and (not resolved.endswith(".md") or anchor not in anchors(files[resolved])):
                    problems.append(f"{where}{name}:{number}: {target}: no heading #{anchor} in {resolved}")
    return count


def check_paths(files, problems):
    """Each path to the programs (letter case aside, as on Windows) is in the folder the README unpacks into,
    so that the examples run as written."""
    folder = re.search(r"[Uu]npack the zip into[^`]*`([A-Za-z]:\\[^`]+)`", files["README.md"])
    if not folder:
        problems.append("README.md: says no folder to unpack the zip into")
        return
    want = folder.group(1).rstrip("\\").lower() + "\\"
    for name, text in sorted(files.items()):
        for number, line in enumerate(text.splitlines(), 1):
            for path in re.findall(r"[A-Za-z]:\\[^\s\"'`*]*?KELBRANO(?:-MENU)?\.EXE", line, re.I):
                if not path.lower().startswith(want) or "\\" in path[len(want):]:
                    problems.append(f"{name}:{number}: {path} is not in {folder.group(1)}, where the README unpacks")


def check_layout_command(files, problems):
    """developing.md's clang-format command lays out the folders and files the check of the layout checks."""
    def laid_out(command):
        found = re.search(r"find ([\w ]+?) -name", command)
        return sorted(found.group(1).split()) if found else [], sorted(re.findall(r"\b\w+/\*\.\w+", command))
    script = (ROOT / "scripts/static-analysis.sh").read_text(encoding="utf-8")
    checked = laid_out(re.search(r"cpp_files\(\) \{\n(.*?)\n\}", script, re.S).group(1).replace("\n", " "))
    line = next((l for l in files["docs/developing.md"].splitlines() if "clang-format -i" in l), "")
    if laid_out(line) != checked:
        problems.append(f"docs/developing.md: the clang-format command lays out {laid_out(line)}, "
                        f"scripts/static-analysis.sh checks {checked}")


def main():
    problems = []
    checkout = {"README.md": (ROOT / "README.md").read_text(encoding="utf-8"), "LICENSE": ""}
    for path in sorted((ROOT / "docs").iterdir()):
        checkout[f"docs/{path.name}"] = path.read_text(encoding="utf-8") if path.suffix == ".md" else ""
    links = check_links(checkout, problems, "")
    print(f"checkout: {links} relative links in README.md and docs/*.md")
    check_paths(checkout, problems)
    check_layout_command(checkout, problems)

    if len(sys.argv) > 1:
        zip_path = sys.argv[1]
        with zipfile.ZipFile(zip_path) as archive:
            files = {}
            for name in archive.namelist():
                if name.endswith("/"):
                    continue
                data = archive.read(name)
                if name.lower().endswith((".exe", ".png")):
                    files[name] = ""
                    continue
                text = data.decode("utf-8")
                files[name] = text
                for number, line in enumerate(text.splitlines(), 1):
                    if len(line) > LONGEST:
                        problems.append(f"{zip_path}: {name}:{number}: {len(line)} characters, over {LONGEST}")
            links = check_links(files, problems, f"{zip_path}: ")
            print(f"{zip_path}: {links} relative links, {len(files)} files")
            commit = re.search(r"^\s*([0-9a-f]{40}(?:-modified)?)\s*$", files.get("COMMIT.txt", ""), re.M)
            if commit:
                print(f"{zip_path}: COMMIT.txt names {commit.group(1)}")
            else:
                problems.append(f"{zip_path}: COMMIT.txt is missing or names no commit")

    for problem in problems:
        print(f"FAIL: {problem}")
    print(f"{len(problems)} problems" if problems else "PASS: every link and anchor resolves")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
