#!/usr/bin/env python3
"""Writes docs/user-guide.html from README.md's sections for users; run after editing them."""
import html
import pathlib
import re

SECTIONS = ["First try", "User guide", "Batch command", "Reading bursts", "Labelling bursts",
            "Where Dornvale keeps its files"]
root = pathlib.Path(__file__).resolve().parent.parent


def inline(text):
    text = html.escape(text, quote=False)
    text = re.sub(r"`([^`]+)`", r"<code>\1</code>", text)
    text = re.sub(r"\*\*([^*]+)\*\*", r"<b>\1</b>", text)
    return text


def convert(lines):
    out, para, items, code, table = [], [], [], [], []

    def flush():
        if para:
            out.append("<p>" + inline(" ".join(para)) + "</p>")
            para.clear()
        if items:
            out.append("<ul>" + "".join("<li>" + inline(i) + "</li>" for i in items) + "</ul>")
            items.clear()
        if code:
            out.append("<pre>" + html.escape("\n".join(code)) + "</pre>")
            code.clear()
        if table:
            rows = [r for r in table if not re.match(r"^\|[\s|-]+\|$", r)]
            cells = [[c.strip() for c in r.strip("|").split("|")] for r in rows]
            head = "".join("<th>" + inline(c) + "</th>" for c in cells[0])
            body = "".join("<tr>" + "".join("<td>" + inline(c) + "</td>" for c in r) + "</tr>" for r in cells[1:])
            out.append("<table><tr>" + head + "</tr>" + body + "</table>")
            table.clear()

    for line in lines:
        if line.startswith("!["):
            continue
        if line.startswith("    ") and not items:
            if para:
                flush()
            code.append(line[4:])
            continue
        if code and line.strip() == "":
            code.append("")
            continue
        if code:
            while code and code[-1] == "":
                code.pop()
            flush()
        heading = re.match(r"^(#+) (.*)", line)
        if heading:
            flush()
            level = len(heading.group(1))
            out.append(f"<h{level}>{inline(heading.group(2))}</h{level}>")
        elif line.startswith("|"):
            if para or items:
                flush()
            table.append(line)
        elif line.startswith("- "):
            if para or table:
                flush()
            items.append(line[2:])
        elif line.startswith("  ") and items:
            items[-1] += " " + line.strip()
        elif line.strip() == "":
            flush()
        else:
            if table:
                flush()
            para.append(line.strip())
    flush()
    return out


readme = (root / "README.md").read_text(encoding="utf-8").splitlines()
chosen, keep = [], False
for line in readme:
    if line.startswith("## "):
        keep = line[3:] in SECTIONS
    if keep:
        chosen.append(line)
body = "\n".join(convert(chosen))
page = f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Dornvale User Guide</title>
<style>body{{font-family:sans-serif;max-width:50em;margin:2em auto;padding:0 1em;line-height:1.45}}
pre,code{{background:#f2f2f2}}pre{{padding:.5em;overflow-x:auto}}table{{border-collapse:collapse}}
td,th{{border:1px solid #bbb;padding:.2em .5em;text-align:left}}</style></head>
<body>
<h1>Dornvale User Guide</h1>
{body}
</body></html>
"""
(root / "docs" / "user-guide.html").write_text(page, encoding="utf-8")
