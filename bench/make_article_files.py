#!/usr/bin/python3
"""Makes a folder of journal articles of our own, shaped as JATS has them, for trying and timing
the route through the work database on text with inline markup: titles with italic letters,
paragraphs with citations, sub- and superscripts, links, inline formulas in MathML, tables
inside paragraphs, and references written as mixed citations.

Usage: /usr/bin/python3 make_article_files.py OUTDIR [--articles N] [--seed S]

Every file differs: section, paragraph and reference counts vary, and the files are laid out
with indentation, as journals deliver them. The same seed makes the same files.
"""
import argparse
import os
import random

WORDS = ("the of binding ligand complex yield catalyst reaction sample cells growth rate "
         "measured observed increase decrease under conditions solvent surface model data "
         "structure energy phase transition protein expression levels significant").split()
SPECIES = ["Escherichia coli", "Arabidopsis thaliana", "Saccharomyces cerevisiae", "Mus musculus"]
FORMULAS = [("H", "2", "O"), ("CO", "2", ""), ("Fe", "3", "O4"), ("NH", "4", "+")]


def words(rng, n):
    return " ".join(rng.choice(WORDS) for _ in range(n))


def inline(rng, refs):
    """A run of text with inline markup."""
    pick = rng.random()
    if pick < 0.25:
        cited = sorted(rng.sample(range(1, refs + 1), min(refs, rng.randrange(1, 4))))
        return "(" + ", ".join(f'<xref ref-type="bibr" rid="B{n}">{n}</xref>' for n in cited) + ")"
    if pick < 0.45:
        return f"<italic>{rng.choice(SPECIES)}</italic>"
    if pick < 0.6:
        a, sub, b = rng.choice(FORMULAS)
        return f"{a}<sub>{sub}</sub>{b}"
    if pick < 0.7:
        return f"10<sup>{rng.randrange(2, 9)}</sup>"
    if pick < 0.78:
        return f"<bold>{words(rng, 2)}</bold>"
    if pick < 0.84:
        return (f'<ext-link ext-link-type="uri" xlink:href="https://example.org/d/{rng.randrange(10**6)}">'
                f"data set</ext-link>")
    if pick < 0.92:
        return ('<inline-formula><mml:math><mml:mrow><mml:mi>k</mml:mi><mml:mo>=</mml:mo>'
                f'<mml:mn>{rng.randrange(1, 99)}</mml:mn><mml:mo>&#x00B7;</mml:mo>'
                '<mml:msup><mml:mi mathvariant="normal">s</mml:mi><mml:mn>-1</mml:mn></mml:msup>'
                '</mml:mrow></mml:math></inline-formula>')
    return "&#x2013;"


def paragraph(rng, refs, indent):
    parts = [words(rng, rng.randrange(4, 12))]
    for _ in range(rng.randrange(2, 8)):
        parts.append(inline(rng, refs))
        parts.append(words(rng, rng.randrange(3, 12)))
    text = " ".join(parts) + "."
    if rng.random() < 0.08:
        rows = "".join(f"<tr><td>{words(rng, 1)}</td><td>{rng.randrange(100)}</td></tr>"
                       for _ in range(rng.randrange(2, 6)))
        text += (f'\n{indent}  <table-wrap id="T{rng.randrange(100)}"><label>Table 1</label>'
                 f"<table><tbody>{rows}</tbody></table></table-wrap>\n{indent}")
    return f"{indent}<p>{text}</p>\n"


def reference(rng, n):
    if rng.random() < 0.7:
        return (f'      <ref id="B{n}"><mixed-citation publication-type="journal">'
                f"<person-group person-group-type=\"author\"><name><surname>{rng.choice(WORDS).title()}"
                f"</surname> <given-names>{rng.choice('ABCDEFG')}</given-names></name></person-group> "
                f"(<year>{rng.randrange(1990, 2025)}</year>) <article-title>{words(rng, 5)}"
                f"</article-title>. <source>J {rng.choice(WORDS).title()}</source> "
                f"<volume>{rng.randrange(1, 90)}</volume>:<fpage>{rng.randrange(1, 900)}</fpage>"
                f"</mixed-citation></ref>\n")
    return (f'      <ref id="B{n}"><element-citation publication-type="journal">'
            f"<person-group person-group-type=\"author\"><name><surname>{rng.choice(WORDS).title()}"
            f"</surname><given-names>{rng.choice('ABCDEFG')}</given-names></name></person-group>"
            f"<year>{rng.randrange(1990, 2025)}</year><source>J {rng.choice(WORDS).title()}</source>"
            f"</element-citation></ref>\n")


def article(number, rng):
    refs = rng.randrange(5, 40)
    title = rng.choice([f"<italic>N</italic>-{words(rng, 3).title()}",
                        f"{words(rng, 4).title()} in <italic>{rng.choice(SPECIES)}</italic>",
                        words(rng, 6).title()])
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n',
           '<article xmlns:xlink="http://www.w3.org/1999/xlink" '
           'xmlns:mml="http://www.w3.org/1998/Math/MathML" article-type="research-article">\n',
           "  <front>\n    <article-meta>\n",
           f'      <article-id pub-id-type="doi">10.5555/bq.{number:06d}</article-id>\n',
           f"      <title-group>\n        <article-title>{title}</article-title>\n"
           "      </title-group>\n",
           "      <abstract>\n", paragraph(rng, refs, "        "), "      </abstract>\n",
           "    </article-meta>\n  </front>\n  <body>\n"]
    for section in range(1, rng.randrange(3, 8)):
        out.append(f'    <sec id="s{section}">\n      <title>{words(rng, 3).title()}</title>\n')
        out.extend(paragraph(rng, refs, "      ") for _ in range(rng.randrange(2, 9)))
        out.append("    </sec>\n")
    out.append("  </body>\n  <back>\n    <ref-list>\n")
    out.extend(reference(rng, n) for n in range(1, refs + 1))
    out.append("    </ref-list>\n  </back>\n</article>\n")
    return "".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir")
    parser.add_argument("--articles", type=int, default=200)
    parser.add_argument("--seed", type=int, default=35)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(args.outdir, exist_ok=True)
    for number in range(1, args.articles + 1):
        with open(os.path.join(args.outdir, f"article-{number:05d}.xml"), "w",
                  encoding="utf-8") as f:
            f.write(article(number, rng))
    print(f"{args.articles} articles in {args.outdir}")


if __name__ == "__main__":
    main()
