#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The pages' words in the translation workflow.

  pages.py extract MESSAGES_JS OUT_POT
      The English catalogue (the EN object of web/js/kit/messages.js) as
      gettext entries: the message key is the context, the comment above a
      group of keys goes to the translators, plural forms become
      msgid/msgid_plural, and a list's items are "key[0]", "key[1]"...

  pages.py catalogue MESSAGES_JS PO_DIR OUT_JS
      Every language of PO_DIR/LINGUAS as one ES module the pages import:
      its messages by key (untranslated and fuzzy ones left out, so that
      English stands in for them) and its plural rule, from the .po header.
"""
import json
import re
import sys
from pathlib import Path

# ---- the English catalogue ------------------------------------------------

TOKEN = re.compile(r"""\s+|//[^\n]*|/\*.*?\*/|'(?:[^'\\\n]|\\.)*'|"(?:[^"\\\n]|\\.)*"|[A-Za-z_$][\w$]*|[{}\[\]:,]""",
                   re.S)
ESCAPES = {'n': '\n', 't': '\t', "'": "'", '"': '"', '\\': '\\'}


def js_string(literal):
    return re.sub(r"\\(u\{[0-9a-fA-F]+\}|u[0-9a-fA-F]{4}|.)",
                  lambda m: chr(int(m.group(1)[1:].strip('{}'), 16)) if m.group(1)[0] == 'u' and len(m.group(1)) > 1
                  else ESCAPES.get(m.group(1), m.group(1)), literal[1:-1])


def english(path):
    """[(key, value, comment, line)] of the EN object, in source order. A
    value is a string, a list of strings or a dict of plural forms."""
    source = Path(path).read_text(encoding='utf-8')
    start = source.index('const EN = {')
    tokens, level = [], 0
    pos = start + len('const EN = ')
    while True:
        m = TOKEN.match(source, pos)
        if not m:
            raise SystemExit(f'{path}:{source.count(chr(10), 0, pos) + 1}: cannot read the catalogue here')
        pos = m.end()
        text = m.group(0)
        if text.isspace():
            continue
        tokens.append((text, source.count('\n', 0, m.start()) + 1))
        level += (text in '{[') - (text in '}]')
        if level == 0:
            break

    entries, comment, i = [], [], 1

    def value(i):
        text = tokens[i][0]
        if text[0] in '\'"':
            return js_string(text), i + 1
        if text in '[{':
            close = ']' if text == '[' else '}'
            items, forms, i = [], {}, i + 1
            while tokens[i][0] != close:
                if tokens[i][0].startswith(('//', '/*')) or tokens[i][0] == ',':
                    i += 1
                    continue
                if close == '}':
                    name = tokens[i][0].strip('\'"')
                    forms[name], i = value(i + 2)
                else:
                    item, i = value(i)
                    items.append(item)
            return (forms if close == '}' else items), i + 1
        raise SystemExit(f'{path}:{tokens[i][1]}: unexpected {text}')

    while tokens[i][0] != '}':
        text, line = tokens[i]
        if text.startswith('//'):
            # A blank line or a key ends a comment block; a new block replaces it.
            if i > 1 and not tokens[i - 1][0].startswith('//'):
                comment = []
            comment.append(text[2:].strip())
            i += 1
        elif text == ',':
            i += 1
        else:
            key = js_string(text)
            v, i = value(i + 2)
            entries.append((key, v, ' '.join(comment), line))
    return entries



# ---- PO files ---------------------------------------------------------------

def po_quote(text):
    body = text.replace('\\', '\\\\').replace('"', '\\"').replace('\n', '\\n').replace('\t', '\\t')
    return f'"{body}"'


def po_unquote(text):
    return re.sub(r'\\(.)', lambda m: ESCAPES.get(m.group(1), m.group(1)), text.strip()[1:-1])


def read_po(path):
    """The entries of a .po file: dicts with ctxt, id, plural, strs, fuzzy."""
    entries, entry, field = [], {}, None

    def finish():
        if 'id' in entry:
            entries.append(dict(entry))
        entry.clear()

    for raw in Path(path).read_text(encoding='utf-8').splitlines():
        line = raw.strip()
        if not line:
            finish()
            field = None
        elif line.startswith('#~'):
            continue
        elif line.startswith('#,'):
            if 'id' in entry:
                finish()
            entry['fuzzy'] = 'fuzzy' in line
        elif line.startswith('#'):
            if 'id' in entry:
                finish()
        elif line.startswith('"'):
            if field[0] == 'strs':
                entry['strs'][field[1]] += po_unquote(line)
            else:
                entry[field[0]] += po_unquote(line)
        else:
            word, rest = line.split(None, 1)
            if word == 'msgctxt':
                if 'id' in entry:
                    finish()
                field = ('ctxt',)
            elif word == 'msgid':
                if 'id' in entry:
                    finish()
                field = ('id',)
            elif word == 'msgid_plural':
                field = ('plural',)
            elif word.startswith('msgstr'):
                index = int(word[7:-1]) if '[' in word else 0
                entry.setdefault('strs', {})[index] = ''
                field = ('strs', index)
            else:
                raise SystemExit(f'{path}: cannot read "{raw}"')
            if field[0] == 'strs':
                entry['strs'][field[1]] = po_unquote(rest)
            else:
                entry[field[0]] = po_unquote(rest)
    finish()
    return entries


def plural_rule(header, path):
    """The header's Plural-Forms as the body of a JS function of n."""
    m = re.search(r'Plural-Forms:\s*nplurals\s*=\s*(\d+);\s*plural\s*=\s*([^;\n]+);?', header)
    if not m:
        raise SystemExit(f'{path}: the header has no Plural-Forms')
    expression = m.group(2).strip()
    # The expression is C; what C and JS share is all a rule may use.
    if not re.fullmatch(r'[n0-9\s()?:<>=!&|%+\-*]+', expression):
        raise SystemExit(f'{path}: a plural rule of n, numbers and operators only: {expression}')
    return int(m.group(1)), expression


# ---- the commands -------------------------------------------------------------

def extract(messages_js, out):
    rel = 'web/js/kit/messages.js'
    lines = ['# The pages\' words, from the English catalogue.', 'msgid ""', 'msgstr ""',
             '"Content-Type: text/plain; charset=UTF-8\\n"', '']
    for key, v, comment, line in english(messages_js):
        items = [(f'{key}[{n}]', item) for n, item in enumerate(v)] if isinstance(v, list) else [(key, v)]
        for ctxt, text in items:
            places = sorted(set(re.findall(r'\{(\w+)\}', json.dumps(text, ensure_ascii=False))))
            if comment:
                lines.append(f'#. {comment}')
            if places:
                lines.append('#. Keep the places as they are: ' + ', '.join('{' + p + '}' for p in places) + '.')
            lines += [f'#: {rel}:{line}', f'msgctxt {po_quote(ctxt)}']
            if isinstance(text, dict):
                lines += [f'msgid {po_quote(text["one"])}', f'msgid_plural {po_quote(text["other"])}',
                          'msgstr[0] ""', 'msgstr[1] ""', '']
            else:
                lines += [f'msgid {po_quote(text)}', 'msgstr ""', '']
    Path(out).write_text('\n'.join(lines), encoding='utf-8')


def catalogue(messages_js, po_dir, out):
    en = english(messages_js)
    po_dir = Path(po_dir)
    langs = [line.strip() for line in (po_dir / 'LINGUAS').read_text().splitlines()
             if line.strip() and not line.startswith('#')]
    parts = ['// Generated from po/*.po by po/pages.py: edit the .po files, not this.',
             'export const TRANSLATIONS = {']
    for lang in langs:
        path = po_dir / f'{lang}.po'
        entries = read_po(path)
        header = next((e['strs'][0] for e in entries if e['id'] == '' and 'ctxt' not in e), '')
        nplurals, rule = plural_rule(header, path)
        done = {e['ctxt']: e for e in entries
                if 'ctxt' in e and not e.get('fuzzy') and all(s for s in e['strs'].values())}
        messages = {}
        for key, v, _, _ in en:
            if isinstance(v, list):
                items = [done.get(f'{key}[{n}]') for n in range(len(v))]
                if all(items):
                    messages[key] = [e['strs'][0] for e in items]
            elif key in done:
                strs = done[key]['strs']
                if isinstance(v, dict):
                    if len(strs) != nplurals:
                        raise SystemExit(f'{path}: {key} has {len(strs)} plural forms, the header says {nplurals}')
                    messages[key] = {str(n): strs[n] for n in range(nplurals)}
                else:
                    messages[key] = strs[0]
        parts.append(f'  {json.dumps(lang)}: {{')
        parts.append(f'    plural: (n) => Number({rule}),')
        parts.append(f'    messages: {json.dumps(messages, ensure_ascii=False, indent=2)},'.replace('\n', '\n    '))
        parts.append('  },')
    parts.append('};\n')
    text = '\n'.join(parts)
    # Only a changed catalogue touches the file, so the staged copy stays put.
    target = Path(out)
    if not target.exists() or target.read_text(encoding='utf-8') != text:
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_text(text, encoding='utf-8')


if __name__ == '__main__':
    if len(sys.argv) == 4 and sys.argv[1] == 'extract':
        extract(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 5 and sys.argv[1] == 'catalogue':
        catalogue(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        raise SystemExit(__doc__)
