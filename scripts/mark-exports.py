#!/usr/bin/env python3
# Puts PELLAVO_EXPORT (platform/ns/Export.hpp) on what the headers under platform/ and
# pellavo/ declare at namespace scope outside detail and anonymous namespaces: class and
# struct definitions (not templates) and non-inline free functions and extern variables.
# Run it after adding a public class: scripts/mark-exports.py [checkout]. It leaves what is
# marked alone; friend functions defined in a .cpp are marked by hand.
import re, sys, pathlib
MACRO = 'PELLAVO_EXPORT'
root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
files = [p for d in ('platform', 'pellavo') for p in (root / d).rglob('*.hpp')]

def blank(text):
    out = list(text); i = 0; n = len(text)
    while i < n:
        c = text[i]
        if text.startswith('//', i):
            j = text.find('\n', i); j = n if j < 0 else j
            for k in range(i, j): out[k] = ' '
            i = j
        elif text.startswith('/*', i):
            j = text.find('*/', i) + 2
            for k in range(i, j):
                if out[k] != '\n': out[k] = ' '
            i = j
        elif c == '"' or (c == "'" and not (i > 0 and text[i-1].isalnum())):
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == '\\' else 1
            for k in range(i + 1, j): out[k] = ' '
            i = j + 1
        elif c == '#' and (i == 0 or text[i-1] == '\n'):
            j = text.find('\n', i); j = n if j < 0 else j
            while text[j-1] == '\\':
                j2 = text.find('\n', j + 1); j = n if j2 < 0 else j2
            for k in range(i, j): out[k] = ' '
            i = j
        else:
            i += 1
    return ''.join(out)

SKIP = re.compile(r'^(using|typedef|friend|static_assert|template|inline|constexpr|static|namespace|enum|return|extern\s+"C"|concept|consteval)\b')
changed = 0
for path in files:
    text = path.read_text()
    if MACRO in text and 'define ' + MACRO in text: continue
    clean = blank(text)
    stack = []  # 'ns', 'detail', 'other'
    start = 0; inserts = []
    for i, c in enumerate(clean):
        if c not in '{};': continue
        stmt = clean[start:i]
        lead = len(stmt) - len(stmt.lstrip())
        s = stmt.strip(); pos = start + lead
        at_ns = all(k == 'ns' for k in stack)
        if c == '{':
            if s.startswith('namespace') or s.startswith('inline namespace'):
                name = s.split('namespace', 1)[1].strip()
                stack.append('detail' if (name == '' or 'detail' in name.split('::')) else 'ns')
            else:
                if at_ns and not s.startswith('template') and not s.startswith('enum'):
                    m = re.match(r'(class|struct)\s+(?=[A-Za-z_]\w*\s*(final\s*)?(:[^:]|$))', s)
                    if m and MACRO not in s:
                        inserts.append(pos + m.end(1) + 1)
                stack.append('other')
        elif c == '}':
            if stack: stack.pop()
        elif c == ';':
            if at_ns and s and '(' in s and not SKIP.match(s) and MACRO not in s and '=' not in s.split('(')[0] \
                    and not s.startswith('class') and not s.startswith('struct'):
                p = pos
                if s.startswith('[['):
                    p = pos + s.index(']]') + 2
                    while text[p] == ' ': p += 1
                inserts.append((p,))
        start = i + 1
    if not inserts: continue
    for ins in sorted(inserts, key=lambda x: x if isinstance(x, int) else x[0], reverse=True):
        if isinstance(ins, int):
            text = text[:ins] + MACRO + ' ' + text[ins:]
        else:
            text = text[:ins[0]] + MACRO + ' ' + text[ins[0]:]
    rel = str(path.relative_to(root))
    if rel != 'platform/ns/Export.hpp' and '#include "platform/ns/Export.hpp"' not in text:
        inc = '#include "platform/ns/Export.hpp"\n'
        m = re.search(r'^#include "', text, re.M)
        if m: text = text[:m.start()] + inc + text[m.start():]
        else: text = text.replace('#pragma once\n', '#pragma once\n\n' + inc, 1)
    path.write_text(text); changed += 1
print('annotated', changed, 'headers')
