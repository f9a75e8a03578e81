#!/usr/bin/python3
"""Turns the user guide's Markdown into a PDF with its pictures.

    build_guide.py --markdown user-guide.md --css guide.css --base DIR --output GUIDE.pdf

Markdown to HTML with Python-Markdown, HTML to PDF with WeasyPrint (both Debian packages).
Pictures are looked up relative to --base; a missing one stops the build rather than leave
a hole in the guide. The first "# " heading and the paragraph after it make the title page,
the "## " and "### " headings the table of contents.
"""

import argparse
import datetime
import html
import logging
import os
import re
import sys
import tempfile

import markdown
import weasyprint


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--markdown", required=True)
    parser.add_argument("--css", required=True)
    parser.add_argument("--base", required=True, help="folder the picture paths start from")
    parser.add_argument("--output", required=True)
    parser.add_argument("--html", help="also write the intermediate HTML here")
    parser.add_argument("--version", required=True, help="the program's version")
    return parser.parse_args()


def split_title(text):
    """The title line and the subtitle paragraph before the first "## ", and the rest."""
    match = re.match(r"\s*# (?P<title>[^\n]+)\n(?P<intro>.*?)(?=^## )", text, re.S | re.M)
    if not match:
        sys.exit("build_guide: the guide must begin with a '# ' title and its subtitle")
    return match["title"].strip(), match["intro"].strip(), text[match.end():]


def contents_list(tokens):
    """Nested list items for the table of contents, with page numbers filled in by CSS."""
    items = []
    for token in tokens:
        entry = f'<li><a href="#{token["id"]}">{token["name"]}</a>'
        if token["children"]:
            entry += "<ul>" + contents_list(token["children"]) + "</ul>"
        items.append(entry + "</li>")
    return "".join(items)


def figures(body):
    """A paragraph holding only a picture becomes a figure captioned with its alt text."""
    def figure(match):
        alt = match["alt"]
        return (f'<figure><img alt="{alt}" src="{match["src"]}" />'
                f"<figcaption>{alt}</figcaption></figure>")
    return re.sub(r'<p><img alt="(?P<alt>[^"]*)" src="(?P<src>[^"]+)"\s*/?></p>', figure, body)


def check_pictures(body, base):
    missing = [src for src in re.findall(r'<img [^>]*src="([^"]+)"', body)
               if not os.path.isfile(os.path.join(base, html.unescape(src)))]
    if missing:
        sys.exit("build_guide: missing pictures: " + ", ".join(missing))


def build_date():
    """The day of the build: SOURCE_DATE_EPOCH's where it is set, so that builds repeat."""
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    moment = (datetime.datetime.fromtimestamp(int(epoch), datetime.timezone.utc) if epoch
              else datetime.datetime.now(datetime.timezone.utc))
    return moment.strftime("%Y-%m-%d")


def main():
    args = parse_arguments()
    with open(args.markdown, encoding="utf-8") as f:
        title, intro, rest = split_title(f.read())

    converter = markdown.Markdown(
        extensions=["tables", "toc", "attr_list", "sane_lists", "def_list"],
        extension_configs={"toc": {"toc_depth": "2-3", "permalink": False}},
        output_format="html5")
    body = figures(converter.convert(rest))
    check_pictures(body, args.base)
    intro_html = markdown.markdown(intro, output_format="html5")
    with open(args.css, encoding="utf-8") as f:
        css = f.read()

    page = f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{html.escape(title)}</title>
<meta name="author" content="Velomar">
<style>{css}</style>
</head>
<body>
<section class="title-page">
<h1 class="title">{html.escape(title)}</h1>
<div class="subtitle">{intro_html}</div>
<p class="edition">Version {html.escape(args.version)}, built {build_date()}</p>
</section>
<nav class="contents">
<h2 class="contents-heading">Contents</h2>
<ul>{contents_list(converter.toc_tokens)}</ul>
</nav>
{body}
</body>
</html>
"""
    if args.html:
        with open(args.html, "w", encoding="utf-8") as f:
            f.write(page)

    # WeasyPrint reports what it could not use as warnings; in a guide each is a fault.
    problems = []

    class Collect(logging.Handler):
        def emit(self, record):
            if record.levelno >= logging.WARNING:
                problems.append(record.getMessage())

    logging.getLogger("weasyprint").addHandler(Collect())

    # Written beside the target and renamed, so that a failed run leaves no half guide.
    folder = os.path.dirname(os.path.abspath(args.output))
    handle, temporary = tempfile.mkstemp(suffix=".pdf", dir=folder)
    os.close(handle)
    try:
        weasyprint.HTML(string=page, base_url=os.path.abspath(args.base) + "/").write_pdf(
            temporary)
        if problems:
            sys.exit("build_guide: " + "\n".join(problems))
        os.chmod(temporary, 0o644)
        os.replace(temporary, args.output)
    finally:
        if os.path.exists(temporary):
            os.remove(temporary)


if __name__ == "__main__":
    main()
