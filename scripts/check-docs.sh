#!/usr/bin/env bash
# Checks the links of the README and docs/: every file a link names exists, and
# every #anchor is a heading of its page (as the web view makes anchors: lower
# case, punctuation dropped, spaces as dashes, a repeated heading numbered).
. "$(dirname "${BASH_SOURCE[0]}")/fail-loudly.sh"
cd "$(dirname "$0")/.."
python3 - README.md docs/*.md <<'PY'
import os, re, sys

def slug(heading):
    return re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")

def anchors(path):
    found, seen = set(), {}
    for match in re.finditer(r"^#+ (.*)$", open(path, encoding="utf-8").read(), re.M):
        base = slug(match.group(1))
        seen[base] = seen.get(base, -1) + 1
        found.add(base if seen[base] == 0 else f"{base}-{seen[base]}")
    return found

bad = 0
for page in sys.argv[1:]:
    text = re.sub(r"```.*?```", "", open(page, encoding="utf-8").read(), flags=re.S)
    for target in re.findall(r"\]\(([^)\s]+)\)", text):
        if re.match(r"[a-z]+:", target):
            continue
        path, _, anchor = target.partition("#")
        linked = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
        if not os.path.exists(linked):
            print(f"{page}: links to {target}, which is not there", file=sys.stderr)
            bad += 1
        elif anchor and (not linked.endswith(".md") or anchor not in anchors(linked)):
            print(f"{page}: links to {target}, which is no heading there", file=sys.stderr)
            bad += 1
if bad:
    sys.exit(f"check-docs: {bad} broken link(s)")
print("docs: every link names a file and heading that are there")
PY
